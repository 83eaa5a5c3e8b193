#include "app/win32_tip_measure.h"

#include <commctrl.h>

#include <algorithm>


TipMeasure::TipMeasure(HWND tip) : tip_(tip), dc_(GetDC(tip)), kept_font_(nullptr) {
    const HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(tip, WM_GETFONT, 0, 0));
    if (dc_ != nullptr && font != nullptr) kept_font_ = SelectObject(dc_, font);
}

TipMeasure::~TipMeasure() {
    if (dc_ == nullptr) return;
    if (kept_font_ != nullptr) SelectObject(dc_, kept_font_);
    ReleaseDC(tip_, dc_);
}

int32_t TipMeasure::width(const Utf16Text& line) const {
    return width(line.data(), line.size());
}

int32_t TipMeasure::WidthOf(const Utf16Text& line, const void* measure) {
    return static_cast<const TipMeasure*>(measure)->width(line);
}

int32_t TipMeasure::width(const wchar_t* text, size_t length) const {
    SIZE size = {};
    if (dc_ == nullptr || length == 0 ||
        !GetTextExtentPoint32W(dc_, text, static_cast<int>(length), &size)) {
        return 0;
    }
    return size.cx;
}

// What the control's window is wider than its text: margins and border. Asked
// of the control where it answers; otherwise seen on the shown control, whose
// window is that much wider than its widest line.
int32_t TipMeasure::around_text() const {
    RECT rect = {0, 0, 1000, 100};
    if (SendMessageW(tip_, TTM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&rect)) != 0) {
        return (rect.right - rect.left) - 1000;
    }
    if (!IsWindowVisible(tip_) || !GetWindowRect(tip_, &rect)) return 0;
    wchar_t text[1024] = L"";
    const size_t capacity = sizeof text / sizeof text[0];
    const size_t length = std::min(capacity - 1, static_cast<size_t>(SendMessageW(
        tip_, WM_GETTEXT, capacity, reinterpret_cast<LPARAM>(text))));
    int32_t widest = 0;
    size_t start = 0;
    for (size_t i = 0; i <= length; ++i) {
        if (i < length && text[i] != L'\n') continue;
        widest = std::max(widest, width(text + start, i - start));
        start = i + 1;
    }
    return widest > 0 ? (rect.right - rect.left) - widest : 0;
}

int32_t TipMeasure::limit() const {
    int32_t widest = GetSystemMetrics(SM_CXVIRTUALSCREEN) - std::max(0, around_text());
    const int32_t most = static_cast<int32_t>(SendMessageW(tip_, TTM_GETMAXTIPWIDTH, 0, 0));
    if (most > 0) widest = std::min(widest, most);
    return std::max(0, widest);
}
