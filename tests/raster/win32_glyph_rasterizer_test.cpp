#include "raster/glyph_rasterizer.h"

#include <gtest/gtest.h>

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
        for (size_t i = 0; i < kGuardWords; ++i)
            if (words[i] != kGuard || words[words.size() - 1 - i] != kGuard) return false;
        return true;
    }
    int32_t width, height;
    std::vector<uint32_t> words;
};

bool HasTableAlphaInColour(uint32_t pixel, uint32_t colour) {
    if ((pixel & 0x00FFFFFFu) != (colour & 0x00FFFFFFu)) return false;
    for (int level = 0; level <= 64; ++level)
        if (pixel >> 24 == GlyphAlphaTable[level]) return true;
    return false;
}

TEST(GlyphAlphaTable, RoundsEachLevelTimes255Over65) {
    for (int i = 0; i < 66; ++i) EXPECT_EQ(GlyphAlphaTable[i], std::lround(i * 255.0 / 65)) << i;
    EXPECT_EQ(GlyphAlphaTable[7], 27);
    EXPECT_EQ(GlyphAlphaTable[64], 251);
}

TEST(WriteGlyphBox, OverwritesTheBoxWithLevelsAsAlphaAndSkipsRowPadding) {
    Layer layer(6, 4, 0x11111111u);
    // Two rows of three levels, each row padded to four bytes with junk.
    const uint8_t levels[8] = {0, 32, 64, 99, 1, 63, 200, 99};
    WriteGlyphBox(layer.target(), 6, 4, 1, 1, 3, 2, levels, 4, 0xFFABCDEFu);
    const uint32_t expected[4][6] = {
        {0x11111111, 0x11111111, 0x11111111, 0x11111111, 0x11111111, 0x11111111},
        {0x11111111, 0x00ABCDEF, 0x7EABCDEF, 0xFBABCDEF, 0x11111111, 0x11111111},
        {0x11111111, 0x04ABCDEF, 0xF7ABCDEF, 0xFBABCDEF, 0x11111111, 0x11111111},
        {0x11111111, 0x11111111, 0x11111111, 0x11111111, 0x11111111, 0x11111111},
    };
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(layer.at(x, y), expected[y][x]) << x << "," << y;

    // Without levels (a glyph the buffer could not hold) the box turns transparent.
    WriteGlyphBox(layer.target(), 6, 4, 4, 2, 2, 2, nullptr, 4, 0x00123456u);
    EXPECT_EQ(layer.at(4, 2), 0x00123456u);
    EXPECT_EQ(layer.at(5, 3), 0x00123456u);
    EXPECT_EQ(layer.at(3, 3), 0x11111111u);
    WriteGlyphBox(nullptr, 6, 4, 0, 0, 3, 2, levels, 4, 0);  // no target, nothing to do
}

TEST(WriteGlyphBox, ClipsBoxesThatHangOverAnyEdge) {
    const int32_t box_width = 5, box_height = 4, pitch = 8;
    uint8_t levels[box_height * pitch];
    for (int i = 0; i < box_height * pitch; ++i)
        levels[i] = uint8_t(i % pitch < box_width ? 1 + i : 0);
    const int32_t places[][2] = {{-2, -1},         {2, 1},       {-4, 0},     {0, -3},
                                 {3, 2},           {-5, 0},      {4, 3},      {INT_MAX - 2, 0},
                                 {INT_MIN + 1, 0}, {0, INT_MAX}, {1, INT_MIN}};
    for (const auto& place : places) {
        const int32_t left = place[0], top = place[1];
        Layer layer(4, 3, 0x22222222u);
        WriteGlyphBox(layer.target(), 4, 3, left, top, box_width, box_height, levels, pitch,
                      0x00FF00u);
        EXPECT_TRUE(layer.guards_intact()) << left << "," << top;
        for (int32_t y = 0; y < 3; ++y)
            for (int32_t x = 0; x < 4; ++x) {
                const int64_t bx = int64_t{x} - left, by = int64_t{y} - top;
                const bool inside = bx >= 0 && bx < box_width && by >= 0 && by < box_height;
                const uint32_t expected =
                    inside ? uint32_t{GlyphAlphaTable[levels[by * pitch + bx]]} << 24 | 0x00FF00u
                           : 0x22222222u;
                EXPECT_EQ(layer.at(x, y), expected)
                    << "box at " << left << "," << top << " pixel " << x << "," << y;
            }
    }
}

