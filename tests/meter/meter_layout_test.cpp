#include "meter/meter_layout.h"

#include <gtest/gtest.h>

#include "meter/meter_values.h"
#include "meter/surface_blocks.h"

#include <iterator>
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

TEST(MeterLayout, EveryLengthFollowsTheDisplayScale) {
    // Worked out by hand: each 96-DPI length times DPI / 96.
    const struct {
        uint32_t dpi;
        int32_t slot, row, inset;
        int32_t height[5];  // for 1, 2, 3, 8 and 32 processors
        SlotPlace third, last;  // processors 2 and 31
        int32_t half, full;     // the bar at 50 and 100 %
        // The memory texts' cleared rows, the text scratch's height, a blank's
        // and an ideographic blank's advance.
        int32_t memory_rows, scratch, blank, wide_blank;
        int32_t shading[5];  // the shading's offset at 250, 500, 750, 998 and 1000 ms
    } cases[] = {
        {96, 120, 12, 4, {24, 24, 36, 60, 204}, {0, 24, 120}, {120, 192, 240}, 60, 120,
         13, 16, 25, 50, {45, 84, 110, 119, 0}},
        {120, 150, 15, 5, {30, 30, 45, 75, 255}, {0, 30, 150}, {150, 240, 300}, 75, 150,
         16, 20, 31, 63, {57, 106, 138, 149, 0}},
        {144, 180, 18, 6, {36, 36, 54, 90, 306}, {0, 36, 180}, {180, 288, 360}, 90, 180,
         20, 24, 38, 75, {68, 127, 166, 179, 0}},
        {168, 210, 21, 7, {42, 42, 63, 105, 357}, {0, 42, 210}, {210, 336, 420}, 105, 210,
         23, 28, 44, 88, {80, 148, 194, 209, 0}},
        {192, 240, 24, 8, {48, 48, 72, 120, 408}, {0, 48, 240}, {240, 384, 480}, 120, 240,
         26, 32, 50, 100, {91, 169, 221, 239, 0}},
        // Outside 96..480: taken at the nearest end.
        {72, 120, 12, 4, {24, 24, 36, 60, 204}, {0, 24, 120}, {120, 192, 240}, 60, 120,
         13, 16, 25, 50, {45, 84, 110, 119, 0}},
        {960, 600, 60, 20, {120, 120, 180, 300, 1020}, {0, 120, 600}, {600, 960, 1200}, 300, 600,
         65, 80, 125, 250, {229, 424, 554, 599, 0}},
    };
    const uint32_t counts[5] = {1, 2, 3, 8, 32};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dpi);
        const MeterScale scale = ScaleForDpi(c.dpi);
        EXPECT_EQ(scale.width, 2 * c.slot);
        EXPECT_EQ(scale.slot_width, c.slot);
        EXPECT_EQ(scale.row_height, c.row);
        EXPECT_EQ(scale.text_inset, c.inset);
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(WindowHeightForProcessors(counts[i], scale), c.height[i]) << counts[i];
        }
        const SlotPlace third = ProcessorSlot(2, scale), last = ProcessorSlot(31, scale);
        EXPECT_EQ((std::vector<int32_t>{third.x, third.y, third.right, last.x, last.y, last.right}),
                  (std::vector<int32_t>{c.third.x, c.third.y, c.third.right, c.last.x, c.last.y,
                                        c.last.right}));
        const SlotPlace memory = MemoryBarSlot(scale);
        EXPECT_EQ((std::vector<int32_t>{memory.x, memory.y, memory.right}),
                  (std::vector<int32_t>{c.slot, c.row, 2 * c.slot}));
        EXPECT_EQ(UsageBarLength(0.0, scale), 0);
        EXPECT_EQ(UsageBarLength(50.0, scale), c.half);
        EXPECT_EQ(UsageBarLength(100.0, scale), c.full);
        EXPECT_EQ(MemoryBarLength(0.5, scale), c.half);
        EXPECT_EQ(MemoryBarLength(1.0, scale), c.full);
        EXPECT_EQ((std::vector<int32_t>{scale.memory_text_rows, scale.scratch_height,
                                        scale.blank_advance, scale.wide_blank_advance}),
                  (std::vector<int32_t>{c.memory_rows, c.scratch, c.blank, c.wide_blank}));
        EXPECT_EQ(ShadingOffset(0, scale), 0);
        EXPECT_EQ((std::vector<int32_t>{ShadingOffset(250, scale), ShadingOffset(500, scale),
                                        ShadingOffset(750, scale), ShadingOffset(998, scale),
                                        ShadingOffset(1000, scale)}),
                  std::vector<int32_t>(std::begin(c.shading), std::end(c.shading)));
        EXPECT_GE(MeterSurfaceHeight(1, scale), 8 * c.row);  // the atlas's strips fit
    }
    // A scale between the usual ones rounds each length once: 110 DPI.
    const MeterScale odd = ScaleForDpi(110);
    EXPECT_EQ((std::vector<int32_t>{odd.slot_width, odd.width, odd.row_height, odd.blank_advance}),
              (std::vector<int32_t>{138, 276, 14, 29}));
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
    // Shared parts: overlapping, one inside the other, and areas that only touch.
    const auto shared = [](FillArea a, FillArea b) {
        const FillArea c = IntersectAreas(a, b);
        return std::vector<int32_t>{c.x, c.y, c.width, c.height};
    };
    EXPECT_EQ(shared({2, 1, 6, 8}, {5, 4, 10, 2}), (std::vector<int32_t>{5, 4, 3, 2}));
    EXPECT_EQ(shared({0, 0, 240, 13}, {120, 12, 120, 12}), (std::vector<int32_t>{120, 12, 120, 1}));
    EXPECT_EQ(shared({0, 0, 120, 12}, {0, 12, 120, 12}), (std::vector<int32_t>{0, 0, 0, 0}));
    EXPECT_EQ(shared({0, 0, 5, 5}, {5, 0, 5, 5}), (std::vector<int32_t>{0, 0, 0, 0}));
}

}  // namespace
