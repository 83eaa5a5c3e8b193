#include "platform/win32_clock.h"

#include "platform/win32_system_libraries.h"

namespace {

// The multimedia timer's own "cannot do" answer.
constexpr UINT kTimerUnavailable = 97;

}  // namespace

UINT WINAPI BeginTimerPeriod(UINT milliseconds) {
    const auto begin = system_libraries.winmm.time_begin_period;
    return begin != nullptr ? begin(milliseconds) : kTimerUnavailable;
}

UINT WINAPI EndTimerPeriod(UINT milliseconds) {
    const auto end = system_libraries.winmm.time_end_period;
    return end != nullptr ? end(milliseconds) : kTimerUnavailable;
}

bool WINAPI WaitForMessages(DWORD milliseconds) {
    return MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds, QS_ALLINPUT,
                                       MWMO_INPUTAVAILABLE) != WAIT_TIMEOUT;
}

DWORD WINAPI MillisecondClock() {
    const auto time_get_time = system_libraries.winmm.time_get_time;
    return time_get_time != nullptr ? time_get_time() : GetTickCount();
}
