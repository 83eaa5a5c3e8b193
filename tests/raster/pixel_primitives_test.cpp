#include "raster/pixel_primitives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

std::string Describe(const BlitRect& r) {
    return std::to_string(r.width) + "x" + std::to_string(r.height) + " from " +
           std::to_string(r.source_x) + "," + std::to_string(r.source_y) + " to " +
           std::to_string(r.dest_x) + "," + std::to_string(r.dest_y);
}

TEST(ClipBlit, CutsTheRectangleToBothBuffers) {
    const struct {
        int32_t sw, sh, dw, dh;
        BlitRect in, out;  // out all zero: nothing to draw
    } cases[] = {
        // Destination x -5, width 20: the 15 right-hand columns land at x 0.
        {40, 10, 40, 10, {20, 4, 10, 0, -5, 0}, {15, 4, 15, 0, 0, 0}},
        // Source x -3: the destination moves right by 3, the width shrinks by 3.
        {40, 10, 40, 10, {10, 4, -3, 0, 5, 0}, {7, 4, 0, 0, 8, 0}},
        // Beyond both: the width is cut by the destination, the height by the source.
        {30, 20, 25, 40, {50, 50, 10, 5, 12, 1}, {13, 15, 10, 5, 12, 1}},
        {20, 20, 20, 20, {10, 10, -2, -3, -4, -1}, {6, 7, 2, 0, 0, 2}},
        {10, 1, 10, 1, {INT32_MAX, 1, 0, 0, 1, 0}, {9, 1, 0, 0, 1, 0}},
        // Wholly outside on each side, or empty.
        {10, 10, 10, 10, {5, 5, 0, 0, 10, 0}, {}},  {10, 10, 10, 10, {5, 5, 0, 0, 0, 10}, {}},
        {10, 10, 10, 10, {5, 5, 0, 0, -5, 0}, {}},  {10, 10, 10, 10, {5, 5, 0, 0, 0, -5}, {}},
        {10, 10, 10, 10, {5, 5, 10, 0, 0, 0}, {}},  {10, 10, 10, 10, {5, 5, 0, 10, 0, 0}, {}},
        {10, 10, 10, 10, {5, 5, -5, 0, 0, 0}, {}},  {10, 10, 10, 10, {5, 5, 0, -6, 0, 0}, {}},
        {10, 10, 10, 10, {5, 5, 6, 0, -6, 0}, {}},  {10, 10, 10, 10, {0, 5, 0, 0, 0, 0}, {}},
        {10, 10, 10, 10, {5, -1, 0, 0, 0, 0}, {}},
        {10, 10, 10, 10, {INT32_MAX, 5, 0, 0, INT32_MIN, 0}, {}},
    };
    for (const auto& c : cases) {
        BlitRect rect = c.in;
        const bool visible = ClipBlit(c.sw, c.sh, c.dw, c.dh, rect);
        EXPECT_EQ(Describe(visible ? rect : BlitRect{}), Describe(c.out)) << Describe(c.in);
    }
}

TEST(ClipFillArea, CutsTheAreaToTheBuffer) {
    const auto describe = [](const FillArea& a) {
        return std::to_string(a.x) + "," + std::to_string(a.y) + " " + std::to_string(a.width) +
               "x" + std::to_string(a.height);
    };
    const struct { FillArea in, out; } cases[] = {  // out all zero: nothing visible
        {{-3, 2, 10, 4}, {0, 2, 7, 4}}, {{5, 5, 10, 10}, {5, 5, 3, 3}},
        {{2, -9, 3, 10}, {2, 0, 3, 1}}, {{1, 1, INT32_MAX, INT32_MAX}, {1, 1, 7, 7}},
        {{8, 0, 1, 1}, {}},  {{0, 8, 1, 1}, {}},  {{-4, 0, 4, 1}, {}}, {{0, -4, 1, 4}, {}},
        {{3, 3, 0, 2}, {}},  {{3, 3, 2, -1}, {}}, {{INT32_MIN, 0, INT32_MAX, 1}, {}},
    };
    for (const auto& c : cases) {
        FillArea area = c.in;
        const bool visible = ClipFillArea(8, 8, area);
        EXPECT_EQ(describe(visible ? area : FillArea{}), describe(c.out)) << describe(c.in);
    }
}

