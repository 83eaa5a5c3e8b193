#include "raster/pixel_primitives.h"

#include "raster/pixel_rows.h"
#include "raster/surface.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <climits>
#include <cstring>
#include <string>

namespace {

// The gradients' sine runs over the single-precision value of pi, widened.
constexpr double kPi = 3.1415927410125732;

}  // namespace

bool ClipBlit(int32_t source_width, int32_t source_height, int32_t dest_width,
              int32_t dest_height, BlitRect& rect) {
    // 64-bit so that sums of far-out coordinates cannot overflow; whatever
    // survives lies inside both buffers and fits back into 32 bits.
    int64_t w = rect.width, h = rect.height;
    int64_t sx = rect.source_x, sy = rect.source_y, dx = rect.dest_x, dy = rect.dest_y;
    if (dx + w <= 0 || dy + h <= 0 || dx >= dest_width || dy >= dest_height ||
        sx >= source_width || sy >= source_height || sx + w < 0 || sy + h < 0) {
        return false;
    }
    if (sx + w >= source_width) w = source_width - sx;
    if (sy + h >= source_height) h = source_height - sy;
    if (sx < 0) { dx -= sx; w += sx; sx = 0; }
    if (sy < 0) { dy -= sy; h += sy; sy = 0; }
    if (dx < 0) { sx -= dx; w += dx; dx = 0; }
    if (dy < 0) { sy -= dy; h += dy; dy = 0; }
    if (dx + w > dest_width) w = dest_width - dx;
    if (dy + h > dest_height) h = dest_height - dy;
    if (w < 1 || h < 1) return false;
    rect = {static_cast<int32_t>(w),  static_cast<int32_t>(h),  static_cast<int32_t>(sx),
            static_cast<int32_t>(sy), static_cast<int32_t>(dx), static_cast<int32_t>(dy)};
    return true;
}

bool ClipFillArea(int32_t width, int32_t height, FillArea& area) {
    int64_t x = area.x, y = area.y, w = area.width, h = area.height;
    if (x >= width || y >= height || x + w <= 0 || y + h <= 0) return false;
    if (x < 0) { w += x; x = 0; }
    if (y < 0) { h += y; y = 0; }
    if (x + w > width) w = width - x;
    if (y + h > height) h = height - y;
    // An empty area touches nothing, so no fill may write through it.
    if (w < 1 || h < 1) return false;
    area = {static_cast<int32_t>(x), static_cast<int32_t>(y), static_cast<int32_t>(w),
            static_cast<int32_t>(h)};
    return true;
}

namespace {

// B, G and R of d moved towards s by weight / 256 (weight 0..256), d's alpha
// kept. This is d + (((s - d) * weight) >> 8) with the shift rounding towards
// minus infinity, rewritten as (s * weight + d * (256 - weight)) >> 8, whose
// terms never go negative; red and blue share one 32-bit multiplication because
// each of their sums stays below 65536.
inline uint32_t MixColour(uint32_t d, uint32_t s, uint32_t weight) {
    const uint32_t keep = 256 - weight;
    const uint32_t red_blue =
        (((s & 0x00FF00FFu) * weight + (d & 0x00FF00FFu) * keep) >> 8) & 0x00FF00FFu;
    const uint32_t green = (((s & 0x0000FF00u) * weight + (d & 0x0000FF00u) * keep) >> 8) &
                           0x0000FF00u;
    return (d & 0xFF000000u) | red_blue | green;
}

// The C library's memmove moves more per instruction than a loop of ours can on
// most processors, and the result is the same bytes. memmove, not memcpy: the
// rows of one buffer may overlap.
void CopyRow(uint32_t* dest, const uint32_t* source, int32_t count) {
    std::memmove(dest, source, static_cast<size_t>(count) * sizeof(uint32_t));
}

void FillRow(uint32_t* dest, uint32_t colour, int32_t count) { std::fill_n(dest, count, colour); }

void BlendRowBySourceAlpha(uint32_t* dest, const uint32_t* source, int32_t count) {
    // Alpha 0 leaves the pixel alone: weight 0. Otherwise alpha + 1, so that 255
    // gives exactly the source colour.
    for (int32_t x = 0; x < count; ++x) {
        const uint32_t alpha = source[x] >> 24;
        dest[x] = MixColour(dest[x], source[x], alpha + (alpha != 0));
    }
}

void AddRowSaturated(uint32_t* dest, const uint32_t* source, int32_t count) {
    // Every byte is treated alike, so the row is walked as bytes.
    auto* dest_bytes = reinterpret_cast<uint8_t*>(dest);
    const auto* source_bytes = reinterpret_cast<const uint8_t*>(source);
    for (int32_t i = 0; i < count * 4; ++i) {
        const uint32_t sum = uint32_t{dest_bytes[i]} + source_bytes[i];
        dest_bytes[i] = static_cast<uint8_t>(std::min(sum, 255u));
    }
}

// The plain rule: B, G and R by alpha + 1 as with the source alpha, the
// destination's alpha kept; right to left.
void BlendRowByConstantAlpha(uint32_t* dest, const uint32_t* source, int32_t count,
                             uint8_t alpha) {
    const uint32_t weight = alpha + 1u;
    for (int32_t x = count - 1; x >= 0; --x) dest[x] = MixColour(dest[x], source[x], weight);
}

}  // namespace

