#include "meter/surface_blocks.h"

#include <algorithm>

FillArea InkBox(const Surface& surface, int32_t width, int32_t height) {
    FillArea box{0, 0, 0, 0};
    if (!surface.has_pixels()) return box;
    width = std::min(width, surface.width);
    height = std::min(height, surface.height);
    for (int32_t y = 0; y < height; ++y) {
        const uint32_t* row = surface.pixel_at(0, y);
        for (int32_t x = 0; x < width; ++x) {
            if ((row[x] >> 24) != 0) box = UniteAreas(box, FillArea{x, y, 1, 1});
        }
    }
    return box;
}

FillArea UniteAreas(FillArea a, FillArea b) {
    if (a.width <= 0 || a.height <= 0) return b;
    if (b.width <= 0 || b.height <= 0) return a;
    const int32_t left = std::min(a.x, b.x);
    const int32_t top = std::min(a.y, b.y);
    const int32_t right = std::max(a.x + a.width, b.x + b.width);
    const int32_t bottom = std::max(a.y + a.height, b.y + b.height);
    return FillArea{left, top, right - left, bottom - top};
}

FillArea IntersectAreas(FillArea a, FillArea b) {
    const int64_t left = std::max(a.x, b.x);
    const int64_t top = std::max(a.y, b.y);
    const int64_t right = std::min(int64_t{a.x} + a.width, int64_t{b.x} + b.width);
    const int64_t bottom = std::min(int64_t{a.y} + a.height, int64_t{b.y} + b.height);
    if (right <= left || bottom <= top) return FillArea{0, 0, 0, 0};
    return FillArea{static_cast<int32_t>(left), static_cast<int32_t>(top),
                    static_cast<int32_t>(right - left), static_cast<int32_t>(bottom - top)};
}