TEST(ChangedWidth, ReachesTheLastDifferingColumnOfAnyRowInsideTheArea) {
    std::vector<uint32_t> a(8 * 4, 7), b(a);
    const FillArea whole{0, 0, 8, 4};
    EXPECT_EQ(ChangedWidth(a.data(), b.data(), 8, 4, whole), 0);
    b[2 + 1 * 8] = 9;  // column 2 of row 1
    b[5 + 3 * 8] = 9;  // column 5 of the last row: the widest change
    EXPECT_EQ(ChangedWidth(a.data(), b.data(), 8, 4, whole), 6);
    // Counted from the area's left edge; what lies outside it does not count.
    EXPECT_EQ(ChangedWidth(a.data(), b.data(), 8, 4, FillArea{2, 0, 6, 4}), 4);
    EXPECT_EQ(ChangedWidth(a.data(), b.data(), 8, 4, FillArea{0, 0, 8, 3}), 3);
    EXPECT_EQ(ChangedWidth(a.data(), b.data(), 8, 4, FillArea{6, 0, 2, 4}), 0);
    // Clipped to the buffers like a fill; nothing to compare gives 0.
    EXPECT_EQ(ChangedWidth(a.data(), b.data(), 8, 4, FillArea{-2, 3, 20, 5}), 6);
    EXPECT_EQ(ChangedWidth(a.data(), b.data(), 8, 4, FillArea{8, 0, 4, 4}), 0);
    EXPECT_EQ(ChangedWidth(nullptr, b.data(), 8, 4, whole), 0);
    EXPECT_EQ(ChangedWidth(a.data(), nullptr, 8, 4, whole), 0);
}

// A pixel buffer with guard words before and after it, to catch stray writes.
class Buffer {
public:
    Buffer(int32_t width, int32_t height, uint32_t fill = 0)
        : width(width), height(height),
          words(static_cast<size_t>(width) * height + 2 * kGuard, kGuardWord) {
        std::fill_n(data(), static_cast<size_t>(width) * height, fill);
    }
    uint32_t* data() { return words.data() + kGuard; }
    uint32_t& at(int32_t x, int32_t y) { return data()[x + y * width]; }
    bool guards_intact() const {
        return std::all_of(words.begin(), words.begin() + kGuard,
                           [](uint32_t w) { return w == kGuardWord; }) &&
               std::all_of(words.end() - kGuard, words.end(),
                           [](uint32_t w) { return w == kGuardWord; });
    }
    bool operator==(const Buffer& other) const { return words == other.words; }

    int32_t width, height;

private:
    static constexpr size_t kGuard = 16;
    static constexpr uint32_t kGuardWord = 0xDEADBEEF;
    std::vector<uint32_t> words;
};

enum class Blit { Copy, SourceAlpha, Add, ConstantAlpha };

// Runs the primitive under test on whole buffers.
void RunBlit(Blit op, Buffer& dest, Buffer& source, BlitRect rect, uint8_t alpha = 0) {
    using TwoBufferPrimitive = void (*)(uint32_t*, const uint32_t*, int32_t, int32_t, int32_t,
                                        int32_t, BlitRect);
    static const TwoBufferPrimitive primitives[] = {CopyPixels, BlendBySourceAlpha, AddSaturated};
    if (op == Blit::ConstantAlpha) {
        BlendByConstantAlpha(dest.data(), source.data(), source.width, source.height, dest.width,
                             dest.height, rect, alpha);
        return;
    }
    primitives[static_cast<int>(op)](dest.data(), source.data(), source.width, source.height,
                                     dest.width, dest.height, rect);
}

// One pixel by the book, byte by byte: [0] is blue, [3] alpha. Both paths are
// held to this one result; `blend_alpha` also moves the alpha byte by the rule.
uint32_t ReferencePixel(Blit op, uint32_t dest, uint32_t source, int alpha,
                        bool blend_alpha = false) {
    int d[4], s[4];
    for (int i = 0; i < 4; ++i) {
        d[i] = (dest >> (8 * i)) & 0xFF;
        s[i] = (source >> (8 * i)) & 0xFF;
    }
    const auto towards = [&](int weight) {
        for (int i = 0; i < (blend_alpha ? 4 : 3); ++i) {
            const int step = (s[i] - d[i]) * weight;
            d[i] += step >= 0 ? step / 256 : -((-step + 255) / 256);  // floor division
        }
    };
    switch (op) {
        case Blit::Copy: return source;
        case Blit::SourceAlpha:
            if (s[3] != 0) towards(s[3] + 1);
            break;
        case Blit::Add:
            for (int i = 0; i < 4; ++i) d[i] = std::min(255, d[i] + s[i]);
            break;
        case Blit::ConstantAlpha:
            if (alpha != 0) towards(alpha + 1);
            break;
    }
    return static_cast<uint32_t>(d[0] | d[1] << 8 | d[2] << 16 | d[3] << 24);
}

