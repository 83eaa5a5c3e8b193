#include "app/frame_pacing.h"

#include "settings/settings_text.h"
#include "text/string_helpers.h"

PaceDecision PaceFrame(FramePacer& pacer, uint32_t now, int32_t frame_rate) {
    if (!pacer.started) {
        pacer.started = true;
        pacer.frame_start = now;
        return PaceDecision{0, false};
    }
    const uint32_t elapsed = ElapsedTicks(pacer.frame_start, now);
    const uint32_t budget = static_cast<uint32_t>(1000 / ClampFrameRate(frame_rate));
    if (budget > elapsed) return PaceDecision{budget - elapsed, false};
    // Even a late frame yields the processor, so the loop never spins.
    return PaceDecision{1, true};
}

void FrameStarted(FramePacer& pacer, uint32_t now) { pacer.frame_start = now; }

StartPosition DefaultWindowRect(int32_t screen_width, int32_t screen_height,
                                const MeterScale& scale) {
    return StartPosition{screen_width / 2 - scale.slot_width, screen_height / 2 - scale.row_height,
                         screen_width / 2 + scale.slot_width};
}
