// Clipped rectangle operations on 32-bit pixel buffers: copy, three blends,
// fills and the two procedural gradients of the meter's bars.
#pragma once

#include <cstdint>

class Surface;

struct BlitRect {
    int32_t width;
    int32_t height;
    int32_t source_x;
    int32_t source_y;
    int32_t dest_x;
    int32_t dest_y;
};

struct FillArea {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};

bool ClipBlit(int32_t source_width, int32_t source_height, int32_t dest_width,
              int32_t dest_height, BlitRect& rect);
bool ClipFillArea(int32_t width, int32_t height, FillArea& area);

void CopyPixels(uint32_t* dest, const uint32_t* source, int32_t source_width,
                int32_t source_height, int32_t dest_width, int32_t dest_height, BlitRect rect);
void BlendBySourceAlpha(uint32_t* dest, const uint32_t* source, int32_t source_width,
                        int32_t source_height, int32_t dest_width, int32_t dest_height,
                        BlitRect rect);
void AddSaturated(uint32_t* dest, const uint32_t* source, int32_t source_width,
                  int32_t source_height, int32_t dest_width, int32_t dest_height, BlitRect rect);
void BlendByConstantAlpha(uint32_t* dest, const uint32_t* source, int32_t source_width,
                          int32_t source_height, int32_t dest_width, int32_t dest_height,
                          BlitRect rect, uint8_t alpha);
void FillPixels(uint32_t* pixels, uint32_t colour, int32_t width, int32_t height, FillArea area);
void FillSineGradient(Surface& surface, uint32_t first_colour, uint32_t second_colour, int32_t x,
                      int32_t y, int32_t width, int32_t height);
void FillWaveGradient(Surface& surface, int32_t x, int32_t y, int32_t width, int32_t height,
                      int32_t hue, int32_t saturation, int32_t amplitude);
void HsvToRgb(int32_t hue, int32_t saturation, int32_t value, int32_t& red, int32_t& green,
              int32_t& blue);
