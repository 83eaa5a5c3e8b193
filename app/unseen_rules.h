// How Windows tells that nobody can see the gadget, version by version: which
// display setting reports the display going off, what the session's own
// report says at start (notifications tell only changes), and when a refused
// registration for session notifications is worth asking again.
#pragma once

#include <cstdint>

// As the kernel reports it, not as a program without a compatibility manifest is told.
struct WindowsVersion {
    uint32_t major;
    uint32_t minor;
};

// The power settings that report the display off, on or dimmed.
enum class DisplaySetting : uint8_t {
    kSessionDisplay,  // this session's display (Windows 8 on)
    kConsoleDisplay,  // the console's display (Windows 8 on)
    kMonitorPower,    // the monitor's power (Vista and 7; gone from Windows 8 on)
};

// The settings to try on this Windows, in order, the first accepted being the
// one used; writes up to two and returns how many. Chosen by the version, not
// by which registration happens to be accepted: a registration for a setting
// the system does not know can be accepted and then never be reported.
uint32_t DisplaySettingsFor(WindowsVersion version, DisplaySetting settings[2]);

// The lock and connect state of WTSINFOEX_LEVEL1_W.
constexpr int32_t kSessionFlagLock = 0;
constexpr int32_t kSessionFlagUnlock = 1;
constexpr uint32_t kConnectStateDisconnected = 4;

struct SessionState {
    bool locked;
    bool disconnected;
};

// Windows 7 and Server 2008 R2 report the lock flag reversed (as documented);
// an unknown flag counts as unlocked, so that the gadget never rests on a guess.
SessionState SessionStateFromInfo(int32_t session_flags, uint32_t connect_state,
                                  WindowsVersion version);

// Early at sign-in the Remote Desktop Services may not run yet, and the
// registration is refused with RPC_S_INVALID_BINDING: asked again every
// kSessionRetryMs for a minute after the first refusal. Any other refusal is final.
constexpr uint32_t kSessionRetryMs = 5000;
bool RetrySessionRegistration(uint32_t error, uint32_t since_first_refusal_ms);
