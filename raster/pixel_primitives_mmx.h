// The MMX inner loops of the pixel primitives. They walk already clipped
// rectangles; strides are in pixels. Only pixel_primitives_mmx.cpp is compiled
// with MMX enabled, so nothing else may inline these.
#pragma once

#include <cstdint>

void CopyRowsMmx(uint32_t* dest, int32_t dest_stride, const uint32_t* source,
                 int32_t source_stride, int32_t width, int32_t height);
void FillRowsMmx(uint32_t* dest, int32_t stride, uint32_t colour, int32_t width, int32_t height);
// All four bytes: d = (s * alpha + d * (256 - alpha)) >> 8.
void BlendRowsByConstantAlphaMmx(uint32_t* dest, int32_t dest_stride, const uint32_t* source,
                                 int32_t source_stride, int32_t width, int32_t height,
                                 uint8_t alpha);