HFONT MakeFont(int height, int escapement = 0) {
    return CreateFontA(height, 0, escapement, escapement, FW_NORMAL, FALSE, FALSE, FALSE,
                       SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
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
            DeleteObject(font);
            dc_ = nullptr;
        }
        font = new_font;
        if (!font) return;
        dc_ = CreateCompatibleDC(nullptr);
        previous_ = SelectObject(dc_, font);
        GetTextMetricsA(dc_, &metrics);
    }

    TextExtent draw(Layer& layer, const std::string& text, int32_t width_limit = 0,
                    int32_t height_limit = 0, uint32_t colour = 0) {
        return RasterizeText(layer.target(), layer.width, layer.height, font,
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
        GLYPHMETRICS metrics_out = {};
        glyph_size =
            GetGlyphOutlineA(dc_, code, GGO_GRAY8_BITMAP, &metrics_out, 0, nullptr, &identity);
        return metrics_out;
    }

    HFONT font = nullptr;
    TEXTMETRICA metrics = {};
    DWORD glyph_size = 0;

private:
    HDC dc_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

void ExpectExtent(const TextExtent& extent, int32_t right, int32_t bottom) {
    EXPECT_EQ(extent.left, 0);
    EXPECT_EQ(extent.right, right);
    EXPECT_EQ(extent.top, 0);
    EXPECT_EQ(extent.bottom, bottom);
}

bool Untouched(const Layer& layer, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
               uint32_t fill = 0) {
    for (int32_t y = y0; y < y1; ++y)
        for (int32_t x = x0; x < x1; ++x)
            if (layer.at(x, y) != fill) return false;
    return true;
}

TEST_F(Rasterizer, EmptyAndBlankTextsDrawNothingAndHaveNoWidth) {
    ASSERT_EQ(metrics.tmHeight, 12);
    for (const char* text : {"", "   ", "\x81\x40", " \x81\x40 "}) {
        Layer layer(120, 16);
        ExpectExtent(draw(layer, text), 0, metrics.tmHeight);
        EXPECT_TRUE(Untouched(layer, 0, 0, 120, 16)) << '"' << text << '"';
    }
}

TEST_F(Rasterizer, LeadingBlanksShiftTheTextAndCountInItsWidth) {
    Layer plain(120, 16);
    const int32_t width = draw(plain, "l%").right;
    ASSERT_GT(width, 0);
    for (const auto& shifted : {std::make_pair(" l%", 25), std::make_pair("\x81\x40l%", 50),
                                std::make_pair("  l%", 50)}) {
        Layer layer(120, 16);
        ExpectExtent(draw(layer, shifted.first), shifted.second + width, metrics.tmHeight);
        EXPECT_TRUE(Untouched(layer, 0, 0, shifted.second, 16));
        for (int32_t y = 0; y < 16; ++y)
            for (int32_t x = 0; x + shifted.second < 120; ++x)
                ASSERT_EQ(layer.at(x + shifted.second, y), plain.at(x, y)) << x << "," << y;
    }
}

TEST_F(Rasterizer, CoverageBecomesAlphaInTheTextColourAndFullCoverageIs251) {
    for (const char* text : {"\x81\xa1", "l|"}) {
        Layer layer(40, 16, 0xFFFFFFFFu);
        draw(layer, text, 0, 0, 0xAA123456u);
        int full = 0;
        for (uint32_t pixel : std::vector<uint32_t>(layer.target(), layer.target() + 40 * 16)) {
            if (pixel == 0xFFFFFFFFu) continue;
            EXPECT_TRUE(HasTableAlphaInColour(pixel, 0x123456u)) << std::hex << pixel;
            full += pixel >> 24 == 251;
        }
        // The solid square is fully covered inside; thin strokes need not be.
        if (text[0] == '\x81') {
            EXPECT_GT(full, 20);
        }
        EXPECT_TRUE(layer.guards_intact());
    }
    // Inside the ring of an "O" nothing is covered: the box erases what lay there.
    Layer ring(20, 16, 0xFFFFFFFFu);
    draw(ring, "O", 0, 0, 0x123456u);
    const GLYPHMETRICS o = glyph('O');
    const int32_t centre_x = o.gmptGlyphOrigin.x + int32_t(o.gmBlackBoxX) / 2;
    const int32_t centre_y = metrics.tmAscent - o.gmptGlyphOrigin.y + int32_t(o.gmBlackBoxY) / 2;
    EXPECT_EQ(ring.at(centre_x, centre_y), 0x00123456u);
}

TEST_F(Rasterizer, TwoByteCodesAreOneCharacterEach) {
    // The system's own Shift-JIS measurement agrees with the pen only if lead
    // and trail bytes are taken together.
    for (const char* text : {"\x83\x81",
                             "A\x83\x81"
                             "B",
                             "\xB1", "\x83\x81\x83\x82\x83\x8A\x8E\x63\x82\xE8", "512.00MB"}) {
        Layer layer(120, 16);
        ExpectExtent(draw(layer, text), system_width(text), metrics.tmHeight);
    }
    Layer full(40, 16), half(40, 16);
    EXPECT_EQ(draw(full, "\x83\x81").right, 2 * draw(half, "\xB1").right);

    // A lead byte as the last byte pairs with a zero trail byte and reads no further.
    Layer alone(40, 16), cut(40, 16);
    const int32_t a = draw(alone, "A").right;
    draw(cut, std::string("A\x83"));
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < a; ++x) EXPECT_EQ(cut.at(x, y), alone.at(x, y));
    EXPECT_TRUE(cut.guards_intact());
}

