// Tag readers over arbitrary text: no crash, no read outside the text, and the
// count and the element lookup agree about which elements exist.
#include "text/tag_message.h"

#include <cstdint>
#include <cstdlib>
#include <string>

// The first byte gives the name's length (0 to 15), the name follows, the rest is the text.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t name_length = data[0] % 16 < size - 1 ? data[0] % 16 : size - 1;
    const std::string name(reinterpret_cast<const char*>(data + 1), name_length);
    const std::string text(reinterpret_cast<const char*>(data + 1 + name_length),
                           size - 1 - name_length);
    const std::string close = "</" + name + ">";

    const int32_t count = CountTagElements(text, name);
    if (count < 0 || static_cast<size_t>(count) > text.size()) std::abort();
    for (uint32_t index = 0; index <= static_cast<uint32_t>(count) + 1; ++index) {
        std::string out = "untouched";
        if (!GetTagElement(text, name, index, out)) {
            if (out != "untouched") std::abort();
            continue;
        }
        // Found elements are among the counted ones, and content ends at its close marker.
        if (index >= static_cast<uint32_t>(count)) std::abort();
        if (out.size() >= text.size() || out.find(close) != std::string::npos) std::abort();
        if (text.find(out) == std::string::npos) std::abort();
    }
    return 0;
}