// The MMX and SSE2 constant-alpha blend by its own rule, for all four bytes.
uint32_t MmxRulePixel(uint32_t dest, uint32_t source, int alpha) {
    uint32_t result = 0;
    for (int i = 0; i < 32; i += 8) {
        const uint32_t d = (dest >> i) & 0xFF, s = (source >> i) & 0xFF;
        result |= ((s * alpha + d * (256 - alpha)) >> 8) << i;
    }
    return result;
}

// That rule weighs by a, not a + 1, and blends the alpha byte too: its numerator
// differs from the reference's by s - d, less than one step of 256, so each of
// the four bytes may come out at most one below or above the reference (with
// the alpha byte blended by the same rule). Nothing else may differ.
bool WithinMmxBlendTolerance(uint32_t got, uint32_t dest, uint32_t source, int alpha) {
    const uint32_t expected = ReferencePixel(Blit::ConstantAlpha, dest, source, alpha, true);
    for (int i = 0; i < 4; ++i) {
        const int g = (got >> (8 * i)) & 0xFF, e = (expected >> (8 * i)) & 0xFF;
        if (g < e - 1 || g > e + 1) return false;
    }
    return true;
}

// The instruction sets this test machine has.
PixelFeatures HostFeatures() {
    __builtin_cpu_init();
    return PixelFeatures{__builtin_cpu_supports("mmx") != 0, __builtin_cpu_supports("sse2") != 0};
}

// One choice of loops: the levels switched off, which levels then run, and
// whether the constant-alpha blend follows the MMX rule.
struct PathLevel {
    const char* name;
    const char* switched_off;
    const char* in_use;
    bool mmx_rule;
};

// Named in failure messages by its name alone.
void PrintTo(const PathLevel& level, std::ostream* out) { *out << level.name; }

const PathLevel kPathLevels[] = {
    {"Plain", "mmx sse2", "plain", false},
    {"Mmx", "sse2", "plain mmx", true},
    {"Sse2", "", "plain mmx sse2", true},
    {"Sse2WithoutMmx", "mmx", "plain sse2", true},
};

// The primitives run with each level's loops, each held to the plain reference.
class PixelPrimitives : public ::testing::TestWithParam<PathLevel> {
protected:
    void SetUp() override {
        const PixelFeatures host = HostFeatures();
        const std::string wanted = GetParam().in_use;
        if ((wanted.find("mmx") != std::string::npos && !host.mmx) ||
            (wanted.find("sse2") != std::string::npos && !host.sse2)) {
            GTEST_SKIP() << "this processor lacks " << wanted;
        }
        ASSERT_EQ(SelectPixelPaths(host, GetParam().switched_off), wanted);
    }
    void TearDown() override { SelectPixelPaths(PixelFeatures{}); }
    bool mmx() const { return GetParam().mmx_rule; }
};

TEST(SelectPixelPaths, TakesOnlyLevelsTheProcessorHasAndNoneSwitchedOff) {
    EXPECT_EQ(SelectPixelPaths(PixelFeatures{false, false}), "plain");
    EXPECT_EQ(SelectPixelPaths(PixelFeatures{true, false}), "plain mmx");
    EXPECT_EQ(SelectPixelPaths(PixelFeatures{false, true}, ""), "plain sse2");
    EXPECT_EQ(SelectPixelPaths(PixelFeatures{true, true}, "sse2,mmx"), "plain");
    // Only whole names count.
    EXPECT_EQ(SelectPixelPaths(PixelFeatures{true, true}, "sse mmx2 SSE2 plain"),
              "plain mmx sse2");
    EXPECT_EQ(SelectPixelPaths(PixelFeatures{}), "plain");
}