const PixelRows kPlainRows = {CopyRow, FillRow, BlendRowBySourceAlpha, AddRowSaturated,
                              BlendRowByConstantAlpha};

namespace {

// The loops in use; the plain ones until SelectPixelPaths chooses.
PixelRows g_rows = kPlainRows;

struct PixelLevel {
    const char* name;
    bool PixelFeatures::*feature;
    const PixelRows* rows;
};

// Lowest first: each level's loops replace those of the levels before it.
const PixelLevel kLevels[] = {
    {"mmx", &PixelFeatures::mmx, &kMmxRows},
    {"sse2", &PixelFeatures::sse2, &kSse2Rows},
};

// True when `name` is one of the blank- or comma-separated words of `list`.
bool NamedIn(const std::string& list, const char* name) {
    const size_t length = std::strlen(name);
    size_t start = 0;
    while (start < list.size()) {
        const size_t end = std::min(list.find_first_of(" ,", start), list.size());
        if (end - start == length && list.compare(start, length, name) == 0) return true;
        start = end + 1;
    }
    return false;
}

template <typename Function>
void Take(Function& in_use, Function better) {
    if (better != nullptr) in_use = better;
}

}  // namespace

std::string SelectPixelPaths(PixelFeatures features, const std::string& switched_off) {
    PixelRows rows = kPlainRows;
    std::string names = "plain";
    for (const PixelLevel& level : kLevels) {
        if (!(features.*level.feature) || NamedIn(switched_off, level.name)) continue;
        Take(rows.copy, level.rows->copy);
        Take(rows.fill, level.rows->fill);
        Take(rows.blend_by_source_alpha, level.rows->blend_by_source_alpha);
        Take(rows.add_saturated, level.rows->add_saturated);
        Take(rows.blend_by_constant_alpha, level.rows->blend_by_constant_alpha);
        names += ' ';
        names += level.name;
    }
    g_rows = rows;
    return names;
}

namespace {

// A clipped two-buffer rectangle: the first pixel of each side, its size and
// the two buffers' row lengths.
struct BlitRows {
    uint32_t* dest;
    const uint32_t* source;
    int32_t width;
    int32_t height;
    int32_t dest_stride;
    int32_t source_stride;
};

bool ClipRows(uint32_t* dest, const uint32_t* source, int32_t source_width,
              int32_t source_height, int32_t dest_width, int32_t dest_height, BlitRect rect,
              BlitRows& rows) {
    if (!dest || !source ||
        !ClipBlit(source_width, source_height, dest_width, dest_height, rect)) {
        return false;
    }
    rows = {dest + rect.dest_x + static_cast<ptrdiff_t>(rect.dest_y) * dest_width,
            source + rect.source_x + static_cast<ptrdiff_t>(rect.source_y) * source_width,
            rect.width, rect.height, dest_width, source_width};
    // Rows as long as both buffers' are one unbroken run on either side: one call
    // does them all, where the count still fits.
    if (rows.width == dest_width && rows.width == source_width &&
        int64_t{rows.width} * rows.height <= INT32_MAX) {
        rows.width *= rows.height;
        rows.height = 1;
    }
    return true;
}

// Hands every clipped row to `row` as (dest row, source row, width).
template <typename RowFunction>
void ForEachRow(uint32_t* dest, const uint32_t* source, int32_t source_width,
                int32_t source_height, int32_t dest_width, int32_t dest_height, BlitRect rect,
                RowFunction row) {
    BlitRows rows;
    if (!ClipRows(dest, source, source_width, source_height, dest_width, dest_height, rect,
                  rows)) {
        return;
    }
    for (int32_t y = 0; y < rows.height; ++y) {
        row(rows.dest + static_cast<ptrdiff_t>(y) * rows.dest_stride,
            rows.source + static_cast<ptrdiff_t>(y) * rows.source_stride, rows.width);
    }
}

}  // namespace

