// The meter: per-processor bars and percentages, the memory bar, caption and free
// amount, moved by one-second sine transitions and drawn with an afterglow.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "meter/meter_layout.h"
#include "meter/win32_form.h"
#include "raster/pixel_primitives.h"
#include "raster/win32_glyph_rasterizer.h"

class MeterForm : public Form {
public:
    // processor_count 0 means "ask the system" (GetSystemInfo); tests pass a count.
    // Either way it is clamped to 1..32, and the surfaces are as tall as its rows need.
    // The picture is drawn at the scale of `dpi`.
    explicit MeterForm(uint32_t processor_count = 0, uint32_t dpi = kBaseDpi);
    ~MeterForm() override;

    // Draws at another display scale from the next frame on: surfaces, atlas,
    // font and texts are made anew at its size; the values shown carry over.
    void set_dpi(uint32_t dpi);

    // Draws this frame's tracks and bars into the slots of `content`; the rest of
    // it is the panel it was filled with when the surfaces were made, which no
    // frame changes.
    void render() override;
    // Copies into target_dc what changed in the back buffer since the last copy
    // (everything after new surfaces); nothing without a DC, and then the
    // changes wait for the next copy.
    void present() override;
    // Counts the changes of the texts a reader takes the values from (each
    // processor's printed percentage, or its value before it is first printed,
    // and the printed free memory): the same count means the same texts.
    uint32_t printed_revision() const;
    std::string handle_message(const std::string& text) override;
    void apply_settings(std::string text) override;
    std::string settings_text() override;

    // Redraws the texts whose printed form changed in `text_layer`.
    void draw_texts();
    void draw_bar_atlas();

    MeterScale scale = kUnscaled;
    HFONT font = nullptr;
    // Heavy until the settings name the face (which happens before any frame).
    int32_t font_weight = 1000;
    // The characters of the percentages and of the memory amount in `font`,
    // rasterized once per font.
    GlyphCache figure_glyphs;
    int32_t afterglow_alpha = 160;
    uint32_t processor_count = 0;
    Surface* previous_frame = nullptr;
    Surface* bar_atlas = nullptr;
    Surface* text_layer = nullptr;
    Surface* text_scratch = nullptr;
    // The caption as rasterized into a scratch surface, kept while font and
    // caption stay, so that a new memory amount costs no glyph work for it.
    Surface* caption_image = nullptr;
    std::string font_face;
    std::string memory_caption;
    // The caption when the settings name none (Shift-JIS, like a stored one).
    std::string default_caption;
    bool value_changed[kMaxProcessors] = {};
    bool memory_changed = false;
    uint64_t available_memory = 0;
    // available_memory as the memory text prints it.
    std::string printed_memory;
    // The memory status is read at most this often (milliseconds), and when it
    // was last read.
    static constexpr uint32_t kMemoryReadInterval = 250;
    bool memory_read = false;
    uint32_t memory_read_time = 0;
    double target_usage[kMaxProcessors] = {};
    double shown_usage[kMaxProcessors] = {};
    double usage_delta[kMaxProcessors] = {};
    double usage_start[kMaxProcessors] = {};
    uint32_t usage_start_time[kMaxProcessors] = {};
    double memory_load = 0.0;
    bool first_frame = true;
    // Frames draw, compose and copy to the window only what can have changed
    // since the last picture; false redraws every slot whole in every frame,
    // the reference the pictures of the quicker way are checked against.
    bool only_changes = true;

    // The percentage each slot of the text layer holds, so that a value that moved
    // without changing its printed form costs no glyph work.
    std::string printed_usage[kMaxProcessors];
    // Per processor cell and, last, for the memory row: a box around every text
    // pixel the cell has ever held. Everything else in the text layer is fully
    // transparent, so only these boxes are laid over the back buffer.
    FillArea text_ink[kMaxProcessors + 1] = {};
    // Where the text layer changed in this frame's draw_texts, per cell (the
    // memory row last): the back buffer is composed anew there too.
    FillArea text_changes[kMaxProcessors + 1] = {};

private:
    // A text rasterised into text_scratch: the extent to copy from its top-left corner.
    struct TextBlock {
        int32_t width;
        int32_t height;
    };

    // The commands of one handled text all take the time `now` (ms) of the
    // clock, read once for the text.
    void cpu_update(const std::string& body, uint32_t now);
    // The bar's length in slot k (processor k, or the memory bar at processor_count).
    int32_t bar_length(uint32_t k) const;
    // Draws the first columns[k] columns of every slot k, its bar lengths[k]
    // long, into `content`, with the shadings where they stand at `now`.
    void draw_slots(const int32_t* lengths, const int32_t* columns, uint32_t now);
    void update_frame(uint32_t now);
    void draw_frame(uint32_t now);
    TextBlock rasterize(const std::string& text, uint32_t colour);
    // The same pixels from figure_glyphs, where it has them all.
    TextBlock rasterize_figures(const std::string& text, uint32_t colour);
    // The slot of processor k, or for k = processor_count the memory bar's.
    FillArea slot_area(uint32_t k) const;
    // The back buffer as the text layer over the content: everywhere, or only
    // in the slots (which every frame redraws) and where the texts changed.
    void compose_back_buffer(bool everywhere);
    void use_font(HFONT new_font);
    // The surfaces, the atlas and the font at `scale`; the texts are drawn anew.
    void make_surfaces();
    void release_surfaces();
    // Copies the block of `image` into the text layer at (x, y), widens `ink`
    // around its pixels and `changed` around the block.
    void stamp(const Surface& image, TextBlock block, int32_t x, int32_t y, FillArea& ink,
               FillArea& changed);
    bool caption_ready = false;
    TextBlock caption_block = {0, 0};
    // Per slot (the memory bar's last): the bar's length in the last frame, and
    // the columns from the slot's left edge up to the last one that frame changed.
    int32_t drawn_length_[kMaxProcessors + 1] = {};
    int32_t slot_changes_[kMaxProcessors + 1] = {};
    // What changed in the back buffer since it was last copied to the window.
    FillArea unpresented_ = {};
    // The parts of a handled text, in buffers kept from frame to frame: the
    // messages of every frame share them instead of asking the heap each time.
    std::string message_body_;
    std::string message_command_;
    std::string message_cpu_;
    uint32_t printed_revision_ = 0;
};