TEST_P(PixelPrimitives, BlendsGiveExactValues) {
    const struct {
        Blit op;
        uint32_t dest, source;
        uint8_t alpha;
        uint32_t plain, mmx;
    } cases[] = {
        // Source alpha 0 leaves the pixel; 255 takes the colour but keeps dest alpha.
        {Blit::SourceAlpha, 0x40123456, 0x00FFFFFF, 0, 0x40123456, 0x40123456},
        {Blit::SourceAlpha, 0x40123456, 0xFFA0B0C0, 0, 0x40A0B0C0, 0x40A0B0C0},
        // At 128: 255 over 0 gives 128, 0 over 255 gives 255 - 129 = 126.
        {Blit::SourceAlpha, 0x3300FFFF, 0x80FF0000, 0, 0x33807E7E, 0x33807E7E},
        // Alpha 1 still moves a channel: (-255 * 2) >> 8 floors to -2.
        {Blit::SourceAlpha, 0xFF0000FF, 0x01000000, 0, 0xFF0000FD, 0xFF0000FD},
        {Blit::Add, 0xC8C8C8C8, 0x64646464, 0, 0xFFFFFFFF, 0xFFFFFFFF},
        {Blit::Add, 0x00FF0001, 0x000100FF, 0, 0x00FF00FF, 0x00FF00FF},
        // a = 255, s = 255, d = 0: 255 on the plain path, 254 (alpha too) with MMX.
        {Blit::ConstantAlpha, 0x00000000, 0xFFFFFFFF, 255, 0x00FFFFFF, 0xFEFEFEFE},
        // The meter's afterglow opacity.
        {Blit::ConstantAlpha, 0x00F0E0D0, 0xFF102030, 160, 0x0063676B, 0x9F64686C},
        {Blit::ConstantAlpha, 0x12FF00FF, 0x00000000, 0, 0x12FF00FF, 0x12FF00FF},
    };
    for (const auto& c : cases) {
        Buffer dest(1, 1, c.dest), source(1, 1, c.source);
        RunBlit(c.op, dest, source, {1, 1, 0, 0, 0, 0}, c.alpha);
        EXPECT_EQ(dest.at(0, 0), mmx() ? c.mmx : c.plain)
            << std::hex << c.dest << " " << c.source << " " << int{c.alpha};
    }
}

// Runs one primitive and compares the whole destination, guards included, with
// ReferencePixel applied wherever the rectangle lies inside both buffers.
void ExpectMatchesReference(Blit op, bool mmx, Buffer& dest, Buffer& source, BlitRect rect,
                            uint8_t alpha, const std::string& context) {
    Buffer expected = dest;
    struct Tolerated { int32_t x, y; uint32_t dest, source; };
    std::vector<Tolerated> tolerated;
    for (int32_t j = 0; j < rect.height; ++j) {
        for (int32_t i = 0; i < rect.width; ++i) {
            const int32_t sx = rect.source_x + i, sy = rect.source_y + j;
            const int32_t dx = rect.dest_x + i, dy = rect.dest_y + j;
            if (sx < 0 || sy < 0 || sx >= source.width || sy >= source.height || dx < 0 ||
                dy < 0 || dx >= dest.width || dy >= dest.height) {
                continue;
            }
            const uint32_t before = dest.at(dx, dy);
            expected.at(dx, dy) = ReferencePixel(op, before, source.at(sx, sy), alpha);
            if (op == Blit::ConstantAlpha && mmx && alpha != 0) {
                tolerated.push_back({dx, dy, before, source.at(sx, sy)});
                expected.at(dx, dy) = MmxRulePixel(before, source.at(sx, sy), alpha);
            }
        }
    }
    RunBlit(op, dest, source, rect, alpha);
    ASSERT_TRUE(dest.guards_intact()) << context << " " << Describe(rect);
    for (const Tolerated& t : tolerated) {
        ASSERT_TRUE(WithinMmxBlendTolerance(dest.at(t.x, t.y), t.dest, t.source, alpha))
            << context << " at " << t.x << "," << t.y;
    }
    ASSERT_TRUE(dest == expected) << context << " " << Describe(rect);
}

// Random buffers of odd sizes and random rectangles, many partly or wholly outside.
void CompareWithReference(Blit op, bool mmx, uint32_t seed) {
    std::mt19937 random(seed);
    const auto between = [&](int32_t low, int32_t high) {
        return std::uniform_int_distribution<int32_t>(low, high)(random);
    };
    const auto pixel = [&]() {
        static const uint32_t alphas[] = {0x00, 0xFF, 0x80, 0x01};
        const uint32_t colour = random() & 0x00FFFFFF;
        const uint32_t alpha = between(0, 4) < 4 ? alphas[between(0, 3)] : random() >> 24;
        return alpha << 24 | colour;
    };
    for (int trial = 0; trial < 150; ++trial) {
        Buffer source(between(1, 20) * 2 + 1, between(1, 12) * 2 + 1);
        Buffer dest(between(1, 20) * 2 + 1, between(1, 12) * 2 + 1);
        for (int32_t i = 0; i < source.width * source.height; ++i) source.data()[i] = pixel();
        for (int32_t i = 0; i < dest.width * dest.height; ++i) dest.data()[i] = pixel();
        const BlitRect rect = {between(-5, 50), between(-5, 30), between(-30, 40),
                               between(-20, 25), between(-30, 40), between(-20, 25)};
        ExpectMatchesReference(op, mmx, dest, source, rect,
                               static_cast<uint8_t>(between(0, 255)),
                               "trial " + std::to_string(trial));
        if (::testing::Test::HasFatalFailure()) return;
    }
}

