// The shape of a one-processor window: the empty cell below processor 0 (the
// bottom-left slot, 120 x 12 at 96 DPI, the scale's size otherwise) is cut
// away, so clicks there reach whatever lies beneath.
//
// Contract: the system owns the window region once it is set; the part owns
// the two regions it is combined from, from apply to drop (or its own end).
// Applying again drops the shape first.
#pragma once

#include <windows.h>

#include "meter/meter_layout.h"

class WindowShape {
public:
    WindowShape() = default;
    ~WindowShape();
    void apply(HWND window, const MeterScale& scale);
    // Makes the window rectangular again.
    void drop(HWND window);
    // Whether the window is cut to shape.
    bool cut() const;

private:
    WindowShape(const WindowShape&) = delete;
    WindowShape& operator=(const WindowShape&) = delete;
    void release();

    HRGN full_ = nullptr;
    HRGN cell_ = nullptr;
};
