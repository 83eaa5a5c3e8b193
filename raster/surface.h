// Rectangles of 32-bit pixels (0xAARRGGBB, rows top first, stride = width) that
// the program's own drawing code writes directly.
#pragma once

#include <cstdint>

class Surface {
public:
    Surface(int32_t width, int32_t height);
    virtual ~Surface();
    // Forgets the pixel memory without freeing it.
    virtual void reset();
    // Returns the pixel memory; the recorded size stays.
    virtual void release();
    // Returns any earlier memory, then takes width x height uninitialised pixels.
    // The result is the new pixel pointer, null when memory could not be had.
    virtual uint32_t* create(int32_t width, int32_t height);

    // Address of pixel (x, y), or null outside the surface.
    uint32_t* pixel_at(int32_t x, int32_t y) const;
    // True when the surface holds pixel memory; drawing skips empty surfaces.
    bool has_pixels() const { return pixels != nullptr; }

    int32_t width = 0;
    int32_t height = 0;
    uint32_t* pixels = nullptr;

protected:
    Surface() = default;  // for derived surfaces that allocate their own way

private:
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
};
