#include "raster/win32_dib_surface.h"

DibSurface::DibSurface(int32_t width, int32_t height) {
    // The DIB version directly: a constructor must not reach a derived override.
    create_dib(width, height);
}

DibSurface::~DibSurface() {
    // Leaves pixels null, so the Surface destructor has nothing left to free.
    DibSurface::release();
}

void DibSurface::release() {
    if (!pixels) return;
    // The bitmap goes back out of the DC first: a selected bitmap cannot be deleted.
    SelectObject(dc, previous_bitmap);
    DeleteDC(dc);
    DeleteObject(bitmap);
    pixels = nullptr;
    bitmap = nullptr;
    dc = nullptr;
    previous_bitmap = nullptr;
}

uint32_t* DibSurface::create(int32_t new_width, int32_t new_height) {
    return create_dib(new_width, new_height);
}

uint32_t* DibSurface::create_dib(int32_t new_width, int32_t new_height) {
    release();
    width = new_width;
    height = new_height;
    // A non-positive height would turn the DIB bottom-up and break the row order.
    if (new_width <= 0 || new_height <= 0) return nullptr;

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = new_width;
    info.bmiHeader.biHeight = -new_height;  // top-down: row 0 is the top row
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;

    const HWND desktop = GetDesktopWindow();
    const HDC screen = GetDC(desktop);
    void* bits = nullptr;
    bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap) {
        pixels = static_cast<uint32_t*>(bits);
        dc = CreateCompatibleDC(screen);
        previous_bitmap = SelectObject(dc, bitmap);
    }
    ReleaseDC(desktop, screen);
    // Pixels without a DC could never reach a window: give both back.
    if (!dc) release();
    return pixels;
}
