#include "raster/pixel_primitives.h"
#include "raster/surface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

namespace {

struct Rgb {
    int32_t r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

Rgb Hsv(int32_t hue, int32_t saturation, int32_t value) {
    Rgb c = {-1, -1, -1};
    HsvToRgb(hue, saturation, value, c.r, c.g, c.b);
    return c;
}

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "(" << c.r << "," << c.g << "," << c.b << ")";
}

TEST(HsvToRgb, WalksTheSixSectorsAndRoundsHalfAwayFromZero) {
    const struct { int32_t hue, saturation, value; Rgb rgb; } cases[] = {
        {0, 510, 511, {255, 0, 0}},
        {3072, 510, 511, {255, 0, 0}},
        {3072, 510, 300, {150, 0, 0}},
        // One hue inside each sector; at value 511 the full channel rounds to 256
        // and is held at 255.
        {256, 510, 510, {255, 128, 0}},   {256, 510, 511, {255, 128, 0}},
        {768, 510, 510, {128, 255, 0}},   {1280, 510, 510, {0, 255, 128}},
        {1792, 510, 510, {0, 128, 255}},  {2304, 510, 510, {128, 0, 255}},
        {2816, 510, 510, {255, 0, 128}},
        // Half saturation lifts the missing channels halfway towards white.
        {256, 255, 400, {200, 150, 100}}, {1280, 255, 400, {100, 200, 150}},
        {2304, 255, 400, {150, 100, 200}},
        // No saturation: grey of half the value, 0.5 and 2.5 rounding upwards.
        {1000, 0, 511, {255, 255, 255}},  {0, 0, 1, {1, 1, 1}},
        {2000, 0, 5, {3, 3, 3}},          {0, 0, 0, {0, 0, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Hsv(c.hue, c.saturation, c.value), c.rgb)
            << c.hue << "/" << c.saturation << "/" << c.value;
    }
}

TEST(HsvToRgb, HueWrapsAroundTheCircle) {
    for (int32_t hue : {0, 100, 1500, 3000}) {
        EXPECT_EQ(Hsv(hue + 3072, 510, 400), Hsv(hue, 510, 400)) << hue;
        EXPECT_EQ(Hsv(hue - 3072, 510, 400), Hsv(hue, 510, 400)) << hue;
    }
}

constexpr uint32_t kUntouched = 0x12345678;

// A surface whose every pixel starts as kUntouched.
class FilledSurface : public Surface {
public:
    FilledSurface(int32_t width, int32_t height) : Surface(width, height) {
        std::fill_n(pixels, width * height, kUntouched);
    }
};

TEST(FillSineGradient, RunsAHalfSineFromTheFirstColourAndBack) {
    FilledSurface surface(130, 20);
    FillSineGradient(surface, 0xFF666666, 0xFF333333, 3, 5, 120, 12);
    uint32_t rows[12];
    for (int32_t r = 0; r < 12; ++r) {
        rows[r] = *surface.pixel_at(3, 5 + r);
        for (int32_t x = 3; x < 123; ++x) ASSERT_EQ(*surface.pixel_at(x, 5 + r), rows[r]);
        EXPECT_EQ(*surface.pixel_at(2, 5 + r), kUntouched);
        EXPECT_EQ(*surface.pixel_at(123, 5 + r), kUntouched);
    }
    // Worked out by hand: 0x66 - 51 * sin(pi * (r - 1) / 12), truncated; row 2
    // is 88.8 and row 11 is 76.5000032, so rounding would show one step brighter.
    const uint32_t expected[12] = {0xFF666666, 0xFF666666, 0xFF585858, 0xFF4C4C4C,
                                   0xFF414141, 0xFF393939, 0xFF343434, 0xFF333333,
                                   0xFF343434, 0xFF393939, 0xFF414141, 0xFF4C4C4C};
    for (int32_t r = 0; r < 12; ++r) EXPECT_EQ(rows[r], expected[r]) << "row " << r;
    for (int32_t x = 0; x < 130; ++x) {
        EXPECT_EQ(*surface.pixel_at(x, 4), kUntouched);
        EXPECT_EQ(*surface.pixel_at(x, 17), kUntouched);
    }
}

TEST(FillSineGradient, UsesTheClippedHeight) {
    // Half of the 12 rows lie above the surface: the curve spans the 6 that remain.
    FilledSurface surface(4, 10);
    FillSineGradient(surface, 0xFF666666, 0xFF333333, 0, -6, 4, 12);
    EXPECT_EQ(*surface.pixel_at(0, 0), 0xFF666666u);
    EXPECT_EQ(*surface.pixel_at(0, 1), 0xFF666666u);
    EXPECT_EQ(*surface.pixel_at(3, 4), 0xFF333333u);
    EXPECT_EQ(*surface.pixel_at(0, 6), kUntouched);
}

TEST(FillWaveGradient, DrawsOneColumnMoreThanTheWidthAndClampsTheShading) {
    // The memory bar's strip: blue of a few bottom pixels runs slightly below 0.
    FilledSurface surface(240, 24);
    FillWaveGradient(surface, 0, 0, 120, 12, 1100, 510, 420);
    const struct { int32_t x, y; uint32_t colour; } pixels[] = {
        {0, 0, 0xFF00FF26},   {60, 0, 0xFF002E07},  {120, 0, 0xFF00FF26}, {0, 11, 0xFF004708},
        {60, 11, 0xFF000900}, {120, 11, 0xFF004708}, {30, 5, 0xFF00510B},
        // Shading below 0: clamped to 0, not wrapped to 255.
        {36, 11, 0xFF001300}, {41, 9, 0xFF001500},  {41, 10, 0xFF001000}, {41, 11, 0xFF000C00},
        {79, 11, 0xFF000C00}, {84, 11, 0xFF001300},
    };
    for (const auto& p : pixels) {
        EXPECT_EQ(*surface.pixel_at(p.x, p.y), p.colour) << p.x << "," << p.y;
    }
    for (int32_t y = 0; y < 12; ++y) {
        EXPECT_EQ(*surface.pixel_at(121, y), kUntouched) << y;
        EXPECT_LT(*surface.pixel_at(60, y) & 0xFF, 0x80u) << y;  // no wrapped blue anywhere
    }
    for (int32_t x = 0; x < 240; ++x) EXPECT_EQ(*surface.pixel_at(x, 12), kUntouched) << x;
}

TEST(FillWaveGradient, ColumnCountFollowsTheAccumulatedStep) {
    // For width 9 the ninth step already passes 1.0: no extra column.
    FilledSurface surface(20, 2);
    FillWaveGradient(surface, 2, 0, 9, 2, 0, 0, 300);
    EXPECT_EQ(*surface.pixel_at(1, 0), kUntouched);
    EXPECT_NE(*surface.pixel_at(10, 0), kUntouched);
    EXPECT_EQ(*surface.pixel_at(11, 0), kUntouched);
}

TEST(FillWaveGradient, HighlightIsGreyAndBrightestAtBothEnds) {
    FilledSurface surface(240, 12);
    FillWaveGradient(surface, 120, 0, 120, 12, 0, 0, 300);
    EXPECT_EQ(*surface.pixel_at(120, 0), 0xFFFFFFFFu);
    EXPECT_EQ(*surface.pixel_at(180, 0), 0xFF6A6A6Au);
    EXPECT_EQ(*surface.pixel_at(180, 11), 0xFF191919u);
    EXPECT_EQ(*surface.pixel_at(239, 0), *surface.pixel_at(121, 0));
    EXPECT_EQ(*surface.pixel_at(119, 0), kUntouched);  // the extra column falls outside
}

TEST(Gradients, SkipASurfaceWithoutPixelMemory) {
    Surface surface(16, 16);
    surface.release();  // as after a failed allocation: size kept, no memory
    FillSineGradient(surface, 0xFF666666, 0xFF333333, 0, 0, 16, 16);
    FillWaveGradient(surface, 0, 0, 16, 16, 1100, 510, 420);
    EXPECT_FALSE(surface.has_pixels());
}

TEST(Gradients, AreasOutsideTheSurfaceDrawNothing) {
    FilledSurface surface(10, 10);
    FillSineGradient(surface, 0, 0, 10, 0, 5, 5);
    FillSineGradient(surface, 0, 0, 0, 0, 5, 0);
    FillWaveGradient(surface, -5, 0, 5, 5, 0, 0, 300);
    FillWaveGradient(surface, 0, 10, 5, 5, 0, 0, 300);
    FillWaveGradient(surface, 0, 0, 0, 5, 0, 0, 300);
    EXPECT_TRUE(std::all_of(surface.pixels, surface.pixels + 100,
                            [](uint32_t p) { return p == kUntouched; }));
}

}  // namespace
