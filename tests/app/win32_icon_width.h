// How wide an icon's picture is, for tests that check which size the shell was given.
#pragma once

#include <windows.h>

#include <cstdint>

// The width of the icon's colour bitmap; -1 for a handle that names no icon.
inline int32_t IconWidth(HICON icon) {
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info)) return -1;
    BITMAP colour = {};
    GetObjectA(info.hbmColor, sizeof colour, &colour);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return colour.bmWidth;
}
