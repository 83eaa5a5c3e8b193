// The pixel primitives applied to whole surfaces or blocks of them, as the meter
// uses them: sizes come from the surfaces, so no call can disagree with its buffer.
#pragma once

#include "raster/pixel_primitives.h"
#include "raster/surface.h"

inline BlitRect WholeOf(const Surface& surface) {
    return BlitRect{surface.width, surface.height, 0, 0, 0, 0};
}

inline void CopyBlock(Surface& dest, const Surface& source, BlitRect rect) {
    CopyPixels(dest.pixels, source.pixels, source.width, source.height, dest.width, dest.height,
               rect);
}

inline void FillBlock(Surface& surface, uint32_t colour, FillArea area) {
    FillPixels(surface.pixels, colour, surface.width, surface.height, area);
}

inline void FillSurface(Surface& surface, uint32_t colour) {
    FillBlock(surface, colour, FillArea{0, 0, surface.width, surface.height});
}

// The smallest area around every pixel with a non-zero alpha byte in the top-left
// width x height block of `surface`; width and height 0 when there is none.
FillArea InkBox(const Surface& surface, int32_t width, int32_t height);

// The smallest area holding both; an area without pixels adds nothing.
FillArea UniteAreas(FillArea a, FillArea b);

// The part the two areas share; width and height 0 when they share none.
FillArea IntersectAreas(FillArea a, FillArea b);
