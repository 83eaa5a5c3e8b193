#include "text/string_helpers.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <limits>

std::string FormatByteSize(uint64_t bytes) {
    const double count = static_cast<double>(bytes);
    const char* format;
    double value;
    if (bytes >= (uint64_t{1} << 30)) {
        format = "%4.2fGB";
        value = count * (1.0 / 1073741824.0);
    } else if (bytes >= (uint64_t{1} << 20)) {
        format = "%4.2fMB";
        value = count * (1.0 / 1048576.0);
    } else if (bytes >= 1024) {
        format = "%4.2fKB";
        value = count * (1.0 / 1024.0);
    } else {
        format = "%4.0fByte";
        value = count;
    }
    char buffer[1024] = {};
    std::snprintf(buffer, sizeof buffer, format, value);
    return std::string(buffer);
}

std::string IntToString(int32_t value) {
    std::string text;
    AppendInt(text, value);
    return text;
}

void AppendInt(std::string& text, int32_t value) {
    // Written from the last digit backwards; the magnitude as unsigned, so the
    // smallest 32-bit value needs no special case.
    char digits[11];
    size_t first = sizeof digits;
    uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    do {
        digits[--first] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) digits[--first] = '-';
    text.append(digits + first, sizeof digits - first);
}

namespace {

// The white space a classic-locale input stream skips before a number.
bool IsStreamSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The four bytes the trims remove; form feed and vertical tab are not among them.
bool IsTrimSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

int32_t TextToInt(std::string text) {
    size_t i = 0;
    const size_t n = text.size();
    while (i < n && IsStreamSpace(text[i])) ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= n || text[i] < '0' || text[i] > '9') return 0;
    // Accumulate as a negative number so the smallest 32-bit value fits.
    const int64_t limit = negative ? int64_t{std::numeric_limits<int32_t>::min()}
                                   : -int64_t{std::numeric_limits<int32_t>::max()};
    int64_t value = 0;
    for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 - (text[i] - '0');
        if (value < limit) return 0;
    }
    return static_cast<int32_t>(negative ? value : -value);
}

bool TextToFlag(std::string text) { return TextToInt(std::move(text)) != 0; }

std::string TrimLeft(std::string text) {
    size_t i = 0;
    while (i < text.size() && IsTrimSpace(text[i])) ++i;
    return text.substr(i);
}

std::string TrimRight(std::string text) {
    size_t n = text.size();
    while (n > 0 && IsTrimSpace(text[n - 1])) --n;
    text.resize(n);
    return text;
}

std::string Trim(std::string text) { return TrimRight(TrimLeft(std::move(text))); }

uint32_t ElapsedTicks(uint32_t earlier, uint32_t later) {
    if (later >= earlier) return later - earlier;
    // One less than the modular difference: kept as the pacing and transitions expect.
    return (0xFFFFFFFFu - earlier) + later;
}

void CutToDirectory(wchar_t* buffer, size_t length) {
    if (buffer == nullptr || length == 0) return;
    size_t i = wcsnlen(buffer, length);
    if (i == length) --i;
    for (;;) {
        if (buffer[i] == L'\\') return;
        buffer[i] = L'\0';
        if (i == 0) return;
        --i;
    }
}

double TruncateNearlyWhole(double value) {
    const double toward_zero = std::trunc(value);
    if (toward_zero == value || !std::isfinite(value)) return toward_zero;
    const double away = toward_zero + (value < 0.0 ? -1.0 : 1.0);
    return std::fabs(away - value) <= 1e-9 * std::fabs(away) ? away : toward_zero;
}
