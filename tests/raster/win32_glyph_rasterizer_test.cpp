#include "raster/win32_glyph_rasterizer.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/png_writer.h"

namespace {

constexpr uint32_t kGuard = 0xA5A5A5A5u;
constexpr size_t kGuardWords = 64;

// A target of width x height pixels with guard words on both sides, so that a
// write before the first or after the last pixel shows.
struct Layer {
    Layer(int32_t w, int32_t h, uint32_t fill = 0)
        : width(w), height(h), words(size_t(w) * h + 2 * kGuardWords, kGuard) {
        std::fill(words.begin() + kGuardWords, words.end() - kGuardWords, fill);
    }
    uint32_t* target() { return words.data() + kGuardWords; }
    uint32_t at(int32_t x, int32_t y) const { return words[kGuardWords + x + size_t(y) * width]; }
    bool guards_intact() const {
        return std::count(words.begin(), words.begin() + kGuardWords, kGuard) +
                   std::count(words.end() - kGuardWords, words.end(), kGuard) ==
               2 * kGuardWords;
    }
    // True when every pixel from (x0, y0) up to (x1, y1) equals `other` moved by (dx, dy).
    bool matches(const Layer& other, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t dx = 0,
                 int32_t dy = 0) const {
        for (int32_t y = y0; y < y1; ++y)
            for (int32_t x = x0; x < x1; ++x)
                if (at(x, y) != other.at(x + dx, y + dy)) return false;
        return true;
    }
    int32_t width, height;
    std::vector<uint32_t> words;
};

TEST(GlyphAlphaTable, RoundsEachLevelTimes255Over65) {
    for (int i = 0; i < 66; ++i) EXPECT_EQ(GlyphAlphaTable[i], std::lround(i * 255.0 / 65)) << i;
}

TEST(WriteGlyphBox, WritesLevelsAsAlphaAndClipsBoxesOverAnyEdge) {
    const int32_t box_width = 5, box_height = 4, pitch = 8;
    uint8_t levels[box_height * pitch];
    // Levels 1..32 inside the box; row padding holds junk that must not be drawn,
    // and one level above 64 reads as full coverage.
    for (int i = 0; i < box_height * pitch; ++i)
        levels[i] = uint8_t(i % pitch < box_width ? 1 + i : 99);
    levels[pitch + 1] = 200;
    const int32_t places[][2] = {{0, 0},           {-2, -1},    {2, 1}, {-4, 0},
                                 {0, -3},          {-5, 0},     {4, 3}, {INT_MAX - 2, 0},
                                 {INT_MIN + 1, 0}, {1, INT_MIN}};
    for (const auto& place : places) {
        const int32_t left = place[0], top = place[1];
        Layer layer(4, 3, 0x22222222u);
        WriteGlyphBox(layer.target(), 4, 3, left, top, box_width, box_height, levels, pitch,
                      0xFF00FF00u);
        EXPECT_TRUE(layer.guards_intact()) << left << "," << top;
        for (int32_t y = 0; y < 3; ++y)
            for (int32_t x = 0; x < 4; ++x) {
                const int64_t bx = int64_t{x} - left, by = int64_t{y} - top;
                const bool inside = bx >= 0 && bx < box_width && by >= 0 && by < box_height;
                const int level = inside ? std::min<int>(levels[by * pitch + bx], 64) : 0;
                EXPECT_EQ(layer.at(x, y),
                          inside ? uint32_t(GlyphAlphaTable[level]) << 24 | 0xFF00u : 0x22222222u)
                    << "box at " << left << "," << top << " pixel " << x << "," << y;
            }
    }
    // Without levels (a bitmap too large to fetch) the box turns transparent.
    Layer layer(4, 3, 0x22222222u);
    WriteGlyphBox(layer.target(), 4, 3, 3, 2, 2, 2, nullptr, 4, 0x123456u);
    EXPECT_EQ(layer.at(3, 2), 0x00123456u);
    EXPECT_EQ(layer.at(2, 2), 0x22222222u);
}

HFONT MakeFont(int height) {
    return CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       FIXED_PITCH | FF_MODERN, "MS UI Gothic");
}

