// The MMX inner loop of the constant-alpha blend, whose result on this path differs
// by design from the plain one. It walks an already clipped rectangle; strides are
// in pixels. Only pixel_primitives_mmx.cpp is compiled with MMX enabled, so
// nothing else may inline it.
#pragma once

#include <cstdint>

// All four bytes: d = (s * alpha + d * (256 - alpha)) >> 8.
void BlendRowsByConstantAlphaMmx(uint32_t* dest, int32_t dest_stride, const uint32_t* source,
                                 int32_t source_stride, int32_t width, int32_t height,
                                 uint8_t alpha);