TEST_P(PixelPrimitives, CopyMatchesTheReferenceOnRandomRectangles) {
    CompareWithReference(Blit::Copy, mmx(), 1);
}
TEST_P(PixelPrimitives, BlendBySourceAlphaMatchesTheReferenceOnRandomRectangles) {
    CompareWithReference(Blit::SourceAlpha, mmx(), 2);
}
TEST_P(PixelPrimitives, AddSaturatedMatchesTheReferenceOnRandomRectangles) {
    CompareWithReference(Blit::Add, mmx(), 3);
}
TEST_P(PixelPrimitives, BlendByConstantAlphaMatchesTheReferenceOnRandomRectangles) {
    CompareWithReference(Blit::ConstantAlpha, mmx(), 4);
}

TEST_P(PixelPrimitives, RectanglesOfWholeRowsMatchTheReference) {
    // Full-width rectangles are contiguous blocks in both buffers; as wide as only
    // one of them (the narrower one's whole rows), they are not.
    for (Blit op : {Blit::Copy, Blit::SourceAlpha, Blit::Add, Blit::ConstantAlpha}) {
        for (const auto& widths : {std::pair<int32_t, int32_t>{7, 7}, {7, 11}, {11, 7}}) {
            Buffer source(widths.first, 5), dest(widths.second, 6);
            for (uint32_t i = 0; i < 5u * source.width; ++i) {
                source.data()[i] = 0x80FF4020u + i * 0x01030507u;
            }
            for (uint32_t i = 0; i < 6u * dest.width; ++i) dest.data()[i] = 0x11223344u * (i + 1);
            ExpectMatchesReference(op, mmx(), dest, source, {7, 5, 0, 0, 0, 1}, 99,
                                   "op " + std::to_string(static_cast<int>(op)) + " widths " +
                                       std::to_string(widths.first) + "/" +
                                       std::to_string(widths.second));
        }
    }
}

TEST_P(PixelPrimitives, MeterSizedPicturesMatchTheReference) {
    // The pictures at 100 % and 200 %, whole and as one slot's block, with a source
    // like the text layer: transparent but for specks of ink at every alpha.
    for (const auto& size : {std::pair<int32_t, int32_t>{240, 96}, {480, 192}}) {
        const int32_t w = size.first, h = size.second;
        Buffer source(w, h), dest(w, h);
        for (int32_t i = 0; i < w * h; ++i) {
            const uint32_t hash = static_cast<uint32_t>(i) * 2654435761u;
            const uint32_t alpha = i % 23 < 3 ? hash >> 24 : i % 97 == 50 ? 0xFFu : 0u;
            source.data()[i] = alpha << 24 | (hash & 0x00FFFFFF);
            dest.data()[i] = 0xFF000000u | static_cast<uint32_t>(i) * 40503u;
        }
        for (Blit op : {Blit::Copy, Blit::SourceAlpha, Blit::Add, Blit::ConstantAlpha}) {
            for (const BlitRect& rect : {BlitRect{w, h, 0, 0, 0, 0},
                                         BlitRect{w / 2, h / 8, 3, h / 8, w / 2, h / 4}}) {
                Buffer d = dest;
                ExpectMatchesReference(op, mmx(), d, source, rect, 160,
                                       std::to_string(w) + " op " +
                                           std::to_string(static_cast<int>(op)));
            }
        }
        Buffer filled = dest, expected = dest;
        for (int32_t y = 1; y < h - 1; ++y) {
            for (int32_t x = 0; x < w; ++x) expected.at(x, y) = 0xFFCCCCCC;
        }
        FillPixels(filled.data(), 0xFFCCCCCC, w, h, {0, 1, w, h - 2});
        EXPECT_TRUE(filled == expected) << w;
    }
}

