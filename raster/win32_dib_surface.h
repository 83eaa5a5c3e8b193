// A surface whose pixels are a top-down 32-bit DIB section selected into a memory
// device context, so the very pixels drawn are what BitBlt copies to a window.
#pragma once

#include <windows.h>

#include "raster/surface.h"

class DibSurface : public Surface {
public:
    DibSurface(int32_t width, int32_t height);
    ~DibSurface() override;
    void release() override;
    // Returns the pixel pointer on success, null when the DIB section cannot be made.
    uint32_t* create(int32_t width, int32_t height) override;

    HBITMAP bitmap = nullptr;
    HDC dc = nullptr;
    HGDIOBJ previous_bitmap = nullptr;

private:
    uint32_t* create_dib(int32_t width, int32_t height);
};
