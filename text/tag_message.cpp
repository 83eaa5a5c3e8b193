#include "text/tag_message.h"

#include <cstring>

namespace {

// Longest name whose markers are put together on the stack; every name this
// program uses is far shorter.
constexpr size_t kShortName = 30;

// Where `marker` (`length` >= 1 bytes) first starts in `text` at or after
// `from`, as std::string::find answers. Written out: the texts are a few dozen
// bytes, read thirty times a second, and the C library's searches cost more in
// calls than in comparing.
size_t FindMarker(const std::string& text, const char* marker, size_t length, size_t from) {
    const char* const data = text.data();
    const size_t size = text.size();
    for (size_t i = from; i < size && size - i >= length; ++i) {
        if (data[i] != marker[0]) continue;
        size_t k = 1;
        while (k < length && data[i + k] == marker[k]) ++k;
        if (k == length) return i;
    }
    return std::string::npos;
}

// Both markers of a name, one after the other: "<NAME" then "</NAME>".
class Markers {
public:
    Markers(const char* name, size_t length) : length_(length) {
        if (length > kShortName) long_.resize(2 * length + 4);
        char* text = length > kShortName ? &long_[0] : short_;
        text[0] = '<';
        std::memcpy(text + 1, name, length);
        text[length + 1] = '<';
        text[length + 2] = '/';
        std::memcpy(text + length + 3, name, length);
        text[2 * length + 3] = '>';
        text_ = text;
    }
    size_t open(const std::string& text, size_t from) const {
        return FindMarker(text, text_, length_ + 1, from);
    }
    size_t close(const std::string& text, size_t from) const {
        return FindMarker(text, text_ + length_ + 1, length_ + 3, from);
    }

private:
    Markers(const Markers&) = delete;
    Markers& operator=(const Markers&) = delete;
    size_t length_;
    const char* text_;
    char short_[2 * kShortName + 4];
    std::string long_;
};

int32_t Count(const std::string& text, const Markers& m) {
    const size_t n = text.size();
    size_t a = m.open(text, 0);
    size_t b = m.close(text, 0);
    int32_t count = 0;
    while (a != std::string::npos && b != std::string::npos && a < n && b > a) {
        ++count;
        a = m.open(text, b);
        if (a == std::string::npos) break;
        b = m.close(text, a);
    }
    return count;
}

bool Get(const std::string& text, const Markers& m, uint32_t index, std::string& out) {
    size_t p = m.open(text, 0);
    size_t q = m.close(text, 0);
    if (p == std::string::npos) return false;
    uint32_t k = 0;
    while (q != std::string::npos && p < text.size() && q > p) {
        if (k + 1 > index) break;
        p = m.open(text, q);
        if (p == std::string::npos) return false;
        q = m.close(text, p);
        ++k;
    }
    if (q == std::string::npos || q <= p) return false;
    const size_t g = text.find('>', p);
    // A malformed open marker whose ">" lies beyond the close marker has no content.
    if (g == std::string::npos || g >= q) return false;
    out.assign(text, g + 1, q - g - 1);
    return true;
}

}  // namespace

int32_t CountTagElements(const std::string& text, const std::string& name) {
    return Count(text, Markers(name.data(), name.size()));
}

int32_t CountTagElements(const std::string& text, const char* name) {
    return Count(text, Markers(name, std::strlen(name)));
}

bool GetTagElement(const std::string& text, const std::string& name, uint32_t index,
                   std::string& out) {
    return Get(text, Markers(name.data(), name.size()), index, out);
}

bool GetTagElement(const std::string& text, const char* name, uint32_t index, std::string& out) {
    return Get(text, Markers(name, std::strlen(name)), index, out);
}
