#include "app/unseen_rules.h"

namespace {

constexpr uint32_t kRpcInvalidBinding = 1702;
constexpr uint32_t kSessionRetryPeriodMs = 60000;

bool AtLeast(WindowsVersion version, uint32_t major, uint32_t minor) {
    return version.major > major || (version.major == major && version.minor >= minor);
}

}  // namespace

uint32_t DisplaySettingsFor(WindowsVersion version, DisplaySetting settings[2]) {
    if (!AtLeast(version, 6, 2)) {
        settings[0] = DisplaySetting::kMonitorPower;
        return 1;
    }
    settings[0] = DisplaySetting::kSessionDisplay;
    settings[1] = DisplaySetting::kConsoleDisplay;
    return 2;
}

SessionState SessionStateFromInfo(int32_t session_flags, uint32_t connect_state,
                                  WindowsVersion version) {
    const bool reversed = version.major == 6 && version.minor == 1;
    const int32_t locked_flag = reversed ? kSessionFlagUnlock : kSessionFlagLock;
    return {session_flags == locked_flag, connect_state == kConnectStateDisconnected};
}

bool RetrySessionRegistration(uint32_t error, uint32_t since_first_refusal_ms) {
    return error == kRpcInvalidBinding && since_first_refusal_ms < kSessionRetryPeriodMs;
}
