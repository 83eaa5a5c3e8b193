// The text of the settings file "Pollstate.txt": what it says about the main
// window (place, frame rate, options, opacity) and its exact layout, in the tag
// syntax of the rest of the program.
#pragma once

#include <cstdint>
#include <string>

struct StoredSettings {
    // The restored window rectangle, in screen coordinates.
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool position_found = false;
    int32_t frame_rate = 30;
    bool auto_hide = false;
    bool translucent = false;
    uint8_t alpha = 128;
    bool iconized = false;
};

// Frames per second the gadget works with: 30 for a value below 1, at most 1000.
int32_t ClampFrameRate(int32_t frame_rate);

// Reads the main window's values; what the text lacks takes its default. The
// rectangle is always 240 wide and as tall as the window for `processor_count`.
StoredSettings ParseSettingsText(const std::string& text, uint32_t processor_count);

// The file's text: the main window's elements, then `meter_text` unchanged.
std::string ComposeSettingsText(const StoredSettings& settings, const std::string& meter_text);
