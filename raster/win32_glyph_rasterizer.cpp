#include "raster/win32_glyph_rasterizer.h"

#include <algorithm>
#include <cstring>
#include <new>

// round(i * 255 / 65): the grey glyph format stops at level 64, so full coverage
// is 251, never 255.
const uint8_t GlyphAlphaTable[66] = {
    0,   4,   8,   12,  16,  20,  24,  27,  31,  35,  39,  43,  47,  51,  55,  59,  63,
    67,  71,  75,  78,  82,  86,  90,  94,  98,  102, 106, 110, 114, 118, 122, 126, 129,
    133, 137, 141, 145, 149, 153, 157, 161, 165, 169, 173, 177, 180, 184, 188, 192, 196,
    200, 204, 208, 212, 216, 220, 224, 228, 231, 235, 239, 243, 247, 251, 255,
};

void WriteGlyphBox(uint32_t* target, int32_t row_length, int32_t target_height, int32_t left,
                   int32_t top, int32_t box_width, int32_t box_height, const uint8_t* levels,
                   int32_t pitch, uint32_t colour) {
    if (!target) return;
    const uint32_t rgb = colour & 0x00FFFFFFu;
    // 64-bit bounds: a box near the int32 limits must not wrap into the buffer.
    const int64_t x0 = std::max<int64_t>(left, 0);
    const int64_t x1 = std::min<int64_t>(int64_t{left} + box_width, row_length);
    const int64_t y0 = std::max<int64_t>(top, 0);
    const int64_t y1 = std::min<int64_t>(int64_t{top} + box_height, target_height);
    for (int64_t y = y0; y < y1; ++y) {
        uint32_t* row = target + y * row_length;
        for (int64_t x = x0; x < x1; ++x) {
            // Levels above 64 are not coverage the system delivers; read them as full.
            const uint8_t level =
                levels ? std::min<uint8_t>(levels[(y - top) * pitch + (x - left)], 64) : 0;
            row[x] = uint32_t{GlyphAlphaTable[level]} << 24 | rgb;
        }
    }
}

namespace {

bool IsLeadByte(uint8_t byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFE);
}

}  // namespace

// One glyph as the system rasterizes it: its metrics, its pen advance and its
// coverage levels (when they fit the buffer).
struct GlyphImage {
    GLYPHMETRICS metrics;
    int32_t advance;
    int32_t pitch;
    bool fits;
    uint8_t levels[1024];
};

namespace {

const MAT2 kIdentity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};

void LoadGlyph(HDC dc, UINT code, GlyphImage& glyph) {
    ABC widths = {};
    GetCharABCWidthsA(dc, code, code, &widths);
    glyph.metrics = GLYPHMETRICS{};
    const DWORD size = GetGlyphOutlineA(dc, code, GGO_GRAY8_BITMAP, &glyph.metrics, 0, nullptr,
                                        &kIdentity);
    const int32_t box_width = static_cast<int32_t>(glyph.metrics.gmBlackBoxX);
    const int32_t box_height = static_cast<int32_t>(glyph.metrics.gmBlackBoxY);
    glyph.pitch = (box_width + 3) & ~3;
    // A bitmap larger than the buffer is never asked for: its box stays transparent.
    glyph.fits = size != GDI_ERROR && box_width >= 0 && box_height >= 0 &&
                 int64_t{glyph.pitch} * box_height <= static_cast<int64_t>(sizeof glyph.levels);
    if (glyph.fits) {
        std::memset(glyph.levels, 0, sizeof glyph.levels);
        GLYPHMETRICS unused;
        GetGlyphOutlineA(dc, code, GGO_GRAY8_BITMAP, &unused, sizeof glyph.levels, glyph.levels,
                         &kIdentity);
    }
    glyph.advance = widths.abcA + static_cast<int32_t>(widths.abcB) + widths.abcC;
}

// Lays the glyphs of `text` out from (0, 0): `glyph_for(code)` gives each
// character's image. Blanks only move the pen: they neither draw nor widen the text.
struct Blanks {
    int32_t advance;
    int32_t wide_advance;
};

