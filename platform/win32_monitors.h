// The monitors the gadget's window may be on and the taskbar: whether a
// rectangle is on any monitor, the display scale of a window's monitor, the size
// the shell draws its small icons at, and whether a taskbar runs at all.
#pragma once

#include <windows.h>

#include <cstdint>

// Whether any part of `rect` lies on some monitor (taskbars included).
bool RectOnAnyMonitor(const RECT& rect);

// The DPI of the window's monitor (where Windows tells it, for the window or
// for its monitor; else the screen's).
uint32_t WindowDpi(HWND window);

// The size of the shell's small icons at the DPI the taskbar uses.
int32_t SmallIconSize();

// Whether a taskbar runs (Explorer may not have started yet, or be replaced).
bool TaskbarExists();
