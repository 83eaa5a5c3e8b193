#include "meter/win32_meter_form.h"

#include "meter/meter_values.h"
#include "meter/surface_blocks.h"
#include "platform/win32_platform.h"
#include "raster/win32_dib_surface.h"
#include "text/string_helpers.h"
#include "text/tag_message.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// Whether a command is the given word: its length first, so most answers take
// no comparison at all.
template <size_t N>
bool IsWord(const std::string& text, const char (&word)[N]) {
    return text.size() == N - 1 && std::memcmp(text.data(), word, N - 1) == 0;
}

const char kDefaultFace[] = "MS UI Gothic";
// What percentages and memory amounts are made of, besides blanks.
const char kFigureCharacters[] = "0123456789%.KMGByte";
// "Memory remaining" in Shift-JIS.
const char kJapaneseCaption[] = "\x83\x81\x83\x82\x83\x8A\x8E\x63\x82\xE8";

// The font's cell is one row of the picture: 12 pixels at 96 DPI.
HFONT CreateMeterFont(const std::string& face, int weight, const MeterScale& scale) {
    return CreateFontA(scale.row_height, 0, 0, 0, weight, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, 0,
                       0, 0, FIXED_PITCH | FF_MODERN, face.c_str());
}

}  // namespace

MeterForm::MeterForm(uint32_t requested_count, uint32_t dpi)
    : scale(ScaleForDpi(dpi)), default_caption(kJapaneseCaption) {
    if (requested_count == 0) {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        requested_count = info.dwNumberOfProcessors;
    }
    processor_count = ClampProcessorCount(requested_count);
    const uint32_t now = platform.clock.time();
    for (uint32_t& start : usage_start_time) start = now;
    make_surfaces();
    // Stands in until the settings name the face, which happens before any frame.
    use_font(CreateMeterFont(font_face, font_weight, scale));
}

void MeterForm::make_surfaces() {
    // Rows for processors beyond eight make every full-picture surface taller.
    const int32_t height = MeterSurfaceHeight(processor_count, scale);
    content = new Surface(scale.width, height);
    previous_frame = new Surface(scale.width, height);
    back_buffer = new DibSurface(scale.width, height);
    bar_atlas = new Surface(scale.width, kAtlasRows * scale.row_height);
    text_layer = new Surface(scale.width, height);
    text_scratch = new Surface(scale.width, scale.scratch_height);
    caption_image = new Surface(scale.width, scale.scratch_height);
    caption_ready = false;
    draw_bar_atlas();
    FillSurface(*content, kPanelColour);
    // Never seen (the first frame lays no previous picture over), but the two
    // surfaces trade places every frame: both are the panel outside the slots.
    FillSurface(*previous_frame, kPanelColour);
    FillSurface(*text_layer, 0);
    FillSurface(*caption_image, 0);
    // Every text is drawn anew, and nothing of the old picture shows through.
    first_frame = true;
    for (std::string& printed : printed_usage) printed.clear();
    ++printed_revision_;
    for (FillArea& ink : text_ink) ink = FillArea{};
    for (FillArea& changed : text_changes) changed = FillArea{};
    // Nothing of the old surfaces can be kept: every slot is drawn whole again.
    for (int32_t& changes : slot_changes_) changes = scale.slot_width;
    unpresented_ = FillArea{0, 0, scale.width, height};
}

void MeterForm::release_surfaces() {
    delete caption_image;
    delete text_scratch;
    delete text_layer;
    delete bar_atlas;
    delete previous_frame;
    delete back_buffer;
    delete content;
    caption_image = text_scratch = text_layer = bar_atlas = previous_frame = content = nullptr;
    back_buffer = nullptr;
}

void MeterForm::set_dpi(uint32_t dpi) {
    const MeterScale wanted = ScaleForDpi(dpi);
    if (wanted.dpi == scale.dpi) return;
    scale = wanted;
    release_surfaces();
    make_surfaces();
    use_font(CreateMeterFont(font_face, font_weight, scale));
}

void MeterForm::use_font(HFONT new_font) {
    if (font != nullptr) DeleteObject(font);
    font = new_font;
    // Whatever does not build here is drawn the slow way, glyph by glyph.
    figure_glyphs.build(font, kFigureCharacters);
    caption_ready = false;
}

MeterForm::~MeterForm() {
    // The base deletes content and back_buffer.
    delete caption_image;
    delete text_scratch;
    delete text_layer;
    DeleteObject(font);
    delete bar_atlas;
    delete previous_frame;
}

std::string MeterForm::handle_message(const std::string& text) {
    const int32_t count = CountTagElements(text, "MSG");
    if (count == 0) return std::string();
    // One reading for all the text's commands: they describe one moment.
    const uint32_t now = platform.clock.time();
    for (int32_t i = 0; i < count; ++i) {
        // Emptied for each message, so one without a command is never taken
        // for the one before it.
        message_body_.clear();
        message_command_.clear();
        GetTagElement(text, "MSG", static_cast<uint32_t>(i), message_body_);
        GetTagElement(message_body_, "COMMAND", 0, message_command_);
        if (IsWord(message_command_, "CPU_UPDATE")) {
            cpu_update(message_body_, now);
        } else if (IsWord(message_command_, "UPDATE_FRAME")) {
            update_frame(now);
        } else if (IsWord(message_command_, "DRAW_FRAME")) {
            draw_frame(now);
        }
    }
    return std::string();
}

