#include "app/win32_auto_hide.h"

#include "app/win32_window.h"
#include "platform/win32_platform.h"

namespace {

// Looks with the cursor resting over the window before it hides, and the
// count's cap, so that it cannot grow for ever.
constexpr int32_t kHoverFramesToHide = 10;
constexpr int32_t kHoverFramesCap = 1001;

}  // namespace

bool AutoHide::on() const { return on_; }

void AutoHide::set_on(bool on) { on_ = on; }

void AutoHide::hit_test() {
    // Every movement over the window restarts the count.
    if (on_) hover_frames_ = 1;
}

void AutoHide::look(HWND window, const RECT& area, bool shown) {
    if (hover_frames_ <= 0) return;

    POINT cursor;
    // Without an answer there is no telling where the cursor is: wait for the
    // next look. That is the one question a look asks the system.
    if (!platform.window_manager.cursor_pos(&cursor)) return;
    if (cursor.x >= area.left && cursor.x <= area.right && cursor.y >= area.top &&
        cursor.y <= area.bottom) {
        if (hover_frames_ < kHoverFramesCap) ++hover_frames_;
        // A hidden window gets no hit tests, so the count only rises from here.
        // It is hidden once: asking again each look only keeps the system busy.
        if (hover_frames_ >= kHoverFramesToHide && !hidden_ && shown) {
            platform.window_manager.show_window(window, SW_HIDE);
            hidden_ = true;
        }
    } else {
        // Back without taking the focus from whatever the user is working in.
        platform.window_manager.show_window(window, SW_SHOWNA);
        KeepOnTop(window);
        forget();
    }
}

bool AutoHide::hiding() const { return hidden_ && hover_frames_ > 0; }

void AutoHide::forget() {
    hover_frames_ = 0;
    hidden_ = false;
}

int32_t AutoHide::hover_frames() const { return hover_frames_; }
