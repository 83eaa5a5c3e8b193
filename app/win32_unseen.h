// Why nobody can see the gadget: the session locked or disconnected, the
// display off, the machine asleep. The part registers for the notifications
// that tell of each, asks the session's state when it starts watching (the
// notifications tell only changes), follows the window's messages about them,
// and gives the one answer "seen or not"; the window then rests (no frames)
// and pauses the samplers while unseen.
//
// Contract: watch() once the window exists, and stop_watching() before it is
// destroyed (the destructor does it too, for a window that was never torn
// down). The message handlers take the window's raw parameters: a session
// event of another session, a power setting that is no display's, or a record
// too short for its data change nothing. Each returns whether the answer
// changed. A session registration refused early at sign-in is asked again
// through the VG_SESSION_RETRY_TIMER of the window (retry_session()). The
// suspended state ends with the resume broadcast, and also with anything that
// shows the machine is awake: an unlock, a connect, the display coming on, or
// a rest wait that timed out (awake()), since the broadcasts can be missed.
#pragma once

#include <windows.h>

#include "app/unseen_rules.h"

class Unseen {
public:
    Unseen() = default;
    ~Unseen();

    // Registers `window` for this session's changes and its display's power,
    // where the system offers them, and takes the session's state as it is.
    void watch(HWND window);
    void stop_watching();

    // WM_WTSSESSION_CHANGE.
    bool session_changed(WPARAM event, LPARAM session);
    // WM_POWERBROADCAST (answered TRUE whatever it says).
    bool power_changed(WPARAM event, LPARAM setting);
    // The retry timer's tick: the session registration asked again.
    bool retry_session();
    // The process has been running all along a rest wait: the machine is awake.
    bool awake();

    // Nobody can see the gadget now.
    bool unseen() const;
    // Taken to be asleep: the window's rests then time out to ask awake().
    bool suspended() const;

private:
    Unseen(const Unseen&) = delete;
    Unseen& operator=(const Unseen&) = delete;
    bool update();
    // Registers for this session's changes; false when refused. Then the state as it is.
    bool register_session();
    void read_session_state();

    HWND window_ = nullptr;
    WindowsVersion version_ = {0, 0};
    bool session_notification_ = false;
    bool session_retrying_ = false;
    DWORD session_refused_at_ = 0;
    HANDLE display_notification_ = nullptr;
    bool locked_ = false;
    bool disconnected_ = false;
    bool display_off_ = false;
    bool suspended_ = false;
    bool unseen_ = false;
};
