#include "raster/surface.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

Surface::Surface(int32_t width, int32_t height) {
    // Inside the constructor the release that create makes is this class's own,
    // which finds nothing to free.
    Surface::create(width, height);
}

Surface::~Surface() { std::free(pixels); }

void Surface::reset() {
    pixels = nullptr;
    width = 0;
    height = 0;
}

void Surface::release() {
    if (!pixels) return;
    std::free(pixels);
    pixels = nullptr;
}

uint32_t* Surface::create(int32_t new_width, int32_t new_height) {
    release();
    width = new_width;
    height = new_height;
    // A size with no pixels, or one whose byte count no object can have (on a
    // 32-bit build the product would wrap to a small block), leaves the surface
    // empty instead of holding a block smaller than the recorded size.
    if (new_width <= 0 || new_height <= 0 ||
        static_cast<uint64_t>(new_width) * static_cast<uint64_t>(new_height) >
            static_cast<uint64_t>(PTRDIFF_MAX) / sizeof(uint32_t)) {
        return nullptr;
    }
    pixels = static_cast<uint32_t*>(std::malloc(static_cast<size_t>(new_width) *
                                                static_cast<size_t>(new_height) *
                                                sizeof(uint32_t)));
    return pixels;
}

uint32_t* Surface::pixel_at(int32_t x, int32_t y) const {
    if (!pixels || x < 0 || x >= width || y < 0 || y >= height) return nullptr;
    return pixels + x + static_cast<ptrdiff_t>(y) * width;
}
