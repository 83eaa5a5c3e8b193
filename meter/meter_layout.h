// Where the meter puts each processor and how tall the window and its surfaces
// are for a processor count. Processors 0 and 1 fill the left column of the first
// two rows; from 2 on even numbers go left and odd right, row = number / 2 + 1.
#pragma once

#include <cstdint>

constexpr uint32_t kMaxProcessors = 32;
constexpr int32_t kMeterWidth = 240;
constexpr int32_t kSlotWidth = 120;
constexpr int32_t kRowHeight = 12;

struct SlotPlace {
    int32_t x;      // left edge of the slot
    int32_t y;      // top edge of the slot
    int32_t right;  // right edge of the percentage area
};

SlotPlace ProcessorSlot(uint32_t processor);

// 24, 36, 48, 60 for 1-2, 3-4, 5-6, 7-8 processors, 12 more per further row.
int32_t WindowHeightForProcessors(uint32_t processor_count);

// Height of the meter's surfaces: 96, or the window height when that is taller.
int32_t MeterSurfaceHeight(uint32_t processor_count);

// The processor count the program works with: at least 1, at most 32.
uint32_t ClampProcessorCount(uint32_t reported);
