// The notification-area icon that stands in for the folded window: the shell's
// record (TrayIcon), and what the folded gadget shows in it: a disc whose colour
// follows the memory load (green, yellow, red) and the free memory as its tip.
//
// Contract: prepare() once the window exists fills the record (nothing is shown
// until show()). While folded, refresh() runs once a second: the picture is
// loaded (at the shell's small-icon size) and sent only when the load's level
// changes, the tip only when its text changes or the shell may have missed it;
// without a memory reading nothing changes. The picture of a level stays across
// unfolding and folding again. A fold the shell did not take is kept trying
// (keep_trying) until it is in: once a second, through the VG_FOLD_RETRY_TIMER
// of the record's window, and whenever the window asks (a taskbar that
// starts). The record's shell calls go through the platform table, as does the
// memory reading.
#pragma once

#include <windows.h>

#include <cstdint>

#include "app/face.h"
#include "app/win32_tray_icon.h"

class Tray {
public:
    Tray() = default;

    // The record for `window`: its callback message, the program's icon at
    // `icon_size` pixels and the first tip in `face`'s language; the level
    // pictures come from `module`.
    void prepare(HWND window, HINSTANCE module, const Face& face, int32_t icon_size);
    // Shows the icon for a fold: true once the shell confirmed it holds it;
    // false when it would not take it, even after waiting for a busy shell (at
    // most four tries, half a second apart).
    bool show();
    // A fold that waits for the shell: retry() comes once a second from now on.
    void keep_trying();
    void stop_trying();
    bool trying() const;
    // The timer's tick: true when the icon is in now, and the trying stops.
    // Without a taskbar nothing is asked: the taskbar's start is waited for.
    bool retry();
    // Takes the icon out of the notification area; false when the shell refused.
    bool hide();
    // One refresh of the folded window's picture and tip; false when the shell
    // has refused the updates kLostAfterRefusals times in a row: the icon then
    // no longer counts as shown, and the window is to add it again.
    bool refresh();
    static constexpr int32_t kLostAfterRefusals = 5;
    // The size the shell draws small icons at, in pixels; true when it changed,
    // and the next refresh loads the level's picture at that size.
    bool set_icon_size(int32_t size);

    // 0 green, 1 yellow, 2 red; kNoLevel before the first refresh.
    static constexpr int32_t kNoLevel = 10;
    int32_t level() const;
    int32_t icon_size() const;
    TrayIcon& icon();

private:
    Tray(const Tray&) = delete;
    Tray& operator=(const Tray&) = delete;

    TrayIcon icon_;
    HINSTANCE module_ = nullptr;
    const Face* face_ = &kJapaneseFace;
    int32_t level_ = kNoLevel;
    int32_t icon_size_ = 16;
    bool trying_ = false;
    int32_t refused_updates_ = 0;
};
