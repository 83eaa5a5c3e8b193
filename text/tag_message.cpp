#include "text/tag_message.h"

namespace {

struct Markers {
    std::string open;   // "<NAME" without ">", so "<TRANS" also matches "<TRANSRATE>"
    std::string close;  // "</NAME>"
};

Markers MakeMarkers(const std::string& name) {
    return Markers{"<" + name, "</" + name + ">"};
}

}  // namespace

int32_t CountTagElements(const std::string& text, const std::string& name) {
    const Markers m = MakeMarkers(name);
    const size_t n = text.size();
    size_t a = text.find(m.open);
    size_t b = text.find(m.close);
    int32_t count = 0;
    while (a != std::string::npos && b != std::string::npos && a < n && b > a) {
        ++count;
        a = text.find(m.open, b);
        if (a == std::string::npos) break;
        b = text.find(m.close, a);
    }
    return count;
}

bool GetTagElement(const std::string& text, const std::string& name, uint32_t index,
                   std::string& out) {
    const Markers m = MakeMarkers(name);
    size_t p = text.find(m.open);
    size_t q = text.find(m.close);
    if (p == std::string::npos) return false;
    uint32_t k = 0;
    while (q != std::string::npos && p < text.size() && q > p) {
        if (k + 1 > index) break;
        p = text.find(m.open, q);
        if (p == std::string::npos) return false;
        q = text.find(m.close, p);
        ++k;
    }
    if (q == std::string::npos || q <= p) return false;
    const size_t g = text.find('>', p);
    // A malformed open marker whose ">" lies beyond the close marker has no content.
    if (g == std::string::npos || g >= q) return false;
    out.assign(text, g + 1, q - g - 1);
    return true;
}
