// When nobody can see the gadget: the session locked or disconnected, the
// display off, the machine asleep. The window learns of each from Windows, and
// the main loop then draws nothing and the samplers wait.
#include "app/win32_main_window.h"

#include <cstring>

#include "platform/win32_platform.h"

namespace {

// Values of headers newer than the oldest Windows the program runs on.
constexpr DWORD kNotifyForThisSession = 0;
constexpr DWORD kDeviceNotifyWindowHandle = 0;
constexpr WPARAM kConsoleConnect = 0x1, kConsoleDisconnect = 0x2, kRemoteConnect = 0x3,
                 kRemoteDisconnect = 0x4, kSessionLock = 0x7, kSessionUnlock = 0x8;
constexpr WPARAM kSuspend = 0x4, kResumeSuspend = 0x7, kResumeAutomatic = 0x12,
                 kPowerSettingChange = 0x8013;

// The display of this session (Windows 8 on), of the console (Windows 8 on),
// and the monitor's power (Vista and 7), in the order they are asked for. Each
// reports 0 when the display goes off, 1 when on, 2 when dimmed.
const GUID kDisplaySettings[] = {
    {0x2B84C20E, 0xAD23, 0x4DDF, {0x93, 0xDB, 0x05, 0xFF, 0xBD, 0x7E, 0xFC, 0xA5}},
    {0x6FE69556, 0x704A, 0x47A0, {0x8F, 0x24, 0xC2, 0x8D, 0x93, 0x6F, 0xDA, 0x47}},
    {0x02731015, 0x4510, 0x4526, {0x99, 0xE6, 0xE5, 0xA1, 0x7E, 0xBD, 0x1A, 0xEA}},
};

struct PowerSetting {  // POWERBROADCAST_SETTING
    GUID setting;
    DWORD length;
    UCHAR data[1];
};

DWORD ThisSession() {
    DWORD session = 0;
    return ProcessIdToSessionId(GetCurrentProcessId(), &session) ? session : 0;
}

}  // namespace

void MainWindow::register_unseen_notifications() {
    const Platform::Sessions& sessions = platform.sessions;
    if (sessions.register_notification != nullptr) {
        session_notification = sessions.register_notification(hwnd, kNotifyForThisSession) != 0;
    }
    const Platform::WindowManager& windows = platform.window_manager;
    if (windows.register_power_setting_notification == nullptr) return;
    // The first setting this Windows knows.
    for (const GUID& setting : kDisplaySettings) {
        display_notification =
            windows.register_power_setting_notification(hwnd, &setting, kDeviceNotifyWindowHandle);
        if (display_notification != nullptr) return;
    }
}

void MainWindow::unregister_unseen_notifications() {
    if (session_notification) platform.sessions.unregister_notification(hwnd);
    session_notification = false;
    if (display_notification != nullptr) {
        platform.window_manager.unregister_power_setting_notification(display_notification);
    }
    display_notification = nullptr;
}

void MainWindow::on_session_change(WPARAM event, LPARAM session) {
    // Only this session's: the message may also be posted by anyone.
    if (static_cast<DWORD>(session) != ThisSession()) return;
    switch (event) {
    case kSessionLock: session_locked = true; break;
    case kSessionUnlock: session_locked = false; break;
    case kConsoleDisconnect:
    case kRemoteDisconnect: session_disconnected = true; break;
    case kConsoleConnect:
    case kRemoteConnect: session_disconnected = false; break;
    default: return;
    }
    update_seen();
}

LRESULT MainWindow::on_power(WPARAM event, LPARAM setting) {
    switch (event) {
    case kSuspend:
        suspended = true;
        break;
    case kResumeSuspend:
    case kResumeAutomatic:
        suspended = false;
        break;
    case kPowerSettingChange: {
        // The record comes with the message from the system: the length is
        // checked, not trusted to the setting's name alone.
        const auto* change = reinterpret_cast<const PowerSetting*>(setting);
        if (change == nullptr || change->length < sizeof(DWORD)) return TRUE;
        bool display = false;
        for (const GUID& known : kDisplaySettings) display = display || IsEqualGUID(change->setting, known);
        if (!display) return TRUE;
        DWORD state = 0;
        std::memcpy(&state, change->data, sizeof state);
        display_off = state == 0;
        break;
    }
    default:
        return TRUE;
    }
    update_seen();
    return TRUE;
}