TEST_F(Rasterizer, ACharacterReachingTheWidthLimitStartsALineLower) {
    Layer one(40, 40);
    const int32_t advance = draw(one, "O").right;
    const int32_t limit = advance + glyph('O').gmCellIncX;

    Layer wrapped(40, 40);
    ExpectExtent(draw(wrapped, "OO", limit), advance, 2 * metrics.tmHeight);
    for (int32_t y = 0; y < metrics.tmHeight; ++y)
        for (int32_t x = 0; x < 40; ++x) {
            ASSERT_EQ(wrapped.at(x, y), one.at(x, y));
            ASSERT_EQ(wrapped.at(x, y + metrics.tmHeight), one.at(x, y)) << x << "," << y;
        }

    Layer single_line(40, 40);
    ExpectExtent(draw(single_line, "OO", limit + 1), 2 * advance, metrics.tmHeight);
    EXPECT_TRUE(Untouched(single_line, 0, metrics.tmHeight, 40, 40));
}

TEST_F(Rasterizer, ALineBeyondTheHeightLimitEndsTheText) {
    Layer one(40, 40);
    const int32_t advance = draw(one, "O").right;
    const int32_t limit = advance + glyph('O').gmCellIncX;
    const int32_t line = metrics.tmHeight;

    Layer layer(40, 40);
    ExpectExtent(draw(layer, "OO", limit, 2 * line), advance, line);
    EXPECT_TRUE(Untouched(layer, 0, line, 40, 40));
    // The third "O" needs a third line, which does not fit; the fourth would sit
    // on that same line and is not drawn either.
    Layer more(40, 40);
    ExpectExtent(draw(more, "OOOO", limit, 2 * line + 1), advance, 2 * line);
    EXPECT_TRUE(Untouched(more, 0, 2 * line, 40, 40));
}

TEST_F(Rasterizer, SmallTargetsHoldTheTopLeftOfTheSameDrawing) {
    // Same limits, so the same layout: only the buffer differs.
    const std::string text = "Wg\x83\x81%j\x8E\x63";
    const int32_t width_limit = 20, height_limit = 48;
    Layer reference(64, 48);
    const TextExtent expected = draw(reference, text, width_limit, height_limit);
    ASSERT_GT(expected.bottom, metrics.tmHeight);
    for (const auto& size :
         {std::make_pair(1, 1), std::make_pair(3, 2), std::make_pair(5, 12), std::make_pair(7, 30),
          std::make_pair(20, 13), std::make_pair(64, 5)}) {
        Layer small(size.first, size.second);
        const TextExtent extent = draw(small, text, width_limit, height_limit);
        EXPECT_EQ(extent.right, expected.right);
        EXPECT_EQ(extent.bottom, expected.bottom);
        EXPECT_TRUE(small.guards_intact()) << size.first << "x" << size.second;
        for (int32_t y = 0; y < small.height; ++y)
            for (int32_t x = 0; x < small.width; ++x)
                ASSERT_EQ(small.at(x, y), reference.at(x, y))
                    << size.first << "x" << size.second << " at " << x << "," << y;
    }
    // A glyph wider than the whole width limit still lands inside the buffer.
    Layer narrow(3, 30);
    draw(narrow, "\x81\xa1\x81\xa1", 3, 30);
    EXPECT_TRUE(narrow.guards_intact());
    const TextExtent no_target =
        RasterizeText(nullptr, 0, 0, font, width_limit, height_limit, 0, text);
    EXPECT_EQ(no_target.right, expected.right);
    EXPECT_EQ(no_target.bottom, expected.bottom);
}

