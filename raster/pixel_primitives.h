// Clipped rectangle operations on 32-bit pixel buffers: copy, three blends,
// fills and the two procedural gradients of the meter's bars.
//
// Pixels are 0xAARRGGBB words (bytes B, G, R, A in memory), straight alpha, not
// premultiplied.
//
// Buffers. A buffer is `width` x `height` pixels, top row first, each row exactly
// `width` pixels long: the stride is the width, there is no padding, and pixel
// (x, y) is at index x + y * width. A buffer with a width or height of 0 or less
// holds no pixels. A null pixel pointer, as source or destination, makes the
// call draw nothing and touch no memory.
//
// Clipping. A BlitRect names a width x height block at (source_x, source_y) of
// the source, to be drawn at (dest_x, dest_y) of the destination. It is cut to
// the part that lies inside both buffers: what is cut on one side is cut on the
// other too (a destination x of -5 drops the block's first five columns, and
// they are not drawn at x 0), and a block that ends beyond both is cut to the
// smaller remaining extent. A FillArea is cut to its one buffer. Whatever lies
// outside, or a width or height of 0 or less, draws nothing; no call reads or
// writes a pixel outside its clipped rectangles. ClipBlit and ClipFillArea
// expose the rules; coordinates may be any 32-bit values.
//
// Overlap. Source and destination may be the same buffer when the two
// rectangles do not overlap (the bar atlas adds one band of itself onto
// another). Overlapping rectangles leave the destination rectangle's pixels
// undefined, but the rule above about memory still holds.
//
// Paths. Each primitive's inner loop comes from a table chosen once by
// SelectPixelPaths: plain loops, replaced where the processor has MMX and then
// SSE2 by quicker ones with the same results, with one exception: the MMX and
// SSE2 constant-alpha blend uses its own rule (below), identical on both. Until
// SelectPixelPaths is called the plain loops run. Nothing here allocates, and
// none of it is thread-safe against SelectPixelPaths running at the same time.
#pragma once

#include <cstdint>
#include <string>

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

// The instruction sets the processor offers the pixel loops.
struct PixelFeatures {
    bool mmx = false;
    bool sse2 = false;
};

// Chooses the loops every primitive runs from now on: the plain ones, those of
// the MMX level over them where `features` has MMX, those of the SSE2 level over
// those where it has SSE2; a level replaces only the loops it makes quicker.
// A level named in `switched_off` ("mmx", "sse2"; separated by blanks or commas)
// is left out, as if the processor lacked it. Returns the levels in use, lowest
// first, separated by blanks: "plain", "plain mmx", "plain mmx sse2", ...
// Call it once at start, before anything draws (tests call it per level).
std::string SelectPixelPaths(PixelFeatures features, const std::string& switched_off = "");

// Cut `rect` to both buffers (see above). True when something remains; the
// record then holds the clipped rectangle, otherwise it is left as it was.
bool ClipBlit(int32_t source_width, int32_t source_height, int32_t dest_width,
              int32_t dest_height, BlitRect& rect);
// Cut `area` to the buffer. True when something remains, as ClipBlit.
bool ClipFillArea(int32_t width, int32_t height, FillArea& area);

// The two-buffer primitives take the destination and source pixels, the source's
// width and height, the destination's width and height, and the rectangle.

// Destination = source, all four bytes.
void CopyPixels(uint32_t* dest, const uint32_t* source, int32_t source_width,
                int32_t source_height, int32_t dest_width, int32_t dest_height, BlitRect rect);
// Source drawn over destination by each source pixel's alpha a: B, G and R
// become d + (((s - d) * (a + 1)) >> 8) (the shift rounding towards minus
// infinity), except that a = 0 leaves the pixel alone; the destination's alpha
// byte is kept. a = 255 gives exactly the source colour.
void BlendBySourceAlpha(uint32_t* dest, const uint32_t* source, int32_t source_width,
                        int32_t source_height, int32_t dest_width, int32_t dest_height,
                        BlitRect rect);
// Each of the four bytes: min(255, d + s).
void AddSaturated(uint32_t* dest, const uint32_t* source, int32_t source_width,
                  int32_t source_height, int32_t dest_width, int32_t dest_height, BlitRect rect);
// Source drawn over destination with one alpha a for every pixel; a = 0 changes
// nothing. Plain loops: B, G, R by the source-alpha rule with a + 1, alpha byte
// kept. MMX and SSE2 loops: all four bytes (s * a + d * (256 - a)) >> 8. The two
// rules differ by at most one per byte (255 over 0 at a = 255: 255 plain, 254).
void BlendByConstantAlpha(uint32_t* dest, const uint32_t* source, int32_t source_width,
                          int32_t source_height, int32_t dest_width, int32_t dest_height,
                          BlitRect rect, uint8_t alpha);
// Every pixel of the clipped area = `colour`, all four bytes.
void FillPixels(uint32_t* pixels, uint32_t colour, int32_t width, int32_t height, FillArea area);
// How many columns of the clipped area, counted from its left edge, reach the
// last column in which the two buffers (both width x height) differ in any row:
// 0 when they are equal throughout the area, or when either pointer is null.
int32_t ChangedWidth(const uint32_t* first, const uint32_t* second, int32_t width, int32_t height,
                     FillArea area);

// The gradients draw into a Surface (its size and pixels, as a buffer above).
// A vertical gradient over the clipped area: rows 0 and 1 the first colour, row r
// the mix at sin(pi * (r - 1) / height) towards the second, each channel truncated.
void FillSineGradient(Surface& surface, uint32_t first_colour, uint32_t second_colour, int32_t x,
                      int32_t y, int32_t width, int32_t height);
// Columns whose brightness follows 511 - amplitude * sin(pi * t) across `width`,
// each shaded downwards to nine tenths of it; opaque. One column more than
// `width` may be drawn, where the surface has it.
void FillWaveGradient(Surface& surface, int32_t x, int32_t y, int32_t width, int32_t height,
                      int32_t hue, int32_t saturation, int32_t amplitude);
// Hue 0..3072 (3072 is 0 again), saturation 0..510, value 0..511 to R, G, B in
// 0..255.
void HsvToRgb(int32_t hue, int32_t saturation, int32_t value, int32_t& red, int32_t& green,
              int32_t& blue);
