#include "meter/win32_meter_form.h"

#include "meter/meter_values.h"
#include "meter/surface_blocks.h"
#include "platform/win32_platform.h"
#include "raster/win32_dib_surface.h"
#include "raster/win32_glyph_rasterizer.h"
#include "text/string_helpers.h"

namespace {

constexpr uint32_t kTrackLight = 0xFF666666;
constexpr uint32_t kTrackDark = 0xFF333333;
constexpr int32_t kFullSaturation = 510;
constexpr uint32_t kPercentColour = 0x00FFFFFF;
constexpr uint32_t kMemoryTextColour = 0;

// The first `columns` pixels of the slot: `length` of them from the strip seen
// through a window starting at `offset`, the track beyond them. A whole slot
// (columns = the slot's width) has every pixel written once.
void DrawBar(Surface& content, const Surface& atlas, const MeterScale& scale, SlotPlace slot,
             int32_t length, int32_t strip, int32_t offset, int32_t columns) {
    const int32_t coloured = length < columns ? length : columns;
    CopyBlock(content, atlas,
              BlitRect{coloured, scale.row_height, offset, StripRow(strip, scale), slot.x, slot.y});
    CopyBlock(content, atlas, BlitRect{columns - coloured, scale.row_height, coloured,
                                       StripRow(kStripTrack, scale), slot.x + coloured, slot.y});
}

void FillTrack(Surface& atlas, const MeterScale& scale) {
    FillSineGradient(atlas, kTrackLight, kTrackDark, 0, StripRow(kStripTrack, scale),
                     scale.slot_width, scale.row_height);
}

}  // namespace

void MeterForm::draw_bar_atlas() {
    Surface& atlas = *bar_atlas;
    if (!atlas.has_pixels()) return;
    // Each coloured strip is drawn twice side by side; the wave is brightest at both
    // ends of a block, so the copies join without a seam and a sliding window
    // into them shows a moving shade.
    // Drawn at the scale's size with the same gradients, never stretched.
    const int32_t slot = scale.slot_width, row = scale.row_height;
    auto wave_pair = [&](int32_t strip, int32_t hue, int32_t amplitude) {
        for (int32_t x : {0, slot}) {
            FillWaveGradient(atlas, x, StripRow(strip, scale), slot, row, hue, kFullSaturation,
                             amplitude);
        }
    };
    wave_pair(kStripLow, 1500, 300);
    FillTrack(atlas, scale);
    wave_pair(kStripMemory, 1100, 420);
    wave_pair(kStripMiddle, 500, 420);
    wave_pair(kStripHigh, 2400, 420);
    // The white highlight borrows the track's rows, is added onto every coloured
    // block, and the track is drawn again afterwards.
    const int32_t track = StripRow(kStripTrack, scale);
    FillWaveGradient(atlas, 0, track, slot, row, 0, 0, 300);
    for (int32_t strip : {kStripMemory, kStripMiddle, kStripHigh, kStripLow}) {
        for (int32_t x : {0, slot}) {
            AddSaturated(atlas.pixels, atlas.pixels, atlas.width, atlas.height, atlas.width,
                         atlas.height, BlitRect{slot, row, 0, track, x, StripRow(strip, scale)});
        }
    }
    FillTrack(atlas, scale);
}

void MeterForm::render() {
    int32_t lengths[kMaxProcessors + 1], whole[kMaxProcessors + 1];
    for (uint32_t k = 0; k <= processor_count; ++k) {
        lengths[k] = bar_length(k);
        whole[k] = scale.slot_width;
    }
    draw_slots(lengths, whole, platform.clock.time());
}

int32_t MeterForm::bar_length(uint32_t k) const {
    return k < processor_count ? UsageBarLength(shown_usage[k], scale)
                               : MemoryBarLength(memory_load, scale);
}

void MeterForm::draw_slots(const int32_t* lengths, const int32_t* columns, uint32_t now) {
    // One time for the whole picture: all processor shadings move together.
    // Half a second ahead of the memory bar, so the two shadings do not move in step.
    const int32_t processor_offset = ShadingOffset(now + 500u, scale);
    for (uint32_t k = 0; k < processor_count; ++k) {
        DrawBar(*content, *bar_atlas, scale, ProcessorSlot(k, scale), lengths[k],
                UsageStrip(shown_usage[k]), processor_offset, columns[k]);
    }
    DrawBar(*content, *bar_atlas, scale, MemoryBarSlot(scale), lengths[processor_count],
            MemoryStrip(memory_load), ShadingOffset(now, scale), columns[processor_count]);
}

void MeterForm::present() {
    // A hidden window (auto-hide) is given no DC: the copy would only cost the
    // system a round trip. What changed meanwhile waits for the next copy;
    // shown again, the window is painted whole from the back buffer anyway.
    if (target_dc == nullptr || unpresented_.width <= 0) return;
    paint_to(target_dc, unpresented_);
    unpresented_ = FillArea{};
}

FillArea MeterForm::slot_area(uint32_t k) const {
    const SlotPlace slot = k < processor_count ? ProcessorSlot(k, scale) : MemoryBarSlot(scale);
    return FillArea{slot.x, slot.y, scale.slot_width, scale.row_height};
}

