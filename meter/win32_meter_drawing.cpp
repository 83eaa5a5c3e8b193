#include "meter/meter_form.h"

#include "meter/meter_values.h"
#include "meter/surface_blocks.h"
#include "raster/glyph_rasterizer.h"
#include "raster/win32_dib_surface.h"
#include "text/string_helpers.h"

namespace {

constexpr uint32_t kTrackLight = 0xFF666666;
constexpr uint32_t kTrackDark = 0xFF333333;
constexpr int32_t kFullSaturation = 510;
constexpr uint32_t kPercentColour = 0x00FFFFFF;
constexpr uint32_t kMemoryTextColour = 0;
constexpr int32_t kMemoryTextRows = 13;
constexpr int32_t kPercentInset = 4;

// The track, then `length` pixels of the strip seen through a window starting at `offset`.
void DrawBar(Surface& content, const Surface& atlas, int32_t x, int32_t y, int32_t length,
             int32_t strip, int32_t offset) {
    CopyBlock(content, atlas, BlitRect{kSlotWidth, kRowHeight, 0, kStripTrack, x, y});
    CopyBlock(content, atlas, BlitRect{length, kRowHeight, offset, strip, x, y});
}

void FillTrack(Surface& atlas) {
    FillSineGradient(atlas, kTrackLight, kTrackDark, 0, kStripTrack, kSlotWidth, kRowHeight);
}

}  // namespace

void MeterForm::draw_bar_atlas() {
    Surface& atlas = *bar_atlas;
    if (!atlas.has_pixels()) return;
    // Each coloured strip is drawn twice side by side; the wave is brightest at both
    // ends of a block, so the copies join without a seam and a sliding window
    // into them shows a moving shade.
    auto wave_pair = [&atlas](int32_t y, int32_t hue, int32_t amplitude) {
        for (int32_t x : {0, kSlotWidth}) {
            FillWaveGradient(atlas, x, y, kSlotWidth, kRowHeight, hue, kFullSaturation, amplitude);
        }
    };
    wave_pair(kStripLow, 1500, 300);
    FillTrack(atlas);
    wave_pair(kStripMemory, 1100, 420);
    wave_pair(kStripMiddle, 500, 420);
    wave_pair(kStripHigh, 2400, 420);
    // The white highlight borrows the track's rows, is added onto every coloured
    // block, and the track is drawn again afterwards.
    FillWaveGradient(atlas, 0, kStripTrack, kSlotWidth, kRowHeight, 0, 0, 300);
    for (int32_t y : {kStripMemory, kStripMiddle, kStripHigh, kStripLow}) {
        for (int32_t x : {0, kSlotWidth}) {
            AddSaturated(atlas.pixels, atlas.pixels, atlas.width, atlas.height, atlas.width,
                         atlas.height, BlitRect{kSlotWidth, kRowHeight, 0, kStripTrack, x, y});
        }
    }
    FillTrack(atlas);
}

void MeterForm::render() {
    FillSurface(*content, kPanelColour);
    for (uint32_t k = 0; k < processor_count; ++k) {
        const SlotPlace slot = ProcessorSlot(k);
        // Half a second ahead of the memory bar, so the two shadings do not move in step.
        DrawBar(*content, *bar_atlas, slot.x, slot.y, UsageBarLength(shown_usage[k]),
                UsageStrip(shown_usage[k]), ShadingOffset(clock() + 500u));
    }
    DrawBar(*content, *bar_atlas, kMemoryBarSlot.x, kMemoryBarSlot.y, MemoryBarLength(memory_load),
            MemoryStrip(memory_load), ShadingOffset(clock()));
}

void MeterForm::present() {
    // A hidden window (auto-hide) shows nothing: the copy would only cost the
    // system a round trip. Shown again, it is painted from the back buffer.
    if (target_window == nullptr || !IsWindowVisible(target_window)) return;
    HDC dc = GetDC(target_window);
    paint_to(dc);
    ReleaseDC(target_window, dc);
}

void MeterForm::draw_texts() {
    if (memory_changed) {
        FillBlock(*text_layer, 0, FillArea{kSlotWidth, 0, kSlotWidth, kMemoryTextRows});
        FillArea& ink = text_ink[kMaxProcessors];
        TextBlock block = rasterize(memory_caption, kMemoryTextColour);
        stamp(block, kSlotWidth, 0, ink);
        // Right-aligned at the picture's edge; where it meets the caption it covers it.
        block = rasterize(FormatByteSize(available_memory), kMemoryTextColour);
        stamp(block, kMeterWidth - block.width, 0, ink);
    }
    for (uint32_t k = 0; k < processor_count; ++k) {
        if (!value_changed[k]) continue;
        std::string text = PercentText(shown_usage[k]);
        if (text == printed_usage[k]) continue;
        const SlotPlace slot = ProcessorSlot(k);
        FillBlock(*text_layer, 0, FillArea{slot.right - kSlotWidth, slot.y, kSlotWidth, kRowHeight});
        const TextBlock block = rasterize(text, kPercentColour);
        stamp(block, slot.right - block.width - kPercentInset, slot.y, text_ink[k]);
        printed_usage[k] = std::move(text);
    }
    // The same picture as laying the whole layer over, for a fraction of the work.
    for (const FillArea& ink : text_ink) {
        if (ink.width <= 0) continue;
        BlendBySourceAlpha(back_buffer->pixels, text_layer->pixels, text_layer->width,
                           text_layer->height, back_buffer->width, back_buffer->height,
                           BlitRect{ink.width, ink.height, ink.x, ink.y, ink.x, ink.y});
    }
}

MeterForm::TextBlock MeterForm::rasterize(const std::string& text, uint32_t colour) {
    if (!text_scratch->has_pixels()) return TextBlock{0, 0};
    FillSurface(*text_scratch, 0);
    const TextExtent extent =
        RasterizeText(text_scratch->pixels, text_scratch->width, text_scratch->height, font,
                      text_scratch->width, text_scratch->height, colour, text);
    return TextBlock{extent.right - extent.left, extent.bottom - extent.top};
}

void MeterForm::stamp(TextBlock block, int32_t x, int32_t y, FillArea& ink) {
    CopyBlock(*text_layer, *text_scratch, BlitRect{block.width, block.height, 0, 0, x, y});
    // The cell is cleared before each text, but what one text left outside it would
    // stay; uniting the boxes keeps every such pixel covered.
    FillArea box = InkBox(*text_scratch, block.width, block.height);
    box.x += x;
    box.y += y;
    ink = UniteAreas(ink, box);
}
