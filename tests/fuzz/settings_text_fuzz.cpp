// The settings reader over any file text: no crash or undefined arithmetic, the
// values it hands on are usable, and what it writes reads back the same.
#include "settings/settings_text.h"

#include "meter/meter_layout.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// A saved file always holds a position; without one the window was centred, and
// that place is what the next start reads.
bool Same(const StoredSettings& a, const StoredSettings& b) {
    const bool place = !a.position_found ||
                       (a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom);
    return place && b.position_found && a.frame_rate == b.frame_rate &&
           a.auto_hide == b.auto_hide && a.translucent == b.translucent && a.alpha == b.alpha &&
           a.iconized == b.iconized;
}

}  // namespace

// The first byte picks the processor count; the rest is the file's text.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint32_t processors = 1 + data[0] % kMaxProcessors;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    const StoredSettings read = ParseSettingsText(text, processors);
    if (read.frame_rate < 1 || read.frame_rate > 1000) std::abort();
    if (read.position_found) {
        if (static_cast<int64_t>(read.right) - read.left != kMeterWidth) std::abort();
        const int64_t height = WindowHeightForProcessors(processors);
        if (static_cast<int64_t>(read.bottom) - read.top != height) std::abort();
    }
    // The meter's part of the file is appended unchanged after the window's own
    // elements, so whatever it holds cannot change what the window reads back.
    const std::string saved = ComposeSettingsText(read, text);
    if (!Same(read, ParseSettingsText(saved, processors))) std::abort();
    return 0;
}
