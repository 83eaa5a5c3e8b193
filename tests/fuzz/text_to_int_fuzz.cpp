// Number reading from arbitrary text, checked against a plain reference: leading
// white space, a sign, digits; anything outside 32 bits reads as 0.
#include "text/string_helpers.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int32_t Reference(const std::string& text) {
    size_t i = text.find_first_not_of(" \t\n\r\v\f");
    if (i == std::string::npos) return 0;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
    int64_t magnitude = 0;
    bool digits = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        digits = true;
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > int64_t{INT32_MAX} + 1) return 0;
    }
    if (!digits) return 0;
    const int64_t value = negative ? -magnitude : magnitude;
    return value < INT32_MIN || value > INT32_MAX ? 0 : static_cast<int32_t>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (TextToInt(text) != Reference(text)) std::abort();
    if (TextToFlag(text) != (Reference(text) != 0)) std::abort();
    // Every value written survives being read back.
    if (size >= 4) {
        int32_t value;
        std::memcpy(&value, data, sizeof value);
        if (TextToInt(IntToString(value)) != value) std::abort();
    }
    return 0;
}
