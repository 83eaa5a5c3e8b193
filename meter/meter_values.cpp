#include "meter/meter_values.h"

#include <cmath>

#include "text/string_helpers.h"
#include "text/tag_message.h"

namespace {

// Clamps to 0..100; a value that compares with nothing (NaN) counts as 0 so that
// the truncations below stay defined.
double ClampPercent(double usage) {
    if (!(usage > 0.0)) return 0.0;
    return usage >= 100.0 ? 100.0 : usage;
}

// The scale's slot over the 96-DPI one: exactly 1 at 96 DPI, so those lengths
// come out as they always did.
double SlotFactor(const MeterScale& scale) {
    return static_cast<double>(scale.slot_width) / static_cast<double>(kSlotWidth);
}

std::string ElementOrEmpty(const std::string& text, const char* name) {
    std::string content;
    GetTagElement(text, name, 0, content);
    return content;
}

}  // namespace

bool ReadCpuSample(const std::string& cpu, uint32_t processor_count, uint32_t& processor,
                   double& usage) {
    const int32_t index = TextToInt(ElementOrEmpty(cpu, "NUM"));
    if (index < 0 || static_cast<uint32_t>(index) >= kMaxProcessors ||
        static_cast<uint32_t>(index) >= processor_count) {
        return false;
    }
    processor = static_cast<uint32_t>(index);
    usage = ClampPercent(TextToInt(ElementOrEmpty(cpu, "USAGE")));
    return true;
}

double TransitionValue(double start, double delta, uint32_t elapsed_ms) {
    // pi/2 as a single-precision constant: the value lands on the sample at 1000 ms
    // to within rounding, and the phase is deliberately not limited.
    return start + delta * std::sin(static_cast<double>(elapsed_ms) * 0.001 * 1.5707963705062866);
}

int32_t UsageBarLength(double usage, const MeterScale& scale) {
    return static_cast<int32_t>(
        TruncateNearlyWhole(ClampPercent(usage) * 1.2000000476837158 * SlotFactor(scale)));
}

int32_t UsageStrip(double usage) {
    const double v = ClampPercent(usage);
    if (v > 80.0) return kStripHigh;
    return v > 50.0 ? kStripMiddle : kStripLow;
}

int32_t MemoryBarLength(double load, const MeterScale& scale) {
    if (!(load > 0.0)) return 0;
    return static_cast<int32_t>((load >= 1.0 ? 1.0 : load) * 120.0 * SlotFactor(scale));
}

int32_t MemoryStrip(double load) {
    // 0.8 in single precision: a load of exactly 0.8 stays in the middle band.
    if (load > 0.800000011920929) return kStripHigh;
    return load > 0.5 ? kStripMiddle : kStripMemory;
}

int32_t ShadingOffset(uint32_t ticks, const MeterScale& scale) {
    const uint32_t phase = (ticks >> 1) % 500;
    return static_cast<int32_t>(std::sin(phase * 0.00314192) * 120.0 * SlotFactor(scale));
}

std::string PercentText(double usage) {
    // Whole percents 0..100, right-aligned in three places as "%3d%%" prints
    // them; asked for every slot of every frame, so without the formatter.
    const int32_t percent = static_cast<int32_t>(TruncateNearlyWhole(ClampPercent(usage)));
    std::string text(percent < 10 ? 2 : percent < 100 ? 1 : 0, ' ');
    AppendInt(text, percent);
    text += '%';
    return text;
}

bool ComputeMemoryFigures(uint64_t total, uint64_t available, MemoryFigures& figures) {
    if (total == 0) return false;
    if (available > total) available = 0;
    figures.load = 1.0 - static_cast<double>(available) / static_cast<double>(total);
    figures.available = available;
    return true;
}