TEST_P(PixelPrimitives, BandsOfOneBufferCombineWithEachOther) {
    // As the bar atlas does: a 7x3 block added onto a block further down.
    Buffer atlas(9, 8);
    for (int32_t i = 0; i < 9 * 8; ++i) atlas.data()[i] = 0x10203040u + static_cast<uint32_t>(i);
    Buffer expected = atlas;
    for (int32_t y = 0; y < 3; ++y) {
        for (int32_t x = 0; x < 7; ++x) {
            expected.at(x + 2, y + 5) =
                ReferencePixel(Blit::Add, atlas.at(x + 2, y + 5), atlas.at(x + 1, y), 0);
        }
    }
    AddSaturated(atlas.data(), atlas.data(), 9, 8, 9, 8, {7, 3, 1, 0, 2, 5});
    EXPECT_TRUE(atlas == expected);
}

TEST_P(PixelPrimitives, FillPixelsWritesTheClippedAreaOnly) {
    const struct { FillArea area; int32_t x0, y0, x1, y1; } cases[] = {
        {{-2, -1, 5, 3}, 0, 0, 3, 2},
        {{4, 3, 10, 10}, 4, 3, 7, 5},
        {{1, 1, 5, 3}, 1, 1, 6, 4},
        {{0, 0, 7, 5}, 0, 0, 7, 5},
    };
    for (const auto& c : cases) {
        Buffer buffer(7, 5, 0x11111111);
        FillPixels(buffer.data(), 0xFF2040C0, 7, 5, c.area);
        for (int32_t y = 0; y < 5; ++y) {
            for (int32_t x = 0; x < 7; ++x) {
                const bool inside = x >= c.x0 && x < c.x1 && y >= c.y0 && y < c.y1;
                EXPECT_EQ(buffer.at(x, y), inside ? 0xFF2040C0u : 0x11111111u) << x << "," << y;
            }
        }
        EXPECT_TRUE(buffer.guards_intact());
    }
}

TEST_P(PixelPrimitives, EmptyOrOutsideRectanglesChangeNothing) {
    Buffer dest(5, 4, 0x01020304), source(5, 4, 0xFFFFFFFF);
    const Buffer before = dest;
    const BlitRect rects[] = {{0, 3, 0, 0, 0, 0},  {3, 0, 0, 0, 0, 0},  {-2, 3, 0, 0, 0, 0},
                              {3, 3, 0, 0, 5, 0},  {3, 3, 0, 0, 0, 4},  {3, 3, 0, 0, -3, 0},
                              {3, 3, 5, 0, 0, 0},  {3, 3, -3, 0, 0, 0}, {3, 3, 0, -9, 0, 0}};
    for (const BlitRect& rect : rects) {
        for (Blit op : {Blit::Copy, Blit::SourceAlpha, Blit::Add, Blit::ConstantAlpha}) {
            RunBlit(op, dest, source, rect, 200);
        }
    }
    const FillArea areas[] = {{0, 0, 0, 4}, {0, 0, 5, 0}, {1, 1, -3, 2}, {5, 0, 1, 1},
                              {0, -1, 5, 1}};
    for (const FillArea& area : areas) FillPixels(dest.data(), 0, 5, 4, area);
    EXPECT_TRUE(dest == before);
}

TEST_P(PixelPrimitives, MissingPixelMemoryIsSkipped) {
    Buffer buffer(4, 4, 0x01020304);
    const Buffer before = buffer;
    const BlitRect all = {4, 4, 0, 0, 0, 0};
    CopyPixels(buffer.data(), nullptr, 4, 4, 4, 4, all);
    BlendBySourceAlpha(buffer.data(), nullptr, 4, 4, 4, 4, all);
    AddSaturated(buffer.data(), nullptr, 4, 4, 4, 4, all);
    BlendByConstantAlpha(buffer.data(), nullptr, 4, 4, 4, 4, all, 128);
    CopyPixels(nullptr, buffer.data(), 4, 4, 4, 4, all);
    BlendBySourceAlpha(nullptr, buffer.data(), 4, 4, 4, 4, all);
    AddSaturated(nullptr, buffer.data(), 4, 4, 4, 4, all);
    BlendByConstantAlpha(nullptr, buffer.data(), 4, 4, 4, 4, all, 128);
    FillPixels(nullptr, 0, 4, 4, {0, 0, 4, 4});
    EXPECT_TRUE(buffer == before);
}

INSTANTIATE_TEST_SUITE_P(Paths, PixelPrimitives, ::testing::ValuesIn(kPathLevels),
                         [](const ::testing::TestParamInfo<PathLevel>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
