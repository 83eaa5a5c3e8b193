// The auto-hide: while the option is on, the window hides once the cursor has
// rested over it for a few frames, and comes back, on top and without taking
// the focus, as soon as the cursor has left its place.
//
// Contract: every hit test of the cursor over the window (hit_test, on
// WM_NCHITTEST) arms the count while the option is on; look() then counts and
// hides or shows, and does nothing while the count is idle. It looks only at
// the count, not at the option: a count armed just before the option went off
// still runs out, so the window may hide once more. The window's place and
// whether it is shown are the window's own knowledge, handed in; the cursor
// and the showing go through the platform table.
#pragma once

#include <windows.h>

#include <cstdint>

class AutoHide {
public:
    bool on() const;
    void set_on(bool on);

    // The cursor moved over the window.
    void hit_test();
    // One look at the cursor: a frame's, or a rest's while hidden. `place` is
    // the window's rectangle on the screen, `shown` whether it is shown.
    void look(HWND window, const RECT& place, bool shown);
    // Hidden by the auto-hide, and still watching the cursor.
    bool hiding() const;
    // Forgets the count and the hiding: the window was brought forward.
    void forget();
    // 0 idle; from 1, the looks with the cursor over the window (capped).
    int32_t hover_frames() const;

private:
    bool on_ = false;
    int32_t hover_frames_ = 0;
    // The auto-hide has hidden the window.
    bool hidden_ = false;
};