void CopyPixels(uint32_t* dest, const uint32_t* source, int32_t source_width,
                int32_t source_height, int32_t dest_width, int32_t dest_height, BlitRect rect) {
    ForEachRow(dest, source, source_width, source_height, dest_width, dest_height, rect,
               g_rows.copy);
}

void BlendBySourceAlpha(uint32_t* dest, const uint32_t* source, int32_t source_width,
                        int32_t source_height, int32_t dest_width, int32_t dest_height,
                        BlitRect rect) {
    ForEachRow(dest, source, source_width, source_height, dest_width, dest_height, rect,
               g_rows.blend_by_source_alpha);
}

void AddSaturated(uint32_t* dest, const uint32_t* source, int32_t source_width,
                  int32_t source_height, int32_t dest_width, int32_t dest_height, BlitRect rect) {
    ForEachRow(dest, source, source_width, source_height, dest_width, dest_height, rect,
               g_rows.add_saturated);
}

void BlendByConstantAlpha(uint32_t* dest, const uint32_t* source, int32_t source_width,
                          int32_t source_height, int32_t dest_width, int32_t dest_height,
                          BlitRect rect, uint8_t alpha) {
    // The plain rule would still pull channels down by one at alpha 0; an
    // invisible source must leave the picture as it is on every path.
    if (alpha == 0) return;
    const auto blend = g_rows.blend_by_constant_alpha;
    ForEachRow(dest, source, source_width, source_height, dest_width, dest_height, rect,
               [blend, alpha](uint32_t* d, const uint32_t* s, int32_t count) {
                   blend(d, s, count, alpha);
               });
}

int32_t ChangedWidth(const uint32_t* first, const uint32_t* second, int32_t width, int32_t height,
                     FillArea area) {
    if (!first || !second || !ClipFillArea(width, height, area)) return 0;
    // Each row is read from its right end only down to the widest change found
    // so far: an area that changed near its right edge costs one pass at most.
    int32_t changed = 0;
    for (int32_t y = 0; y < area.height && changed < area.width; ++y) {
        const ptrdiff_t row = area.x + static_cast<ptrdiff_t>(area.y + y) * width;
        for (int32_t x = area.width; x > changed; --x) {
            if (first[row + x - 1] != second[row + x - 1]) {
                changed = x;
                break;
            }
        }
    }
    return changed;
}

void FillPixels(uint32_t* pixels, uint32_t colour, int32_t width, int32_t height, FillArea area) {
    if (!pixels || !ClipFillArea(width, height, area)) return;
    uint32_t* first = pixels + area.x + static_cast<ptrdiff_t>(area.y) * width;
    g_rows.fill(first, colour, area.width);
    // Without a vector loop of its own, a store loop moves one word at a time: the
    // other rows are then copies of the first, made with the widest moves the
    // copy loop has (the C library's, on the plain level).
    const bool copy_rows = g_rows.fill == kPlainRows.fill;
    for (int32_t y = 1; y < area.height; ++y) {
        uint32_t* row = first + static_cast<ptrdiff_t>(y) * width;
        if (copy_rows) {
            g_rows.copy(row, first, area.width);
        } else {
            g_rows.fill(row, colour, area.width);
        }
    }
}

