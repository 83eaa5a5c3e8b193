#include "app/frame_text.h"

#include <cmath>
#include <cstdio>

#include "text/string_helpers.h"

namespace {

constexpr uint32_t kMaxSkippedFrames = 10;

}  // namespace

int32_t WholePercent(double usage) {
    if (std::isnan(usage)) return 0;
    const double magnitude = std::fabs(TruncateNearlyWhole(usage));
    if (magnitude >= 2147483647.0) return 2147483647;
    return static_cast<int32_t>(magnitude);
}

void ComposeFrameText(const UsageSample* samples, uint32_t count, bool frame_late,
                      uint32_t& skipped_frames, std::string& text) {
    text.clear();
    for (uint32_t i = 0; i < count; ++i) {
        if (!samples[i].fresh) continue;
        if (text.empty()) text += "<MSG>";
        text += "<COMMAND>CPU_UPDATE</COMMAND><CPU><USAGE>";
        AppendInt(text, WholePercent(samples[i].usage));
        text += "</USAGE><NUM>";
        AppendInt(text, static_cast<int32_t>(i));
        text += "</NUM></CPU>";
    }
    if (!text.empty()) text += "</MSG>";
    // Drawing is what a late frame sheds; the eleventh frame is drawn however late.
    if (frame_late && skipped_frames < kMaxSkippedFrames) {
        ++skipped_frames;
        return;
    }
    text +=
        "<MSG><COMMAND>UPDATE_FRAME</COMMAND></MSG><MSG><COMMAND>DRAW_FRAME</COMMAND></MSG>";
    skipped_frames = 0;
}

std::string ProcessorCountText(uint32_t processor_count, const Face& face,
                               uint32_t machine_count) {
    if (machine_count < processor_count) machine_count = processor_count;
    if (machine_count <= 1) return std::string();
    char text[64];
    if (machine_count > processor_count) {
        std::snprintf(text, sizeof text, "x%lu (%lu %s)", static_cast<unsigned long>(machine_count),
                      static_cast<unsigned long>(processor_count), face.shown_word);
    } else {
        std::snprintf(text, sizeof text, "x%lu", static_cast<unsigned long>(machine_count));
    }
    return text;
}

std::string ComposeTooltipText(const std::string& brand, uint32_t processor_count,
                               uint64_t total_memory, const Face& face, uint32_t machine_count) {
    std::string text = Trim(brand);
    if (text.empty()) text = "CPU";
    const std::string count = ProcessorCountText(processor_count, face, machine_count);
    if (!count.empty()) text += " " + count;
    return text + "\n" + face.memory_label + FormatByteSize(total_memory);
}
