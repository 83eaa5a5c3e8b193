// Turns Shift-JIS text into an anti-aliased text layer: each glyph's coverage
// from GetGlyphOutlineA becomes the alpha byte of pixels in the text colour.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

struct TextExtent {
    int32_t left;
    int32_t right;
    int32_t top;
    int32_t bottom;
};

// Alpha for each of the 65 coverage levels (and an unused 66th entry).
extern const uint8_t GlyphAlphaTable[66];

// Overwrites one glyph's box, whose top-left pixel is at (left, top): coverage
// level L (0..64, rows `pitch` bytes apart) becomes a pixel of alpha
// GlyphAlphaTable[L] in the colour's low 24 bits. Null levels write a fully
// transparent box. Only the part inside row_length x target_height is written.
void WriteGlyphBox(uint32_t* target, int32_t row_length, int32_t target_height, int32_t left,
                   int32_t top, int32_t box_width, int32_t box_height, const uint8_t* levels,
                   int32_t pitch, uint32_t colour);

// Draws `text` from (0, 0) of the target. Nothing is written outside
// row_length x target_height pixels. A blank moves the pen `blank_advance`
// pixels, an ideographic one `wide_blank_advance` (the font's size decides
// neither: the meter scales them with the rest of its picture).
TextExtent RasterizeText(uint32_t* target, int32_t row_length, int32_t target_height, HFONT font,
                         int32_t width_limit, int32_t height_limit, uint32_t colour,
                         std::string text, int32_t blank_advance = 25,
                         int32_t wide_blank_advance = 50);

struct GlyphImage;

// The glyphs of a few single-byte characters of one font, rasterized once, so
// that a text made of them (and blanks) is drawn without asking the system
// again: the meter's percentages, rewritten every time a value moves.
class GlyphCache {
public:
    GlyphCache() = default;
    ~GlyphCache();
    // Rasterizes each of `characters` in `font`; false (and empty) when memory ran out.
    bool build(HFONT font, const std::string& characters);
    void clear();
    // Draws `text` exactly as RasterizeText would in the cached font, when every
    // character of it is cached or a blank; otherwise false, and nothing is drawn.
    bool draw(uint32_t* target, int32_t row_length, int32_t target_height, int32_t width_limit,
              int32_t height_limit, uint32_t colour, const std::string& text,
              TextExtent& extent, int32_t blank_advance = 25) const;

private:
    GlyphCache(const GlyphCache&) = delete;
    GlyphCache& operator=(const GlyphCache&) = delete;
    static constexpr uint8_t kCodes = 0x80;
    GlyphImage* glyphs_[kCodes] = {};
    int32_t ascent_ = 0;
    int32_t line_height_ = 0;
    bool ready_ = false;
};
