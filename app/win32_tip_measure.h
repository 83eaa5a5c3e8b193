// Measures lines as the hover tooltip draws them: in the control's own font,
// against the widest line it shows without becoming wider than the virtual
// screen (beyond that the control would break the line or run off the
// screen).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "text/utf16_text.h"

// Holds a device context of the control, with its font, for its lifetime.
class TipMeasure {
public:
    explicit TipMeasure(HWND tip);
    ~TipMeasure();
    TipMeasure(const TipMeasure&) = delete;
    TipMeasure& operator=(const TipMeasure&) = delete;

    // Pixels; 0 when nothing can be measured.
    int32_t width(const Utf16Text& line) const;
    // The same, in the shape the tooltip line's composer asks for.
    static int32_t WidthOf(const Utf16Text& line, const void* measure);
    // The widest line in pixels: the control's maximum width where it has one,
    // and the virtual screen less the control's own margins and border (best
    // known while the control is shown).
    int32_t limit() const;

private:
    int32_t around_text() const;
    int32_t width(const wchar_t* text, size_t length) const;

    HWND tip_;
    HDC dc_;
    HGDIOBJ kept_font_;
};