void MeterForm::draw_texts() {
    const int32_t slot_width = scale.slot_width;
    for (FillArea& changed : text_changes) changed = FillArea{};
    if (memory_changed) {
        FillArea& changed = text_changes[kMaxProcessors];
        changed = FillArea{slot_width, 0, slot_width, scale.memory_text_rows};
        FillBlock(*text_layer, 0, changed);
        FillArea& ink = text_ink[kMaxProcessors];
        if (caption_image->has_pixels()) {
            if (!caption_ready) {
                caption_block = rasterize(memory_caption, kMemoryTextColour);
                CopyBlock(*caption_image, *text_scratch, WholeOf(*text_scratch));
                caption_ready = true;
            }
            stamp(*caption_image, caption_block, slot_width, 0, ink, changed);
        } else {
            stamp(*text_scratch, rasterize(memory_caption, kMemoryTextColour), slot_width, 0, ink,
                  changed);
        }
        // Right-aligned at the picture's edge; where it meets the caption it covers it.
        const TextBlock block = rasterize_figures(printed_memory, kMemoryTextColour);
        stamp(*text_scratch, block, scale.width - block.width, 0, ink, changed);
    }
    for (uint32_t k = 0; k < processor_count; ++k) {
        if (!value_changed[k]) continue;
        std::string text = PercentText(shown_usage[k]);
        if (text == printed_usage[k]) continue;
        const SlotPlace slot = ProcessorSlot(k, scale);
        FillArea& changed = text_changes[k];
        changed = FillArea{slot.right - slot_width, slot.y, slot_width, scale.row_height};
        FillBlock(*text_layer, 0, changed);
        const TextBlock block = rasterize_figures(text, kPercentColour);
        stamp(*text_scratch, block, slot.right - block.width - scale.text_inset, slot.y,
              text_ink[k], changed);
        printed_usage[k] = std::move(text);
        ++printed_revision_;
    }
}

void MeterForm::compose_back_buffer(bool everywhere) {
    if (!back_buffer->has_pixels()) return;
    const auto compose = [this](FillArea area) {
        CopyBlock(*back_buffer, *content, BlitRect{area.width, area.height, area.x, area.y,
                                                   area.x, area.y});
        // Only the texts' ink boxes: everywhere else the layer is fully transparent.
        for (uint32_t k = 0; k <= processor_count; ++k) {
            const FillArea part =
                IntersectAreas(text_ink[k < processor_count ? k : kMaxProcessors], area);
            if (part.width <= 0) continue;
            BlendBySourceAlpha(back_buffer->pixels, text_layer->pixels, text_layer->width,
                               text_layer->height, back_buffer->width, back_buffer->height,
                               BlitRect{part.width, part.height, part.x, part.y, part.x, part.y});
        }
        unpresented_ = UniteAreas(unpresented_, area);
    };
    if (everywhere) {
        compose(FillArea{0, 0, content->width, content->height});
        return;
    }
    // Each area is copied before it is blended, so where two meet (the memory row
    // reaches into the memory bar's slot) the later one starts again from the
    // content and no pixel gets its text twice.
    for (uint32_t k = 0; k <= processor_count; ++k) {
        if (slot_changes_[k] <= 0) continue;
        FillArea area = slot_area(k);
        area.width = slot_changes_[k];
        compose(area);
    }
    for (uint32_t k = 0; k <= processor_count; ++k) {
        const FillArea& changed = text_changes[k < processor_count ? k : kMaxProcessors];
        if (changed.width > 0) compose(changed);
    }
}

MeterForm::TextBlock MeterForm::rasterize(const std::string& text, uint32_t colour) {
    if (!text_scratch->has_pixels()) return TextBlock{0, 0};
    FillSurface(*text_scratch, 0);
    const TextExtent extent = RasterizeText(
        text_scratch->pixels, text_scratch->width, text_scratch->height, font, text_scratch->width,
        text_scratch->height, colour, text, scale.blank_advance, scale.wide_blank_advance);
    return TextBlock{extent.right - extent.left, extent.bottom - extent.top};
}

MeterForm::TextBlock MeterForm::rasterize_figures(const std::string& text, uint32_t colour) {
    if (!text_scratch->has_pixels()) return TextBlock{0, 0};
    FillSurface(*text_scratch, 0);
    TextExtent extent;
    if (!figure_glyphs.draw(text_scratch->pixels, text_scratch->width, text_scratch->height,
                            text_scratch->width, text_scratch->height, colour, text, extent,
                            scale.blank_advance)) {
        return rasterize(text, colour);
    }
    return TextBlock{extent.right - extent.left, extent.bottom - extent.top};
}

void MeterForm::stamp(const Surface& image, TextBlock block, int32_t x, int32_t y, FillArea& ink,
                      FillArea& changed) {
    CopyBlock(*text_layer, image, BlitRect{block.width, block.height, 0, 0, x, y});
    changed = UniteAreas(changed, FillArea{x, y, block.width, block.height});
    // The cell is cleared before each text, but what one text left outside it would
    // stay; uniting the boxes keeps every such pixel covered.
    FillArea box = InkBox(image, block.width, block.height);
    box.x += x;
    box.y += y;
    ink = UniteAreas(ink, box);
}
