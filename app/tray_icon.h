// The notification-area icon that stands in for the folded window: the shell's
// icon record, whether it is shown, and an add that retries a busy shell.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <string>

// The shell calls go through these, so tests can make the shell time out or fail.
struct ShellSeam {
    BOOL (*notify_icon)(DWORD message, NOTIFYICONDATAA* data);
    DWORD (*last_error)();
    void (*sleep)(DWORD milliseconds);
};
extern ShellSeam shell_seam;

class TrayIcon {
public:
    TrayIcon(HWND window = nullptr, uint32_t id = 0, uint32_t callback_message = 0,
             HICON icon = nullptr, std::string tip = std::string());
    int configure(HWND window, uint32_t id, uint32_t callback_message, HICON icon,
                  std::string tip);
    bool add(int32_t budget, DWORD pause_ms);
    int remove();
    void remove_if_added();
    HICON set_icon(HICON icon, bool push);
    int set_tip(std::string tip, bool push);

    NOTIFYICONDATAA data;  // first (88-byte on 32-bit) layout: cbSize = NOTIFYICONDATAA_V1_SIZE
    int32_t added = 0;
};
