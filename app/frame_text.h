// The texts the main window composes: each frame's message to the meter (the
// new processor samples and the frame commands) and the hover tooltip.
#pragma once

#include <cstdint>
#include <string>

#include "app/face.h"
#include "measure/processor_usage.h"

// The whole percent the meter is told: truncated toward zero (a hair short of a
// whole percent counts as it, so a processor busy exactly 10 % of the interval
// says 10), then made non-negative. Values no integer can hold (NaN, huge) are pinned instead of
// being left to an undefined conversion.
int32_t WholePercent(double usage);

// One frame's text: a CPU_UPDATE for every fresh sample in ascending processor
// order, then the frame commands unless the previous frame was late and fewer
// than ten frames in a row have been skipped. Updates `skipped_frames`. The
// text replaces what `text` held; its capacity is kept, so a buffer kept from
// frame to frame asks the heap for nothing once it has grown.
void ComposeFrameText(const UsageSample* samples, uint32_t count, bool frame_late,
                      uint32_t& skipped_frames, std::string& text);

// How many processors there are: "" for one, "x8" for eight, and where the
// machine has more than are shown (`machine_count`), "x64 (32 shown)".
std::string ProcessorCountText(uint32_t processor_count, const Face& face,
                               uint32_t machine_count = 0);

// The hover tooltip: processor name (or "CPU"), " xN" for more than one
// processor, and the installed memory on a second line, labelled in the face's
// language. N is the machine's count (`machine_count`, when more than the
// `processor_count` shown), then followed by how many are shown: " x64 (32 shown)".
std::string ComposeTooltipText(const std::string& brand, uint32_t processor_count,
                               uint64_t total_memory, const Face& face,
                               uint32_t machine_count = 0);
