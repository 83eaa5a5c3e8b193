#include "app/busiest_line.h"

#include "text/string_helpers.h"

namespace {

constexpr Utf16Unit kEllipsis = 0x2026;

bool IsHighSurrogate(Utf16Unit unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

// Into `line`: the label, the first `kept` units of the name (never half of a
// surrogate pair) and "…" when that is not all of it, then the amount.
void Compose(const Face& face, const Utf16Text& name, size_t kept, const Utf16Text& amount,
             Utf16Text& line) {
    const bool shortened = kept < name.size();
    if (shortened && kept > 0 && IsHighSurrogate(name[kept - 1])) --kept;
    line.assign(face.busiest_label);
    line.append(name.data(), kept);
    if (shortened) line.push_back(kEllipsis);
    line.append(amount);
}

}  // namespace

Utf16Text ComposeBusiestLine(const Face& face, const Utf16Text& name, int32_t percent,
                             LineWidth width, const void* context, int32_t limit) {
    Utf16Text amount(1, ' ');
    for (const char digit : IntToString(percent)) amount.push_back(digit);
    amount.push_back('%');
    Utf16Text line;
    Compose(face, name, name.size(), amount, line);
    if (width(line, context) <= limit) return line;
    // The widest beginning that fits, found by halving: a beginning is never
    // wider than a longer one, and a name can be hundreds of units long.
    size_t fits = 0;
    size_t too_wide = name.size();
    while (too_wide - fits > 1) {
        const size_t middle = fits + (too_wide - fits) / 2;
        Compose(face, name, middle, amount, line);
        if (width(line, context) <= limit) {
            fits = middle;
        } else {
            too_wide = middle;
        }
    }
    Compose(face, name, fits, amount, line);
    return line;
}