void FillSineGradient(Surface& surface, uint32_t first_colour, uint32_t second_colour, int32_t x,
                      int32_t y, int32_t width, int32_t height) {
    FillArea area{x, y, width, height};
    if (!surface.pixels || !ClipFillArea(surface.width, surface.height, area)) return;
    uint32_t colour = first_colour;
    for (int32_t r = 0; r < area.height; ++r) {
        std::fill_n(surface.pixel_at(area.x, area.y + r), area.width, colour);
        // The next row's colour, so row 1 repeats row 0 and the last row never
        // reaches the second colour.
        const double f = std::sin(kPi * r / area.height);
        colour = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            const int32_t base = static_cast<int32_t>((first_colour >> shift) & 0xFF);
            const int32_t delta = static_cast<int32_t>((second_colour >> shift) & 0xFF) - base;
            colour |= static_cast<uint32_t>(static_cast<int32_t>(base + f * delta)) << shift;
        }
    }
}

namespace {

inline uint32_t ClampChannel(double value) {
    return static_cast<uint32_t>(std::clamp(static_cast<int32_t>(value), 0, 255));
}

}  // namespace

void FillWaveGradient(Surface& surface, int32_t x, int32_t y, int32_t width, int32_t height,
                      int32_t hue, int32_t saturation, int32_t amplitude) {
    FillArea area{x, y, width, height};
    if (!surface.pixels || !ClipFillArea(surface.width, surface.height, area)) return;
    // Columns follow the width as passed, not the clipped one, and the
    // accumulated t usually still passes 1.0 after `width` steps: one column
    // more than the width is drawn where the surface has it. Columns beyond the
    // surface's right edge are never drawn, so the walk stops there.
    const double step = 1.0 / width;
    int32_t column = area.x;
    for (double t = 0.0; t <= 1.0 && column < surface.width; t += step, ++column) {
        const int32_t top_value = static_cast<int32_t>(511 - amplitude * std::sin(kPi * t));
        int32_t top[3], bottom[3];
        HsvToRgb(hue, saturation, top_value, top[0], top[1], top[2]);
        HsvToRgb(hue, saturation, static_cast<int32_t>(0.9 * top_value), bottom[0], bottom[1],
                 bottom[2]);
        double current[3] = {double(top[0]), double(top[1]), double(top[2])};
        for (int32_t i = 0; i < area.height; ++i) {
            if (uint32_t* pixel = surface.pixel_at(column, area.y + i)) {
                // The running sum can overshoot 0..255 by a little; clamping keeps
                // a value of -1 from wrapping into a bright 255 speck.
                *pixel = 0xFF000000u | ClampChannel(current[0]) << 16 |
                         ClampChannel(current[1]) << 8 | ClampChannel(current[2]);
            }
            const double f = std::sin(kPi * i / area.height);
            for (int k = 0; k < 3; ++k) current[k] += f * (bottom[k] - top[k]);
        }
    }
}

namespace {

inline int32_t RoundHalfAwayFromZero(double value) {
    return static_cast<int32_t>(value < 0 ? value - 0.5 : value + 0.5);
}

}  // namespace

void HsvToRgb(int32_t hue, int32_t saturation, int32_t value, int32_t& red, int32_t& green,
              int32_t& blue) {
    // The hue circle is 3072 units round; 3072 itself is hue 0.
    hue %= 3072;
    if (hue < 0) hue += 3072;
    const float h = hue * 0.5f;
    const float s = saturation * 0.5f;
    const float v = value * 0.5f;
    float base[3];
    switch (static_cast<int32_t>(h / 256.0f)) {
        case 0: base[0] = 255; base[1] = h; base[2] = 0; break;
        case 1: base[0] = 512 - h; base[1] = 255; base[2] = 0; break;
        case 2: base[0] = 0; base[1] = 255; base[2] = h - 512; break;
        case 3: base[0] = 0; base[1] = 1024 - h; base[2] = 255; break;
        case 4: base[0] = h - 1024; base[1] = 0; base[2] = 255; break;
        default: base[0] = 255; base[1] = 0; base[2] = 1536 - h; break;
    }
    double result[3];
    for (int k = 0; k < 3; ++k) {
        const double k1 = base[k] + (255.0 - base[k]) * (255.0 - s) * (1.0 / 255.0);
        result[k] = k1 * v * (1.0 / 255.0);
    }
    // Red and blue pass through single precision, green does not.
    result[0] = static_cast<float>(result[0]);
    result[2] = static_cast<float>(result[2]);
    red = std::min(RoundHalfAwayFromZero(result[0]), 255);
    green = std::min(RoundHalfAwayFromZero(result[1]), 255);
    blue = std::min(RoundHalfAwayFromZero(result[2]), 255);
}
