// The arithmetic of the main loop's frame pacing and of the window's start
// position, kept free of the clock and the screen so it can be checked anywhere.
#pragma once

#include <cstdint>

#include "meter/meter_layout.h"

struct FramePacer {
    bool started = false;
    uint32_t frame_start = 0;  // clock reading when the previous frame's pacing ended
};

struct PaceDecision {
    uint32_t sleep_ms;  // 0 only on the very first frame
    bool late;          // the frame used its whole budget
};

// Decides the sleep for a frame whose pacing begins at `now`. The caller sleeps,
// then records the clock with FrameStarted; the first call only starts the clock.
PaceDecision PaceFrame(FramePacer& pacer, uint32_t now, int32_t frame_rate);
void FrameStarted(FramePacer& pacer, uint32_t now);

struct StartPosition {
    int32_t left;
    int32_t top;
    int32_t right;
};

// Centred horizontally, 240 wide, its top 12 pixels above the screen's middle
// (at 96 DPI; the scale's lengths otherwise).
StartPosition DefaultWindowRect(int32_t screen_width, int32_t screen_height,
                                const MeterScale& scale = kUnscaled);
