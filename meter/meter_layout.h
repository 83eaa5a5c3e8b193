// Where the meter puts each processor and how large the window and its surfaces
// are for a processor count, at the display's scale. Processors 0 and 1 fill the
// left column of the first two rows; from 2 on even numbers go left and odd
// right, row = number / 2 + 1. Every length is the 96-DPI one times DPI / 96,
// rounded once, in MeterScale: the picture is drawn at that size, never
// stretched.
#pragma once

#include <cstdint>

#include "measure/processor_usage.h"
// The lengths at 96 DPI (100 %).
constexpr int32_t kMeterWidth = 240;
constexpr int32_t kSlotWidth = 120;
constexpr int32_t kRowHeight = 12;

// The scales the meter draws at: 100 % to 500 %.
constexpr uint32_t kBaseDpi = 96;
constexpr uint32_t kMostDpi = 480;

// Every length of the picture at one display scale.
struct MeterScale {
    uint32_t dpi;
    int32_t slot_width;        // 120: a processor's slot, a bar at 100 %, the memory side
    int32_t row_height;        // 12: a slot, a strip of the bar atlas, the font's cell
    int32_t width;             // two slots: the window
    int32_t text_inset;        // 4: a percentage from its slot's right edge
    int32_t memory_text_rows;  // 13: the rows the memory texts are cleared in
    int32_t scratch_height;    // 16: the surface each text is rasterized into
    int32_t blank_advance;     // 25: the pen's move for a blank
    int32_t wide_blank_advance;  // 50: for an ideographic blank
};

// The 96-DPI length at `dpi`, rounded half up.
constexpr int32_t ScaledLength(int32_t length, uint32_t dpi) {
    return static_cast<int32_t>((int64_t{length} * dpi + kBaseDpi / 2) / kBaseDpi);
}

// The scale of `dpi`, taken at the nearest end of 96..480 when outside it.
constexpr MeterScale ScaleForDpi(uint32_t dpi) {
    const uint32_t d = dpi < kBaseDpi ? kBaseDpi : dpi > kMostDpi ? kMostDpi : dpi;
    return MeterScale{d,
                      ScaledLength(kSlotWidth, d),
                      ScaledLength(kRowHeight, d),
                      2 * ScaledLength(kSlotWidth, d),
                      ScaledLength(4, d),
                      ScaledLength(13, d),
                      ScaledLength(16, d),
                      ScaledLength(25, d),
                      ScaledLength(50, d)};
}

// The lengths at 96 DPI.
constexpr MeterScale kUnscaled = ScaleForDpi(kBaseDpi);

struct SlotPlace {
    int32_t x;      // left edge of the slot
    int32_t y;      // top edge of the slot
    int32_t right;  // right edge of the percentage area
};

SlotPlace ProcessorSlot(uint32_t processor, const MeterScale& scale = kUnscaled);

// The memory bar's slot, right of processor 1's.
SlotPlace MemoryBarSlot(const MeterScale& scale = kUnscaled);

// 24, 36, 48, 60 for 1-2, 3-4, 5-6, 7-8 processors, 12 more per further row
// (at 96 DPI; rows of the scale's height otherwise).
int32_t WindowHeightForProcessors(uint32_t processor_count, const MeterScale& scale = kUnscaled);

// Height of the meter's surfaces: eight rows (96 at 96 DPI), or the window
// height when that is taller.
int32_t MeterSurfaceHeight(uint32_t processor_count, const MeterScale& scale = kUnscaled);

// The processor count the program works with: at least 1, at most 32.
uint32_t ClampProcessorCount(uint32_t reported);
