#include "app/win32_window_shape.h"

WindowShape::~WindowShape() { release(); }

void WindowShape::apply(HWND window, const MeterScale& scale) {
    if (cut()) drop(window);
    const int32_t height = 2 * scale.row_height;
    full_ = CreateRectRgn(0, 0, scale.width, height);
    cell_ = CreateRectRgn(0, scale.row_height, scale.slot_width, height);
    const HRGN shape = CreateRectRgn(0, 0, 0, 0);
    if (shape == nullptr) return;
    CombineRgn(shape, full_, cell_, RGN_DIFF);
    // Taken by the system when set; still ours when it was refused.
    if (!SetWindowRgn(window, shape, TRUE)) DeleteObject(shape);
}

void WindowShape::drop(HWND window) {
    // The system deletes the window region it was given; only the sources are ours.
    SetWindowRgn(window, nullptr, FALSE);
    release();
}

bool WindowShape::cut() const { return full_ != nullptr || cell_ != nullptr; }

void WindowShape::release() {
    if (full_ != nullptr) DeleteObject(full_);
    if (cell_ != nullptr) DeleteObject(cell_);
    full_ = nullptr;
    cell_ = nullptr;
}
