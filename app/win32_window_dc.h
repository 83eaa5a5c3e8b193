// The device context the gadget's frames are copied into: got once for the
// window and kept for its life, instead of asked for and given back every
// frame.
//
// A class DC of its own (CS_OWNDC) is not to be had: Windows does not let a
// window of such a class be layered, and the gadget turns translucent by
// becoming layered. So a common DC is held. Whatever changes the surface the
// window is drawn on (becoming layered or not, a new shape, a new size) may
// leave a DC got before it drawing the old way; the window gets its DC anew
// after each such change (renew). WM_PAINT and WM_PRINTCLIENT keep painting
// into the DCs they are given.
//
// Contract: at most one DC is held, and each one got is released exactly once
// (by renew, release, or the part's end), through the platform table, on the
// thread that got it.
#pragma once

#include <windows.h>

class WindowDc {
public:
    WindowDc() = default;
    ~WindowDc();
    // Releases the DC held, if any, and gets the window's; null when refused.
    HDC renew(HWND window);
    // Gives the DC back; nothing is held afterwards.
    void release();
    HDC dc() const;

private:
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HWND window_ = nullptr;
    HDC dc_ = nullptr;
};