// The meter's font, and a DC of its own to ask the system what it measures.
class Rasterizer : public ::testing::Test {
protected:
    void SetUp() override { use_font(MakeFont(12)); }
    void TearDown() override { use_font(nullptr); }

    void use_font(HFONT new_font) {
        if (dc_) {
            SelectObject(dc_, previous_);
            DeleteDC(dc_);
            DeleteObject(font_);
            dc_ = nullptr;
        }
        font_ = new_font;
        if (!font_) return;
        dc_ = CreateCompatibleDC(nullptr);
        previous_ = SelectObject(dc_, font_);
        GetTextMetricsA(dc_, &metrics);
        line = metrics.tmHeight;
    }

    TextExtent draw(Layer& layer, const std::string& text, int32_t width_limit = 0,
                    int32_t height_limit = 0, uint32_t colour = 0) {
        return RasterizeText(layer.target(), layer.width, layer.height, font_,
                             width_limit ? width_limit : layer.width,
                             height_limit ? height_limit : layer.height, colour, text);
    }

    int32_t system_width(const std::string& text) {
        SIZE size = {};
        GetTextExtentPoint32A(dc_, text.data(), int(text.size()), &size);
        return size.cx;
    }

    GLYPHMETRICS glyph(UINT code) {
        const MAT2 identity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
        GLYPHMETRICS out = {};
        glyph_size = GetGlyphOutlineA(dc_, code, GGO_GRAY8_BITMAP, &out, 0, nullptr, &identity);
        return out;
    }

    void expect_extent(const TextExtent& extent, int32_t right, int32_t bottom) {
        EXPECT_EQ(extent.left, 0);
        EXPECT_EQ(extent.right, right);
        EXPECT_EQ(extent.top, 0);
        EXPECT_EQ(extent.bottom, bottom);
    }

    TEXTMETRICA metrics = {};
    int32_t line = 0;
    DWORD glyph_size = 0;

private:
    HFONT font_ = nullptr;
    HDC dc_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

TEST_F(Rasterizer, BlanksMoveThePenWithoutDrawingOrWidening) {
    const Layer blank(120, 16);
    for (const char* text : {"", "   ", "\x81\x40", " \x81\x40 "}) {
        Layer layer(120, 16);
        expect_extent(draw(layer, text), 0, line);
        EXPECT_TRUE(layer.matches(blank, 0, 0, 120, 16)) << '"' << text << '"';
    }
    Layer plain(120, 16);
    const int32_t width = draw(plain, "l%").right;
    for (const auto& shifted : {std::make_pair(" l%", 25), std::make_pair("\x81\x40l%", 50)}) {
        Layer layer(120, 16);
        expect_extent(draw(layer, shifted.first), shifted.second + width, line);
        EXPECT_TRUE(layer.matches(blank, 0, 0, shifted.second, 16));
        EXPECT_TRUE(layer.matches(plain, shifted.second, 0, 120, 16, -shifted.second));
    }
}

TEST_F(Rasterizer, CoverageBecomesAlphaInTheTextColourAndLevelZeroErases) {
    Layer square(20, 16, 0xFFFFFFFFu);
    draw(square, "\x81\xa1", 0, 0, 0xAA123456u);  // a solid square: full coverage inside
    int full = 0;
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 20; ++x) {
            const uint32_t pixel = square.at(x, y);
            if (pixel == 0xFFFFFFFFu) continue;
            EXPECT_EQ(pixel & 0xFFFFFFu, 0x123456u);
            EXPECT_TRUE(std::count(GlyphAlphaTable, GlyphAlphaTable + 65, pixel >> 24));
            full += pixel >> 24 == 251;
        }
    EXPECT_GT(full, 20);
    // Inside the ring of an "O" nothing is covered: the box erases what lay there.
    Layer ring(20, 16, 0xFFFFFFFFu);
    draw(ring, "O", 0, 0, 0x123456u);
    const GLYPHMETRICS o = glyph('O');
    EXPECT_EQ(ring.at(o.gmptGlyphOrigin.x + int32_t(o.gmBlackBoxX) / 2,
                      metrics.tmAscent - o.gmptGlyphOrigin.y + int32_t(o.gmBlackBoxY) / 2),
              0x00123456u);
}

