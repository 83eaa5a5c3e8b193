// The meter: per-processor bars and percentages, the memory bar, caption and free
// amount, moved by one-second sine transitions and drawn with an afterglow.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "meter/form.h"
#include "meter/meter_layout.h"

class MeterForm : public Form {
public:
    // processor_count 0 means "ask the system" (GetSystemInfo); tests pass a count.
    explicit MeterForm(uint32_t processor_count = 0);
    ~MeterForm() override;

    void render() override;
    void present() override;
    std::string handle_message(std::string text) override;
    void apply_settings(std::string text) override;
    std::string settings_text() override;

    void draw_texts();
    void draw_bar_atlas();

    HFONT font = nullptr;
    int32_t afterglow_alpha = 160;
    uint32_t processor_count = 0;
    Surface* previous_frame = nullptr;
    Surface* bar_atlas = nullptr;
    Surface* text_layer = nullptr;
    Surface* text_scratch = nullptr;
    std::string font_face;
    std::string memory_caption;
    bool value_changed[kMaxProcessors] = {};
    bool memory_changed = false;
    uint64_t available_memory = 0;
    double target_usage[kMaxProcessors] = {};
    double shown_usage[kMaxProcessors] = {};
    double usage_delta[kMaxProcessors] = {};
    double usage_start[kMaxProcessors] = {};
    uint32_t usage_start_time[kMaxProcessors] = {};
    double memory_load = 0.0;
    bool first_frame = true;
};
