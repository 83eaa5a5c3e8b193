// The shell's record of the notification-area icon (see app/win32_tray.h for
// what the folded gadget shows in it): whether it is shown, and an add that
// retries a busy shell. Tips are given as Shift-JIS and reach the shell as
// UTF-16 (the wide record), so they read right on every code page. Every shell
// request goes through the platform table (platform.shell).
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <string>

class TrayIcon {
public:
    TrayIcon(HWND window = nullptr, uint32_t id = 0, uint32_t callback_message = 0,
             HICON icon = nullptr, std::string tip = std::string());
    // Takes the icon out of the notification area if it is (taken to be) there.
    ~TrayIcon();
    int configure(HWND window, uint32_t id, uint32_t callback_message, HICON icon,
                  std::string tip);
    // True once the shell confirmed it holds the icon: a refused add counts
    // only when a modify of the record is accepted after it. At most budget - 1
    // attempts, and more than one only while the shell times out: each
    // timed-out attempt pauses before its modify.
    bool add(int32_t budget, DWORD pause_ms);
    int remove();
    void remove_if_added();
    // A null icon leaves the picture and the flags as they are.
    HICON set_icon(HICON icon, bool push);
    // 0 when the shell refused the record; 1 otherwise.
    int set_tip(std::string tip, bool push);
    // set_icon with push, and the icon becomes this object's: the previous one
    // adopted this way is destroyed. A null icon changes no picture. False when
    // the shell refused the record.
    bool show_owned_icon(HICON icon);
    // The icon becomes this object's without reaching the shell; the previous
    // one adopted is destroyed.
    void adopt_icon(HICON icon);

    // The first wide layout (152 bytes on 32-bit, a tip of 63 characters and a
    // NUL): cbSize = NOTIFYICONDATAW_V1_SIZE, which every shell accepts.
    NOTIFYICONDATAW data;
    int32_t added = 0;
    HICON owned_icon = nullptr;
    // The tip, as the program built it, that the shell last took in a modify;
    // empty when the next refresh must send the whole record whatever the tip
    // says. While it is set, the shell holds the record's picture and callback.
    std::string shown_tip;

private:
    // set_icon's work; false when the record was pushed and the shell refused it.
    bool change_icon(HICON icon, bool push);
    // Sends the record to the shell: a modify when shown, else an add. False
    // when the shell refused it.
    bool push_record();

    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;
};
