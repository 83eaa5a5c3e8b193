#include "app/win32_unseen.h"

#include <cstddef>
#include <cstring>

#include "platform/win32_platform.h"
#include "resources/resource_ids.h"
#include "text/string_helpers.h"

namespace {

// Values of headers newer than the oldest Windows the program runs on.
constexpr DWORD kNotifyForThisSession = 0;
constexpr DWORD kDeviceNotifyWindowHandle = 0;
constexpr WPARAM kConsoleConnect = 0x1, kConsoleDisconnect = 0x2, kRemoteConnect = 0x3,
                 kRemoteDisconnect = 0x4, kSessionLock = 0x7, kSessionUnlock = 0x8;
constexpr WPARAM kSuspend = 0x4, kResumeSuspend = 0x7, kResumeAutomatic = 0x12,
                 kPowerSettingChange = 0x8013;

// The display of this session (Windows 8 on), of the console (Windows 8 on),
// and the monitor's power (Vista and 7), in DisplaySetting's order. Each
// reports 0 when the display goes off, 1 when on, 2 when dimmed.
const GUID kDisplaySettings[] = {
    {0x2B84C20E, 0xAD23, 0x4DDF, {0x93, 0xDB, 0x05, 0xFF, 0xBD, 0x7E, 0xFC, 0xA5}},
    {0x6FE69556, 0x704A, 0x47A0, {0x8F, 0x24, 0xC2, 0x8D, 0x93, 0x6F, 0xDA, 0x47}},
    {0x02731015, 0x4510, 0x4526, {0x99, 0xE6, 0xE5, 0xA1, 0x7E, 0xBD, 0x1A, 0xEA}},
};
static_assert(static_cast<int>(DisplaySetting::kMonitorPower) == 2, "the settings' order");

// The start of WTSINFOEXW, whose level-1 data (a union that also holds 64-bit
// members, hence the padding) begins with these three.
constexpr WTS_INFO_CLASS kSessionInfoEx = static_cast<WTS_INFO_CLASS>(25);
struct SessionInfoEx {
    DWORD level;
    DWORD padding;
    ULONG session_id;
    DWORD connect_state;
    LONG flags;
};
static_assert(offsetof(SessionInfoEx, flags) == 16, "WTSINFOEXW's level-1 flags");

WindowsVersion TrueVersion() {
    RTL_OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (platform.system.version == nullptr || platform.system.version(&info) != 0) return {0, 0};
    return {info.dwMajorVersion, info.dwMinorVersion};
}

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
    version_ = TrueVersion();
    if (!register_session() && RetrySessionRegistration(GetLastError(), 0)) {
        session_refused_at_ = platform.clock.time();
        session_retrying_ = SetTimer(window, kSessionRetryTimer, kSessionRetryMs, nullptr) != 0;
    }
    update();
    const Platform::WindowManager& windows = platform.window_manager;
    if (windows.register_power_setting_notification == nullptr) return;
    // This Windows' settings, the first accepted.
    DisplaySetting settings[2];
    const uint32_t count = DisplaySettingsFor(version_, settings);
    for (uint32_t i = 0; i < count && display_notification_ == nullptr; ++i) {
        display_notification_ = windows.register_power_setting_notification(
            window, &kDisplaySettings[static_cast<int>(settings[i])], kDeviceNotifyWindowHandle);
    }
}

bool Unseen::register_session() {
    const Platform::Sessions& sessions = platform.sessions;
    SetLastError(0);
    if (sessions.register_notification == nullptr) return false;
    session_notification_ = sessions.register_notification(window_, kNotifyForThisSession) != 0;
    const DWORD error = GetLastError();
    // From here on every change is told; what it is now is asked.
    read_session_state();
    SetLastError(error);
    return session_notification_;
}

void Unseen::read_session_state() {
    const Platform::Sessions& sessions = platform.sessions;
    if (sessions.query_information == nullptr) return;
    LPWSTR buffer = nullptr;
    DWORD bytes = 0;
    if (!sessions.query_information(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, kSessionInfoEx,
                                    &buffer, &bytes) || buffer == nullptr) {
        return;
    }
    SessionInfoEx info = {};
    if (bytes >= sizeof info) std::memcpy(&info, buffer, sizeof info);
    sessions.free_memory(buffer);
    if (bytes < sizeof info || info.level != 1) return;
    const SessionState state = SessionStateFromInfo(info.flags, info.connect_state, version_);
    locked_ = state.locked;
    disconnected_ = state.disconnected;
}

bool Unseen::retry_session() {
    if (!session_retrying_) return false;
    const bool registered = register_session();
    if (registered ||
        !RetrySessionRegistration(GetLastError(),
                                  ElapsedTicks(session_refused_at_, platform.clock.time()))) {
        KillTimer(window_, kSessionRetryTimer);
        session_retrying_ = false;
    }
    return update();
}

bool Unseen::awake() {
    if (!suspended_) return false;
    suspended_ = false;
    return update();
}

void Unseen::stop_watching() {
    if (session_retrying_) KillTimer(window_, kSessionRetryTimer);
    session_retrying_ = false;
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
    case kSessionUnlock: locked_ = false; suspended_ = false; break;
    case kConsoleDisconnect:
    case kRemoteDisconnect: disconnected_ = true; break;
    case kConsoleConnect:
    case kRemoteConnect: disconnected_ = false; suspended_ = false; break;
    default: return false;
    }
    // Someone unlocking or connecting: the machine is awake, whether or not
    // its resume was told.
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
        // A display coming on is a machine awake.
        if (!display_off_) suspended_ = false;
        break;
    }
    default:
        return false;
    }
    return update();
}

bool Unseen::unseen() const { return unseen_; }

bool Unseen::suspended() const { return suspended_; }

bool Unseen::update() {
    const bool now = locked_ || disconnected_ || display_off_ || suspended_;
    if (now == unseen_) return false;
    unseen_ = now;
    return true;
}