TEST_F(Rasterizer, GlyphsReachingLeftOfOrAboveTheBufferAreClipped) {
    // Turned half round, glyphs lie left of the pen: a leading blank brings
    // into view what the plain text must clip away.
    use_font(MakeFont(12, 1800));
    if (glyph(0x81a1).gmptGlyphOrigin.x >= 0) GTEST_SKIP() << "font not turned";
    const std::string text = "\x81\xa1\x81\xa1";
    Layer plain(60, 24), shifted(60, 24);
    draw(plain, text);
    draw(shifted, " " + text);
    EXPECT_TRUE(plain.guards_intact());
    for (int32_t y = 0; y < 24; ++y)
        for (int32_t x = 0; x + 25 < 60; ++x)
            ASSERT_EQ(plain.at(x, y), shifted.at(x + 25, y)) << x << "," << y;

    // Turned a quarter, a glyph rises above the ascent; the same glyph one line
    // lower shows the row the first one lost.
    use_font(MakeFont(12, 900));
    const GLYPHMETRICS tall = glyph(0x8e63);
    if (tall.gmptGlyphOrigin.y <= metrics.tmAscent) GTEST_SKIP() << "glyph not above the ascent";
    Layer layer(40, 30);
    Layer first(40, 30);
    const int32_t advance = draw(first, "\x8e\x63").right;
    ExpectExtent(draw(layer, "\x8e\x63\x8e\x63", advance), advance, 2 * metrics.tmHeight);
    EXPECT_TRUE(layer.guards_intact());
    const int32_t lost = tall.gmptGlyphOrigin.y - metrics.tmAscent;
    for (int32_t y = 0; y + lost < metrics.tmHeight; ++y)
        for (int32_t x = 0; x < 40; ++x)
            ASSERT_EQ(layer.at(x, y), layer.at(x, y + metrics.tmHeight)) << x << "," << y;
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
    EXPECT_TRUE(layer.guards_intact());
}

// Lays a text layer over opaque pixels by its alpha.
void Composite(uint32_t* panel, int32_t panel_width, int32_t at_x, int32_t at_y, const Layer& text,
               const TextExtent& extent) {
    for (int32_t y = 0; y < extent.bottom; ++y)
        for (int32_t x = 0; x < extent.right; ++x) {
            const uint32_t s = text.at(x, y), alpha = s >> 24;
            uint32_t& d = panel[at_x + x + (at_y + y) * panel_width];
            uint32_t out = 0xFF000000u;
            for (int shift = 0; shift < 24; shift += 8)
                out |= (((s >> shift & 0xFF) * alpha + (d >> shift & 0xFF) * (255 - alpha)) / 255)
                       << shift;
            d = out;
        }
}

TEST_F(Rasterizer, TheMetersTextsMakeAPicture) {
    const int32_t width = 240, height = 48;
    std::vector<uint32_t> panel(width * height, 0xFFC8C8C8u);
    for (int32_t y = 4; y < 44; ++y)
        for (int32_t x = 4; x < 124; ++x)
            panel[x + y * width] = 0xFF2A5A9Au;  // a bar behind the figures
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
        Layer scratch(120, 16);
        const TextExtent extent = draw(scratch, t.text, 0, 0, t.colour);
        EXPECT_EQ(extent.right,
                  system_width(t.text) + (t.text[0] == ' ' ? 25 - system_width(" ") : 0));
        Composite(panel.data(), width, t.x, t.y, scratch, extent);
    }
    // Every character of the caption left ink in its own cell.
    for (int32_t cell = 0; cell < 5; ++cell) {
        int ink = 0;
        for (int32_t y = 6; y < 18; ++y)
            for (int32_t x = 132 + 12 * cell; x < 144 + 12 * cell; ++x)
                ink += panel[x + y * width] != 0xFFC8C8C8u;
        EXPECT_GT(ink, 10) << "character " << cell;
    }
    CreateDirectoryA(VG_ARTIFACTS_DIR, nullptr);
    EXPECT_TRUE(WritePng(VG_ARTIFACTS_DIR "/glyphs.png", panel.data(), width, height));
}

}  // namespace
