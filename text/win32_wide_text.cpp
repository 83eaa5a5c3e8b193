#include "text/win32_wide_text.h"

#include <windows.h>

#include <cwchar>
#include <type_traits>

#include "text/utf16_text.h"

namespace {

constexpr UINT kShiftJis = 932;

bool IsHighSurrogate(wchar_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

}  // namespace

std::wstring WideFromShiftJis(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int length = static_cast<int>(text.size());
    const int units = MultiByteToWideChar(kShiftJis, 0, text.data(), length, nullptr, 0);
    if (units > 0) {
        std::wstring wide(static_cast<size_t>(units), L'\0');
        MultiByteToWideChar(kShiftJis, 0, text.data(), length, &wide[0], units);
        return wide;
    }
    // A system without the Japanese conversion table still gets the ASCII
    // texts right, which are all of them outside the Japanese face.
    std::wstring wide;
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        wide += byte < 0x80 ? static_cast<wchar_t>(byte) : L'?';
    }
    return wide;
}

static_assert(std::is_same<Utf16Text, std::wstring>::value,
              "the system's UTF-16 names are wide strings here");

void CopyWideBounded(wchar_t* target, size_t capacity, const std::wstring& text) {
    if (capacity == 0) return;
    size_t length = text.size();
    if (length > capacity - 1) {
        length = capacity - 1;
        if (length > 0 && IsHighSurrogate(text[length - 1])) --length;
    }
    std::wmemcpy(target, text.data(), length);
    target[length] = L'\0';
}
