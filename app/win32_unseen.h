// Why nobody can see the gadget: the session locked or disconnected, the
// display off, the machine asleep. The part registers for the notifications
// that tell of each, follows the window's messages about them, and gives the
// one answer "seen or not"; the window then rests (no frames) and pauses the
// samplers while unseen.
//
// Contract: watch() once the window exists, and stop_watching() before it is
// destroyed (the destructor does it too, for a window that was never torn
// down). The message handlers take the window's raw parameters: a session
// event of another session, a power setting that is no display's, or a record
// too short for its data change nothing. Each returns whether the answer
// changed.
#pragma once

#include <windows.h>

class Unseen {
public:
    Unseen() = default;
    ~Unseen();

    // Registers `window` for this session's changes and its display's power,
    // where the system offers them.
    void watch(HWND window);
    void stop_watching();

    // WM_WTSSESSION_CHANGE.
    bool session_changed(WPARAM event, LPARAM session);
    // WM_POWERBROADCAST (answered TRUE whatever it says).
    bool power_changed(WPARAM event, LPARAM setting);

    // Nobody can see the gadget now.
    bool unseen() const;

private:
    Unseen(const Unseen&) = delete;
    Unseen& operator=(const Unseen&) = delete;
    bool update();

    HWND window_ = nullptr;
    bool session_notification_ = false;
    HANDLE display_notification_ = nullptr;
    bool locked_ = false;
    bool disconnected_ = false;
    bool display_off_ = false;
    bool suspended_ = false;
    bool unseen_ = false;
};
