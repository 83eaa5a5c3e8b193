#include "settings/settings_text.h"

#include "meter/meter_layout.h"
#include "text/string_helpers.h"
#include "text/tag_message.h"

#include <algorithm>

namespace {

bool Find(const std::string& text, const char* name, std::string& content) {
    return GetTagElement(text, name, 0, content);
}

std::string Element(const char* name, int32_t value) {
    return std::string("<") + name + ">" + IntToString(value) + "</" + name + ">";
}

}  // namespace

int32_t ClampFrameRate(int32_t frame_rate) {
    if (frame_rate < 1) return 30;
    return frame_rate > 1000 ? 1000 : frame_rate;
}

StoredSettings ParseSettingsText(const std::string& text, uint32_t processor_count) {
    StoredSettings settings;
    std::string position;
    if (Find(text, "POSITION", position)) {
        // Only the top-left corner is read: the size follows from this machine.
        std::string value;
        const int32_t height = WindowHeightForProcessors(processor_count);
        // A corner so far right or down that the far edge would not fit in 32
        // bits (a hand-edited file) is moved back just enough; that place is
        // off every screen anyway.
        if (Find(position, "x1", value))
            settings.left = std::min(TextToInt(value), INT32_MAX - kMeterWidth);
        if (Find(position, "y1", value)) settings.top = std::min(TextToInt(value), INT32_MAX - height);
        settings.right = settings.left + kMeterWidth;
        settings.bottom = settings.top + height;
        settings.position_found = true;
    }
    // Each value is searched from the start of the whole text. "<TRANS" also
    // matches "<TRANSRATE>", which is why the file puts TRANS first.
    std::string value;
    if (Find(text, "TRANSRATE", value)) {
        const int32_t rate = TextToInt(value);
        settings.alpha = rate >= 0 && rate <= 255 ? static_cast<uint8_t>(rate) : 255;
    }
    if (Find(text, "TRANS", value)) settings.translucent = TextToFlag(value);
    if (Find(text, "AUTO_HIDE", value)) settings.auto_hide = TextToFlag(value);
    if (Find(text, "FRAME_RATE", value)) settings.frame_rate = ClampFrameRate(TextToInt(value));
    if (Find(text, "ICON", value)) settings.iconized = TextToFlag(value);
    return settings;
}

std::string ComposeSettingsText(const StoredSettings& settings, const std::string& meter_text) {
    return "<POSITION>" + Element("x1", settings.left) + Element("x2", settings.right) +
           Element("y1", settings.top) + Element("y2", settings.bottom) + "</POSITION>" +
           Element("FRAME_RATE", settings.frame_rate) +
           Element("AUTO_HIDE", settings.auto_hide) + Element("TRANS", settings.translucent) +
           Element("TRANSRATE", settings.alpha) + Element("ICON", settings.iconized) + meter_text;
}
