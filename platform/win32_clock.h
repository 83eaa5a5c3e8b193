// The millisecond clock and the finer system timer, through the multimedia
// timer where it could be loaded and the system's tick count otherwise.
#pragma once

#include <windows.h>

// Milliseconds since the system started, wrapping after 2^32: the multimedia
// timer, or GetTickCount (same unit, same wrap) when it could not be loaded.
DWORD WINAPI MillisecondClock();

// The system timer's resolution, asked for and given back in the multimedia
// timer's terms: 0 when done, nonzero when refused or when the timer could not
// be loaded. Every granted request must be ended with the same period.
UINT WINAPI BeginTimerPeriod(UINT milliseconds);
UINT WINAPI EndTimerPeriod(UINT milliseconds);

// Waits until a message comes or `milliseconds` have passed (INFINITE: a
// message); false when the time ran out with no message come. Input already in
// the queue ends the wait too.
bool WINAPI WaitForMessages(DWORD milliseconds);
