// The monitors the gadget's window may be on: whether a rectangle is on any of
// them, the display scale of a window's monitor, and the size the shell draws
// its small icons at.
#pragma once

#include <windows.h>

#include <cstdint>

// Tests replace this to give a monitor a work area smaller than itself.
extern BOOL(WINAPI* monitor_info_seam)(HMONITOR monitor, LPMONITORINFO info);

// Whether any part of `rect` lies on some monitor (taskbars included).
bool RectOnAnyMonitor(const RECT& rect);

// The DPI of the window's monitor (where Windows tells it; else the screen's).
uint32_t WindowDpi(HWND window);

// The size of the shell's small icons at the DPI the taskbar uses.
int32_t SmallIconSize();