template <typename GlyphFor>
TextExtent LayOutText(uint32_t* target, int32_t row_length, int32_t target_height,
                      int32_t ascent, int32_t line_height, int32_t width_limit,
                      int32_t height_limit, uint32_t colour, const std::string& text,
                      Blanks blanks, GlyphFor glyph_for) {
    int32_t x = 0, y = 0, widest = 0, bottom = line_height;
    for (size_t i = 0; i < text.size(); ++i) {
        UINT code = static_cast<uint8_t>(text[i]);
        if (IsLeadByte(static_cast<uint8_t>(code))) {
            code = code << 8 | (i + 1 < text.size() ? static_cast<uint8_t>(text[++i]) : 0u);
        }
        if (code == 0x20) {
            x += blanks.advance;
            continue;
        }
        if (code == 0x8140) {
            x += blanks.wide_advance;
            continue;
        }
        const GlyphImage& glyph = glyph_for(code);
        if (x + glyph.metrics.gmCellIncX >= width_limit) {
            x = 0;
            y += line_height;
            // A line that does not fit ends the text: later characters would only
            // land on that same line.
            if (y + line_height >= height_limit) break;
        }
        WriteGlyphBox(target, row_length, target_height, x + glyph.metrics.gmptGlyphOrigin.x,
                      y + ascent - glyph.metrics.gmptGlyphOrigin.y,
                      static_cast<int32_t>(glyph.metrics.gmBlackBoxX),
                      static_cast<int32_t>(glyph.metrics.gmBlackBoxY),
                      glyph.fits ? glyph.levels : nullptr, glyph.pitch, colour);
        x += glyph.advance;
        widest = std::max(widest, x);
        bottom = y + line_height;
    }
    return {0, widest, 0, bottom};
}

}  // namespace

TextExtent RasterizeText(uint32_t* target, int32_t row_length, int32_t target_height, HFONT font,
                         int32_t width_limit, int32_t height_limit, uint32_t colour,
                         std::string text, int32_t blank_advance, int32_t wide_blank_advance) {
    const HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ previous_font = SelectObject(dc, font);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    GlyphImage glyph;
    const TextExtent extent = LayOutText(
        target, row_length, target_height, metrics.tmAscent, metrics.tmHeight, width_limit,
        height_limit, colour, text, Blanks{blank_advance, wide_blank_advance},
        [&](UINT code) -> const GlyphImage& {
            LoadGlyph(dc, code, glyph);
            return glyph;
        });
    if (previous_font) SelectObject(dc, previous_font);
    DeleteDC(dc);
    return extent;
}

GlyphCache::~GlyphCache() { clear(); }

void GlyphCache::clear() {
    for (GlyphImage*& glyph : glyphs_) {
        delete glyph;
        glyph = nullptr;
    }
    ready_ = false;
}

bool GlyphCache::build(HFONT font, const std::string& characters) {
    clear();
    const HDC dc = CreateCompatibleDC(nullptr);
    if (dc == nullptr) return false;
    const HGDIOBJ previous_font = SelectObject(dc, font);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    ascent_ = metrics.tmAscent;
    line_height_ = metrics.tmHeight;
    ready_ = true;
    for (const char character : characters) {
        const uint8_t code = static_cast<uint8_t>(character);
        if (code >= kCodes || IsLeadByte(code) || code == 0x20 || glyphs_[code] != nullptr) continue;
        glyphs_[code] = new (std::nothrow) GlyphImage;
        if (glyphs_[code] == nullptr) {
            ready_ = false;
            break;
        }
        LoadGlyph(dc, code, *glyphs_[code]);
    }
    if (previous_font) SelectObject(dc, previous_font);
    DeleteDC(dc);
    if (!ready_) clear();
    return ready_;
}

bool GlyphCache::draw(uint32_t* target, int32_t row_length, int32_t target_height,
                      int32_t width_limit, int32_t height_limit, uint32_t colour,
                      const std::string& text, TextExtent& extent, int32_t blank_advance) const {
    if (!ready_) return false;
    for (const char character : text) {
        const uint8_t code = static_cast<uint8_t>(character);
        if (code != 0x20 && (code >= kCodes || glyphs_[code] == nullptr)) return false;
    }
    extent = LayOutText(target, row_length, target_height, ascent_, line_height_, width_limit,
                        height_limit, colour, text, Blanks{blank_advance, 2 * blank_advance},
                        [this](UINT code) -> const GlyphImage& { return *glyphs_[code]; });
    return true;
}
