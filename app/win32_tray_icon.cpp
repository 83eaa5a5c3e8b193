#include "app/win32_tray_icon.h"

#include <cstring>

#include "platform/win32_platform.h"
#include "text/win32_wide_text.h"

namespace {

// The first wide layout is the one every shell version accepts.
#if defined(__i386__)
static_assert(NOTIFYICONDATAW_V1_SIZE == 152, "first NOTIFYICONDATAW layout is 152 bytes");
#endif

// The first layout holds 64 tip characters, whatever the headers' record has.
constexpr size_t kTipUnits = 64;
static_assert(sizeof(NOTIFYICONDATAW::szTip) / sizeof(wchar_t) >= kTipUnits, "tip field too small");

void CopyTip(wchar_t* target, const std::string& tip) {
    CopyWideBounded(target, kTipUnits, WideFromShiftJis(tip));
}

}  // namespace

TrayIcon::TrayIcon(HWND window, uint32_t id, uint32_t callback_message, HICON icon,
                   std::string tip) {
    std::memset(&data, 0, sizeof data);
    data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    if (window == nullptr) return;
    configure(window, id, callback_message, icon, std::move(tip));
    add(5, 100);
}

TrayIcon::~TrayIcon() {
    remove_if_added();
    if (owned_icon != nullptr) DestroyIcon(owned_icon);
}

int TrayIcon::configure(HWND window, uint32_t id, uint32_t callback_message, HICON icon,
                        std::string tip) {
    remove_if_added();
    data.hWnd = window;
    data.uID = id;
    data.uCallbackMessage = callback_message;
    data.hIcon = icon;
    data.uFlags = NIF_TIP;
    if (callback_message != 0) data.uFlags |= NIF_MESSAGE;
    if (icon != nullptr) data.uFlags |= NIF_ICON;
    CopyTip(data.szTip, tip);
    shown_tip.clear();
    return 1;
}

bool TrayIcon::add(int32_t budget, DWORD pause_ms) {
    // A budget of 0 counts as 1; a negative one allows no attempt instead of
    // counting down for ever.
    for (int32_t left = budget - 1; left > 0; --left) {
        bool shown = platform.shell.notify_icon(NIM_ADD, &data) != 0;
        if (!shown) {
            // The shell answers yes or no and nothing more: a refused add does
            // not prove that it holds the icon (at sign-in the taskbar exists
            // before its notification area takes icons). Only a modify that it
            // accepts says the icon is there. A busy shell may still add it
            // after giving up on us, so it is given the pause first.
            const bool busy = GetLastError() == ERROR_TIMEOUT;
            if (busy) platform.clock.sleep(pause_ms);
            shown = platform.shell.notify_icon(NIM_MODIFY, &data) == 1;
            // Refused outright, the next attempt would only be refused again
            // now: the caller tries later.
            if (!shown && !busy) return false;
        }
        if (shown) {
            added = 1;
            // A restarted shell knows nothing of the icon, and one that refused
            // the add because it holds the icon keeps its older record: the next
            // refresh sends tip and picture again either way.
            shown_tip.clear();
            return true;
        }
    }
    return false;
}

int TrayIcon::remove() {
    if (!platform.shell.notify_icon(NIM_DELETE, &data)) return 0;
    added = 0;
    return 1;
}

void TrayIcon::remove_if_added() {
    if (added != 0) remove();
}

HICON TrayIcon::set_icon(HICON icon, bool push) {
    const HICON previous = data.hIcon;
    change_icon(icon, push);
    return previous;
}

bool TrayIcon::change_icon(HICON icon, bool push) {
    // A null icon (a picture that could not be loaded) keeps the record as it
    // is: an icon without picture or callback could never be clicked, and a
    // restarted taskbar would get it back that way.
    if (icon != nullptr) {
        data.uFlags |= NIF_ICON;
        data.hIcon = icon;
    }
    if (push) return push_record();
    shown_tip.clear();  // the shell's picture is no longer the record's
    return true;
}

int TrayIcon::set_tip(std::string tip, bool push) {
    if (tip.empty()) {
        data.uFlags = 0;
    } else {
        data.uFlags |= NIF_TIP;
        CopyTip(data.szTip, tip);
    }
    if (!push) {
        // The record no longer says what the shell was last told.
        if (tip != shown_tip) shown_tip.clear();
        return 1;
    }
    const bool modify = added != 0;
    // A shell that holds the rest of the record is sent the tip alone: with
    // the picture it would copy and redraw the icon for nothing.
    const UINT flags = data.uFlags;
    if (modify && !shown_tip.empty() && !tip.empty()) data.uFlags = NIF_TIP;
    const bool accepted = push_record();
    data.uFlags = flags;
    if (!accepted) return 0;
    if (modify && !tip.empty()) shown_tip = std::move(tip);
    return 1;
}

bool TrayIcon::push_record() {
    if (added == 0) return add(5, 100);
    if (platform.shell.notify_icon(NIM_MODIFY, &data)) return true;
    // A timed-out request may still arrive: what the shell shows is unknown.
    shown_tip.clear();
    return false;
}

bool TrayIcon::show_owned_icon(HICON icon) {
    const bool accepted = change_icon(icon, true);
    // The shell keeps its own copy, so the replaced picture can go at once.
    if (icon != nullptr) adopt_icon(icon);
    return accepted;
}

void TrayIcon::adopt_icon(HICON icon) {
    if (owned_icon != nullptr && owned_icon != icon) DestroyIcon(owned_icon);
    owned_icon = icon;
}
