#include "meter/meter_layout.h"

namespace {

constexpr int32_t kSurfaceRows = 8;

}  // namespace

SlotPlace ProcessorSlot(uint32_t processor, const MeterScale& scale) {
    const int32_t row = processor < 2 ? static_cast<int32_t>(processor)
                                      : static_cast<int32_t>(processor / 2 + 1);
    const int32_t x = processor >= 2 && processor % 2 == 1 ? scale.slot_width : 0;
    return SlotPlace{x, row * scale.row_height, x + scale.slot_width};
}

SlotPlace MemoryBarSlot(const MeterScale& scale) {
    return SlotPlace{scale.slot_width, scale.row_height, scale.width};
}

int32_t WindowHeightForProcessors(uint32_t processor_count, const MeterScale& scale) {
    const uint32_t n = ClampProcessorCount(processor_count);
    // The last processor's row, but never fewer than the two rows the memory needs.
    return static_cast<int32_t>((n - 1) / 2 + 2) * scale.row_height;
}

int32_t MeterSurfaceHeight(uint32_t processor_count, const MeterScale& scale) {
    const int32_t window = WindowHeightForProcessors(processor_count, scale);
    const int32_t least = kSurfaceRows * scale.row_height;
    return window > least ? window : least;
}

uint32_t ClampProcessorCount(uint32_t reported) {
    if (reported < 1) return 1;
    return reported > kMaxProcessors ? kMaxProcessors : reported;
}
