#include "app/win32_unseen.h"

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

Unseen::~Unseen() { stop_watching(); }

void Unseen::watch(HWND window) {
    window_ = window;
    const Platform::Sessions& sessions = platform.sessions;
    if (sessions.register_notification != nullptr) {
        session_notification_ = sessions.register_notification(window, kNotifyForThisSession) != 0;
    }
    const Platform::WindowManager& windows = platform.window_manager;
    if (windows.register_power_setting_notification == nullptr) return;
    // The first setting this Windows knows.
    for (const GUID& setting : kDisplaySettings) {
        display_notification_ =
            windows.register_power_setting_notification(window, &setting, kDeviceNotifyWindowHandle);
        if (display_notification_ != nullptr) return;
    }
}

void Unseen::stop_watching() {
    if (session_notification_) platform.sessions.unregister_notification(window_);
    session_notification_ = false;
    if (display_notification_ != nullptr) {
        platform.window_manager.unregister_power_setting_notification(display_notification_);
    }
    display_notification_ = nullptr;
    window_ = nullptr;
}

bool Unseen::session_changed(WPARAM event, LPARAM session) {
    // Only this session's: the message may also be posted by anyone.
    if (static_cast<DWORD>(session) != ThisSession()) return false;
    switch (event) {
    case kSessionLock: locked_ = true; break;
    case kSessionUnlock: locked_ = false; break;
    case kConsoleDisconnect:
    case kRemoteDisconnect: disconnected_ = true; break;
    case kConsoleConnect:
    case kRemoteConnect: disconnected_ = false; break;
    default: return false;
    }
    return update();
}

bool Unseen::power_changed(WPARAM event, LPARAM setting) {
    switch (event) {
    case kSuspend:
        suspended_ = true;
        break;
    case kResumeSuspend:
    case kResumeAutomatic:
        suspended_ = false;
        break;
    case kPowerSettingChange: {
        // The record comes with the message from the system: the length is
        // checked, not trusted to the setting's name alone.
        const auto* change = reinterpret_cast<const PowerSetting*>(setting);
        if (change == nullptr || change->length < sizeof(DWORD)) return false;
        bool display = false;
        for (const GUID& known : kDisplaySettings) display = display || IsEqualGUID(change->setting, known);
        if (!display) return false;
        DWORD state = 0;
        std::memcpy(&state, change->data, sizeof state);
        display_off_ = state == 0;
        break;
    }
    default:
        return false;
    }
    return update();
}

bool Unseen::unseen() const { return unseen_; }

bool Unseen::update() {
    const bool now = locked_ || disconnected_ || display_off_ || suspended_;
    if (now == unseen_) return false;
    unseen_ = now;
    return true;
}
