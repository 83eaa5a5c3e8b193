#include "meter/meter_layout.h"

SlotPlace ProcessorSlot(uint32_t processor) {
    if (processor < 2) return SlotPlace{0, static_cast<int32_t>(processor) * kRowHeight, kSlotWidth};
    const int32_t x = (processor % 2 == 0) ? 0 : kSlotWidth;
    const int32_t y = static_cast<int32_t>(processor / 2 + 1) * kRowHeight;
    return SlotPlace{x, y, x + kSlotWidth};
}

int32_t WindowHeightForProcessors(uint32_t processor_count) {
    const uint32_t n = ClampProcessorCount(processor_count);
    // The last processor's row, but never fewer than the two rows the memory needs.
    return static_cast<int32_t>((n - 1) / 2 + 2) * kRowHeight;
}

int32_t MeterSurfaceHeight(uint32_t processor_count) {
    const int32_t window = WindowHeightForProcessors(processor_count);
    return window > 96 ? window : 96;
}

uint32_t ClampProcessorCount(uint32_t reported) {
    if (reported < 1) return 1;
    return reported > kMaxProcessors ? kMaxProcessors : reported;
}
