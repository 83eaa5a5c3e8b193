// The inner loops of the pixel primitives, one row at a time, and the levels
// that provide them. The primitives clip and walk the rows; which loop runs a
// row was chosen once at start (SelectPixelPaths). Each level beyond the plain
// one is compiled with its own instruction set and runs only on a processor that
// has it; its table holds only the loops it makes quicker, null for the rest,
// which keep the level below's.
//
// A row function takes `count` pixels, count >= 1; its source and destination
// rows are either the same row or do not overlap.
#pragma once

#include <cstdint>

struct PixelRows {
    void (*copy)(uint32_t* dest, const uint32_t* source, int32_t count);
    void (*fill)(uint32_t* dest, uint32_t colour, int32_t count);
    void (*blend_by_source_alpha)(uint32_t* dest, const uint32_t* source, int32_t count);
    void (*add_saturated)(uint32_t* dest, const uint32_t* source, int32_t count);
    void (*blend_by_constant_alpha)(uint32_t* dest, const uint32_t* source, int32_t count,
                                    uint8_t alpha);
};

// The loops of each level (pixel_primitives.cpp, pixel_primitives_mmx.cpp,
// pixel_primitives_sse2.cpp). The plain table is complete: it is the reference
// every other level is tested against.
extern const PixelRows kPlainRows;
extern const PixelRows kMmxRows;
extern const PixelRows kSse2Rows;