TEST_F(Rasterizer, TwoByteCodesAreOneCharacterEach) {
    // The system's own Shift-JIS measurement agrees with the pen only when lead
    // and trail bytes are taken together.
    for (const char* text : {"\x83\x81",
                             "A\x83\x81"
                             "B",
                             "\xB1", "\x83\x81\x83\x82\x83\x8A\x8E\x63\x82\xE8", "512.00MB"}) {
        Layer layer(120, 16);
        expect_extent(draw(layer, text), system_width(text), line);
    }
    // A lead byte as the last byte pairs with a zero trail byte and reads no further.
    Layer alone(40, 16), cut(40, 16);
    const int32_t a = draw(alone, "A").right;
    draw(cut, std::string("A\x83"));
    EXPECT_TRUE(cut.matches(alone, 0, 0, a, 16));
    EXPECT_TRUE(cut.guards_intact());
}

TEST_F(Rasterizer, ACharacterReachingTheWidthLimitStartsALineLower) {
    Layer one(40, 40);
    const int32_t advance = draw(one, "O").right;
    const int32_t limit = advance + glyph('O').gmCellIncX;

    Layer wrapped(40, 40);
    expect_extent(draw(wrapped, "OO", limit), advance, 2 * line);
    EXPECT_TRUE(wrapped.matches(one, 0, 0, 40, line));
    EXPECT_TRUE(wrapped.matches(one, 0, line, 40, 2 * line, 0, -line));

    Layer single_line(40, 40);
    expect_extent(draw(single_line, "OO", limit + 1), 2 * advance, line);

    // A line that does not fit the height limit ends the text: the fourth "O"
    // would sit on the third line, which does not fit.
    Layer cut(40, 40);
    expect_extent(draw(cut, "OOOO", limit, 2 * line + 1), advance, 2 * line);
    EXPECT_TRUE(cut.matches(Layer(40, 40), 0, 2 * line, 40, 40));
}

TEST_F(Rasterizer, SmallTargetsHoldTheTopLeftOfTheSameDrawing) {
    // Same limits, so the same layout: only the buffer differs.
    const std::string text = "Wg\x83\x81%j\x8E\x63";
    Layer reference(64, 48);
    const TextExtent expected = draw(reference, text, 20, 48);
    ASSERT_GT(expected.bottom, line);
    for (const auto& size : {std::make_pair(1, 1), std::make_pair(3, 2), std::make_pair(7, 30),
                             std::make_pair(20, 13), std::make_pair(64, 5)}) {
        Layer small(size.first, size.second);
        const TextExtent extent = draw(small, text, 20, 48);
        EXPECT_EQ(extent.right, expected.right);
        EXPECT_EQ(extent.bottom, expected.bottom);
        EXPECT_TRUE(small.guards_intact()) << size.first << "x" << size.second;
        EXPECT_TRUE(small.matches(reference, 0, 0, small.width, small.height))
            << size.first << "x" << size.second;
    }
    // Glyphs wider than the width limit still stay inside the buffer.
    Layer narrow(3, 30);
    draw(narrow, "\x81\xa1\x81\xa1", 3, 30);
    EXPECT_TRUE(narrow.guards_intact());
}

TEST_F(Rasterizer, AGlyphTooLargeForTheBufferLeavesATransparentBox) {
    use_font(MakeFont(64));
    const GLYPHMETRICS box = glyph(0x81a1);
    ASSERT_GT(glyph_size, 1024u);
    Layer layer(80, 80, 0xFFFFFFFFu);
    draw(layer, "\x81\xa1", 0, 0, 0x123456u);
    const int32_t left = box.gmptGlyphOrigin.x, top = metrics.tmAscent - box.gmptGlyphOrigin.y;
    for (int32_t y = 0; y < 80; ++y)
        for (int32_t x = 0; x < 80; ++x) {
            const bool inside = x >= left && x < left + int32_t(box.gmBlackBoxX) && y >= top &&
                                y < top + int32_t(box.gmBlackBoxY);
            ASSERT_EQ(layer.at(x, y), inside ? 0x00123456u : 0xFFFFFFFFu) << x << "," << y;
        }
}

