#include "app/busiest_line.h"

#include "text/string_helpers.h"

namespace {

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

std::u16string Line(const Face& face, const std::u16string& name, size_t kept, bool shortened,
                    const std::u16string& amount) {
    if (kept > 0 && kept < name.size() && IsHighSurrogate(name[kept - 1])) --kept;
    std::u16string line = face.busiest_label;
    line.append(name, 0, kept);
    if (shortened) line += u'\u2026';
    return line + amount;
}

}  // namespace

std::u16string ComposeBusiestLine(const Face& face, const std::u16string& name, int32_t percent,
                                  const LineWidth& width, int32_t limit) {
    const std::string digits = IntToString(percent);
    const std::u16string amount = u" " + std::u16string(digits.begin(), digits.end()) + u"%";
    std::u16string whole = Line(face, name, name.size(), false, amount);
    if (width(whole) <= limit) return whole;
    // The widest beginning that fits, found by halving: a beginning is never
    // wider than a longer one, and a name can be hundreds of units long.
    size_t fits = 0;
    size_t too_wide = name.size();
    while (too_wide - fits > 1) {
        const size_t middle = fits + (too_wide - fits) / 2;
        if (width(Line(face, name, middle, true, amount)) <= limit) {
            fits = middle;
        } else {
            too_wide = middle;
        }
    }
    return Line(face, name, fits, true, amount);
}