void MeterForm::cpu_update(const std::string& body, uint32_t now) {
    const int32_t count = CountTagElements(body, "CPU");
    for (int32_t j = 0; j < count; ++j) {
        message_cpu_.clear();
        GetTagElement(body, "CPU", static_cast<uint32_t>(j), message_cpu_);
        uint32_t k = 0;
        double usage = 0.0;
        if (!ReadCpuSample(message_cpu_, processor_count, k, usage)) continue;
        // The new movement starts from what is shown now, so a sample never makes a jump.
        target_usage[k] = usage;
        usage_delta[k] = usage - shown_usage[k];
        usage_start[k] = shown_usage[k];
        usage_start_time[k] = now;
    }
}

void MeterForm::update_frame(uint32_t now) {
    for (uint32_t k = 0; k < processor_count; ++k) {
        const double old = shown_usage[k];
        shown_usage[k] =
            TransitionValue(usage_start[k], usage_delta[k], ElapsedTicks(usage_start_time[k], now));
        value_changed[k] = !(shown_usage[k] == old) || first_frame;
        // Not yet printed, the value is read from the usage itself.
        if (value_changed[k] && printed_usage[k].empty()) ++printed_revision_;
    }
    // The free amount is printed in hundredths and the bar moves by whole pixels:
    // nobody sees the memory change faster than a few times a second. After a
    // rest of frames at least that long, the first frame reads it at once.
    memory_changed = first_frame;
    if (memory_read && ElapsedTicks(memory_read_time, now) < kMemoryReadInterval) return;
    memory_read = true;
    memory_read_time = now;
    // Without a usable reading the last figures stay on screen.
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    MemoryFigures figures{memory_load, available_memory};
    if (platform.memory.status(&status)) {
        ComputeMemoryFigures(status.ullTotalPhys, status.ullAvailPhys, figures);
    }
    // The amount as printed, formatted only when the reading moved: a quarter
    // second apart it seldom has (Wine even hands out one reading for a whole
    // second), and formatting a double is the dearest part of a reading.
    if (printed_memory.empty() || figures.available != available_memory) {
        std::string printed = FormatByteSize(figures.available);
        if (printed != printed_memory) {
            memory_changed = true;
            ++printed_revision_;
        }
        printed_memory = std::move(printed);
    }
    memory_load = figures.load;
    available_memory = figures.available;
}

void MeterForm::draw_frame(uint32_t now) {
    // Outside the slots the content is the same panel in every frame, and so is
    // the back buffer wherever no text changed. Within a slot only the columns
    // that can differ from the last picture are drawn: the bar as it is now and
    // as it was, and whatever the last frame still changed (a fading trail).
    // Beyond them the track has settled: each of the two surfaces that trade
    // places holds the same pixels there, which blending the same track over
    // them again leaves as they are.
    const bool everywhere = first_frame || !only_changes;
    int32_t lengths[kMaxProcessors + 1], columns[kMaxProcessors + 1];
    for (uint32_t k = 0; k <= processor_count; ++k) {
        lengths[k] = bar_length(k);
        columns[k] = everywhere ? scale.slot_width
                                : std::min(scale.slot_width, std::max({lengths[k], drawn_length_[k],
                                                                       slot_changes_[k]}));
        drawn_length_[k] = lengths[k];
    }
    // The last picture becomes the previous one by trading the two surfaces, not
    // by a copy: outside the slots both hold the panel.
    std::swap(content, previous_frame);
    draw_slots(lengths, columns, now);
    const bool blend = !first_frame;
    first_frame = false;
    // The last picture laid over the new one: shrinking bars leave a fading trail.
    const uint8_t alpha = static_cast<uint8_t>(afterglow_alpha & 0xFF);
    for (uint32_t k = 0; k <= processor_count; ++k) {
        FillArea slot = slot_area(k);
        slot.width = columns[k];
        if (blend) {
            BlendByConstantAlpha(content->pixels, previous_frame->pixels, previous_frame->width,
                                 previous_frame->height, content->width, content->height,
                                 BlitRect{slot.width, slot.height, slot.x, slot.y, slot.x, slot.y},
                                 alpha);
        }
        slot_changes_[k] = ChangedWidth(content->pixels, previous_frame->pixels, content->width,
                                        content->height, slot);
    }
    draw_texts();
    compose_back_buffer(everywhere);
    present();
}

uint32_t MeterForm::printed_revision() const { return printed_revision_; }

void MeterForm::apply_settings(std::string text) {
    if (!GetTagElement(text, "MSG00", 0, font_face)) font_face = kDefaultFace;
    if (!GetTagElement(text, "MSG01", 0, memory_caption)) memory_caption = default_caption;
    font_weight = FW_NORMAL;
    use_font(CreateMeterFont(font_face, font_weight, scale));
}

std::string MeterForm::settings_text() {
    return "<MSG00>" + font_face + "</MSG00><MSG01>" + memory_caption + "</MSG01>";
}
