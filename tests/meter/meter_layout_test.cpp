#include "meter/meter_layout.h"

#include <gtest/gtest.h>

#include "meter/surface_blocks.h"

#include <vector>

namespace {

TEST(MeterLayout, SlotsForEveryProcessor) {
    // Processors 0 and 1 share the left column; from 2 on, even left and odd right.
    const SlotPlace expected[32] = {
        {0, 0, 120}, {0, 12, 120}, {0, 24, 120}, {120, 24, 240},
        {0, 36, 120}, {120, 36, 240}, {0, 48, 120}, {120, 48, 240},
        {0, 60, 120}, {120, 60, 240}, {0, 72, 120}, {120, 72, 240},
        {0, 84, 120}, {120, 84, 240}, {0, 96, 120}, {120, 96, 240},
        {0, 108, 120}, {120, 108, 240}, {0, 120, 120}, {120, 120, 240},
        {0, 132, 120}, {120, 132, 240}, {0, 144, 120}, {120, 144, 240},
        {0, 156, 120}, {120, 156, 240}, {0, 168, 120}, {120, 168, 240},
        {0, 180, 120}, {120, 180, 240}, {0, 192, 120}, {120, 192, 240},
    };
    for (uint32_t k = 0; k < kMaxProcessors; ++k) {
        const SlotPlace s = ProcessorSlot(k);
        EXPECT_EQ(s.x, expected[k].x) << k;
        EXPECT_EQ(s.y, expected[k].y) << k;
        EXPECT_EQ(s.right, expected[k].right) << k;
    }
}

TEST(MeterLayout, HeightsByProcessorCount) {
    const int32_t heights[33] = {24,  24,  24,  36,  36,  48,  48,  60,  60,  72,  72,
                                 84,  84,  96,  96,  108, 108, 120, 120, 132, 132, 144,
                                 144, 156, 156, 168, 168, 180, 180, 192, 192, 204, 204};
    // The surfaces hold at least the 96 rows of the bar atlas.
    const int32_t surfaces[33] = {96,  96,  96,  96,  96,  96,  96,  96,  96,  96,  96,
                                  96,  96,  96,  96,  108, 108, 120, 120, 132, 132, 144,
                                  144, 156, 156, 168, 168, 180, 180, 192, 192, 204, 204};
    for (uint32_t n = 0; n <= 32; ++n) {
        EXPECT_EQ(WindowHeightForProcessors(n), heights[n]) << n;
        EXPECT_EQ(MeterSurfaceHeight(n), surfaces[n]) << n;
    }
    EXPECT_EQ(WindowHeightForProcessors(64), 204);
    EXPECT_EQ(MeterSurfaceHeight(64), 204);
}

TEST(MeterLayout, ProcessorCountIsClampedToOneThroughThirtyTwo) {
    EXPECT_EQ(ClampProcessorCount(0), 1u);
    EXPECT_EQ(ClampProcessorCount(2), 2u);
    EXPECT_EQ(ClampProcessorCount(32), 32u);
    EXPECT_EQ(ClampProcessorCount(33), 32u);
}

// Black text is colour 0 with alpha: only the alpha byte tells ink from the clear layer.
TEST(SurfaceBlocks, InkBoxFindsBlackInkAndUnionsAreExact) {
    Surface layer(20, 10);
    FillSurface(layer, 0);
    *layer.pixel_at(3, 2) = 0xFF000000u;
    *layer.pixel_at(7, 5) = 0x40000000u;
    *layer.pixel_at(15, 9) = 0xFF000000u;  // outside the block asked about
    const FillArea box = InkBox(layer, 10, 8);
    EXPECT_EQ((std::vector<int32_t>{box.x, box.y, box.width, box.height}),
              (std::vector<int32_t>{3, 2, 5, 4}));
    const FillArea both = UniteAreas(FillArea{2, 1, 3, 2}, FillArea{6, 4, 2, 5});
    EXPECT_EQ((std::vector<int32_t>{both.x, both.y, both.width, both.height}),
              (std::vector<int32_t>{2, 1, 6, 8}));
    EXPECT_EQ(InkBox(layer, 3, 2).width, 0);
}

}  // namespace