// The meter's texts over a bar and a grey panel, saved for a person to look at.
TEST_F(Rasterizer, CachedGlyphsDrawEveryPercentageExactlyAsTheWholeText) {
    // At the meter's size and at a larger one, where glyph boxes overlap differently.
    for (int height : {12, 18}) {
        SCOPED_TRACE(height);
        const HFONT font = MakeFont(height);
        GlyphCache cache;
        ASSERT_TRUE(cache.build(font, "0123456789%"));
        for (int value = 0; value <= 100; ++value) {
            char text[8];
            std::snprintf(text, sizeof text, "%3d%%", value);
            Layer whole(240, 24, 0x5A5A5A5Au), cached(240, 24, 0x5A5A5A5Au);
            const TextExtent expected =
                RasterizeText(whole.target(), 240, 24, font, 240, 24, 0x00FFFFFFu, text);
            TextExtent extent = {-1, -1, -1, -1};
            ASSERT_TRUE(cache.draw(cached.target(), 240, 24, 240, 24, 0x00FFFFFFu, text, extent));
            EXPECT_EQ(extent.right, expected.right) << text;
            EXPECT_EQ(extent.bottom, expected.bottom) << text;
            ASSERT_TRUE(cached.matches(whole, 0, 0, 240, 24)) << text;
            ASSERT_TRUE(cached.guards_intact());
        }
        // A character it does not hold is left to the system: nothing drawn.
        Layer untouched(20, 12, 7);
        TextExtent extent = {};
        EXPECT_FALSE(cache.draw(untouched.target(), 20, 12, 20, 12, 0, "4.2%", extent));
        EXPECT_EQ(untouched.at(0, 0), 7u);
        DeleteObject(font);
    }
    GlyphCache empty;
    TextExtent extent = {};
    EXPECT_FALSE(empty.draw(nullptr, 0, 0, 0, 0, 0, " 1%", extent));
}

TEST_F(Rasterizer, TheMetersTextsMakeAPicture) {
    const int32_t width = 240, height = 48;
    std::vector<uint32_t> panel(width * height, 0xFFC8C8C8u);
    for (int32_t y = 4; y < 44; ++y) std::fill_n(&panel[4 + y * width], 120, 0xFF2A5A9Au);
    const struct {
        const char* text;
        uint32_t colour;
        int32_t x, y;
    } texts[] = {
        {" 42%", 0x00FFFFFFu, 8, 6},
        {"100%", 0x00FFFFFFu, 8, 26},
        {"\x83\x81\x83\x82\x83\x8A\x8E\x63\x82\xE8", 0, 132, 6},
        {"512.00MB", 0, 132, 26},
    };
    for (const auto& t : texts) {
        Layer layer(120, 16);
        const TextExtent extent = draw(layer, t.text, 0, 0, t.colour);
        for (int32_t y = 0; y < extent.bottom; ++y)
            for (int32_t x = 0; x < extent.right; ++x) {
                const uint32_t s = layer.at(x, y), alpha = s >> 24;
                uint32_t& d = panel[t.x + x + (t.y + y) * width];
                uint32_t out = 0xFF000000u;
                for (int shift = 0; shift < 24; shift += 8)
                    out |= ((s >> shift & 0xFF) * alpha + (d >> shift & 0xFF) * (255 - alpha)) / 255
                           << shift;
                d = out;
            }
    }
    // Every character of the caption left ink in its own cell.
    for (int32_t cell = 0; cell < 5; ++cell) {
        int ink = 0;
        for (int32_t y = 6; y < 18; ++y)
            ink += int(std::count_if(&panel[132 + 12 * cell + y * width],
                                     &panel[144 + 12 * cell + y * width],
                                     [](uint32_t p) { return p != 0xFFC8C8C8u; }));
        EXPECT_GT(ink, 10) << "character " << cell;
    }
    CreateDirectoryA(VG_ARTIFACTS_DIR, nullptr);
    EXPECT_TRUE(WritePng(VG_ARTIFACTS_DIR "/glyphs.png", panel.data(), width, height));
}

}  // namespace
