#include <gtest/gtest.h>

#include <process.h>

#include <string>
#include <vector>

#include "measure/win32_sampler.h"
#include "platform/win32_platform.h"
#include "platform/win32_system_libraries.h"
#include "resources/resource_ids.h"
#include "win32_main_window_harness.h"

namespace {

const char kFrame[] =
    "<MSG><COMMAND>UPDATE_FRAME</COMMAND></MSG><MSG><COMMAND>DRAW_FRAME</COMMAND></MSG>";

void Publish(MainWindow& window, uint32_t processor, double usage) {
    window.samplers.shared().publish(static_cast<int32_t>(processor), usage);
}

// Whether processor `processor`'s value is still waiting to be taken.
bool Waiting(MainWindow& window, uint32_t processor, double& usage) {
    return window.samplers.shared().take(processor, usage);
}

// The libraries the program loads at start, for as long as a test's window lives.
struct LoadedLibraries {
    LoadedLibraries() { LoadSystemLibraries(); }
    ~LoadedLibraries() { FreeSystemLibraries(); }
};

// Makes the harness's window anew, with the program's own sampler threads.
MainWindow& WithRealSamplers(Harness& harness, uint32_t processor_count = 0) {
    delete harness.window;
    platform.threads.begin_thread = _beginthreadex;
    harness.window = new MainWindow(fakes.settings_path, processor_count);
    delete harness.window->meter_form;
    harness.window->meter_form = new RecordingForm(harness.window->processor_count());
    return *harness.window;
}

// Runs frames until one hands the meter a text holding `wanted`; false when
// none did within a patience generous enough for a busy machine.
bool HeardSoon(Harness& harness, const std::string& wanted) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 20000) {
        Sleep(30);
        harness.window->update_frame();
        if (harness.form().texts.back().find(wanted) != std::string::npos) return true;
    }
    return false;
}

TEST(MainWindowConstruction, RealSamplersReachTheMeter) {
    const LoadedLibraries libraries;
    Harness harness;
    WithRealSamplers(harness);
    // A first sample after about a second; generously longer on a busy machine,
    // where another processor's sampler may well be heard from first.
    EXPECT_TRUE(HeardSoon(harness, "<NUM>0</NUM>"));
}

TEST(UpdateFrame, HandsOverEachFreshSampleOnceInAscendingProcessorOrder) {
    Harness harness(0x0411, 4);
    MainWindow& window = *harness.window;
    Publish(window, 2, 4.2);
    Publish(window, 0, 30.0);
    Publish(window, 0, 37.9);  // overwritten before it was taken: only the newest counts
    // Slots beyond the processor count are never looked at, even when they claim a value.
    Publish(window, 4, 99.0);
    Publish(window, 31, 98.0);

    window.update_frame();
    window.update_frame();
    ASSERT_EQ(harness.form().texts.size(), 2u);
    EXPECT_EQ(harness.form().texts[0],
              std::string("<MSG><COMMAND>CPU_UPDATE</COMMAND><CPU><USAGE>37</USAGE><NUM>0</NUM>"
                          "</CPU><COMMAND>CPU_UPDATE</COMMAND><CPU><USAGE>4</USAGE><NUM>2</NUM>"
                          "</CPU></MSG>") + kFrame);
    EXPECT_EQ(harness.form().texts[1], kFrame);
    double usage = 0.0;
    EXPECT_FALSE(Waiting(window, 0, usage) || Waiting(window, 2, usage));
    EXPECT_TRUE(Waiting(window, 4, usage));
    EXPECT_EQ(usage, 99.0);
    EXPECT_TRUE(Waiting(window, 31, usage));
    EXPECT_EQ(usage, 98.0);
}

DWORD late_now = 0;
DWORD WINAPI LateClock() { return late_now; }

TEST(UpdateFrame, TheMeterHearsFromEveryFrameEvenASkippedOneWithoutSamples) {
    Harness harness;
    MainWindow& window = *harness.window;
    // A frame that took longer than its budget.
    platform.clock.time = LateClock;
    window.pace_frame(30);
    late_now += 40;
    ASSERT_TRUE(window.pace_frame(30));
    for (int frame = 0; frame < 11; ++frame) window.update_frame();
    ASSERT_EQ(harness.form().texts.size(), 11u);
    for (int frame = 0; frame < 10; ++frame) EXPECT_EQ(harness.form().texts[frame], "") << frame;
    EXPECT_EQ(harness.form().texts[10], kFrame);
    EXPECT_EQ(window.skipped_frames(), 0u);
}

TEST(UpdateFrame, WhileIconizedSamplesWaitAndTheFirstShownFrameTakesTheNewest) {
    Harness harness;
    ASSERT_TRUE(harness.create());
    MainWindow& window = *harness.window;
    SendMessageA(window.hwnd, WM_COMMAND, kIconize, 0);
    ASSERT_TRUE(window.iconized());
    harness.form().texts.clear();
    Publish(window, 0, 12.5);
    window.update_frame();
    Publish(window, 0, 64.9);
    window.update_frame();
    // Folded, the frames only keep the tray icon current; the newest value waits.
    EXPECT_TRUE(harness.form().texts.empty());
    EXPECT_NE(window.tray.level(), Tray::kNoLevel);

    SendMessageA(window.hwnd, kTrayMessage, kTrayId, WM_LBUTTONDBLCLK);
    ASSERT_FALSE(window.iconized());
    window.update_frame();
    ASSERT_EQ(harness.form().texts.size(), 1u);
    EXPECT_EQ(harness.form().texts[0],
              std::string("<MSG><COMMAND>CPU_UPDATE</COMMAND><CPU><USAGE>64</USAGE><NUM>0</NUM>"
                          "</CPU></MSG>") + kFrame);
    double usage = 0.0;
    EXPECT_FALSE(Waiting(window, 0, usage));
}

TEST(UpdateFrame, FramesGoThroughOneKeptDcWhileTheWindowIsShown) {
    Harness harness;
    ASSERT_TRUE(harness.create(100, 200));
    MainWindow& window = *harness.window;
    const HWND hwnd = window.hwnd;
    ASSERT_EQ(fakes.dcs_got.size(), 1u);
    const HDC kept = fakes.dcs_got[0];
    EXPECT_NE(kept, nullptr);
    EXPECT_EQ(harness.form().target_dc, kept);
    // Frames ask for no DC of their own.
    for (int frame = 0; frame < 50; ++frame) window.update_frame();
    EXPECT_EQ(fakes.dcs_got.size(), 1u);
    EXPECT_TRUE(fakes.dcs_released.empty());
    // Hidden (the auto-hide's or the fold's doing), the window gives the meter no DC.
    ShowWindow(hwnd, SW_HIDE);
    EXPECT_EQ(harness.form().target_dc, nullptr);
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(harness.form().target_dc, kept);
    // Translucency changes what the window is drawn on: the DC is got anew.
    SendMessageA(hwnd, WM_COMMAND, kTranslucent, 0);
    ASSERT_EQ(fakes.dcs_got.size(), 2u);
    EXPECT_EQ(fakes.dcs_released, std::vector<HDC>{kept});
    EXPECT_EQ(harness.form().target_dc, fakes.dcs_got[1]);
    // Each DC got is released exactly once, the last when the window goes.
    DestroyWindow(hwnd);
    EXPECT_EQ(fakes.dcs_released, fakes.dcs_got);
    EXPECT_EQ(harness.form().target_dc, nullptr);
}

TEST(UpdateFrame, AutoHideHidesAfterTenFramesOverTheWindowAndShowsWhenTheCursorLeaves) {
    Harness harness;
    ASSERT_TRUE(harness.create(100, 200));
    MainWindow& window = *harness.window;
    const HWND hwnd = window.hwnd;
    const int32_t bottom = 200 + WindowHeightForProcessors(window.processor_count());

    // Idle: the cursor is not even looked at.
    window.update_frame();
    EXPECT_EQ(fakes.cursor_reads, 0);

    // The far corner of the restored rectangle counts as over the window.
    fakes.cursor = {340, bottom};
    ArmAutoHide(window);
    for (int frame = 2; frame <= 9; ++frame) {
        window.update_frame();
        EXPECT_EQ(window.auto_hide.hover_frames(), frame);
        EXPECT_TRUE(IsWindowVisible(hwnd)) << frame;
    }
    window.update_frame();
    EXPECT_EQ(window.auto_hide.hover_frames(), 10);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    for (int frame = 0; frame < 1500; ++frame) window.update_frame();
    EXPECT_EQ(window.auto_hide.hover_frames(), 1001);
    EXPECT_FALSE(IsWindowVisible(hwnd));

    // One pixel beyond the right edge is outside.
    fakes.cursor = {341, bottom};
    window.update_frame();
    EXPECT_EQ(window.auto_hide.hover_frames(), 0);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_TRUE(GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);

    // The left and top edges are inside too; one below the bottom is not.
    fakes.cursor = {100, 200};
    ArmAutoHide(window);
    window.update_frame();
    EXPECT_EQ(window.auto_hide.hover_frames(), 2);
    fakes.cursor = {100, bottom + 1};
    window.update_frame();
    EXPECT_EQ(window.auto_hide.hover_frames(), 0);
}

TEST(UpdateFrame, AHiddenWindowIsHiddenOnceAndComesBackTheFirstFrameTheCursorLeaves) {
    Harness harness;
    ASSERT_TRUE(harness.create(100, 200));
    MainWindow& window = *harness.window;
    fakes.cursor = {150, 210};
    ArmAutoHide(window);
    fakes.show_commands.clear();
    for (int frame = 0; frame < 40; ++frame) window.update_frame();
    EXPECT_EQ(fakes.show_commands, std::vector<int>{SW_HIDE});
    EXPECT_EQ(window.auto_hide.hover_frames(), 41);  // still counting, still watching the cursor
    EXPECT_EQ(fakes.cursor_reads, 40);
    fakes.cursor = {99, 210};
    window.update_frame();
    EXPECT_EQ(fakes.show_commands, (std::vector<int>{SW_HIDE, SW_SHOWNA}));
    EXPECT_TRUE(IsWindowVisible(window.hwnd));
}

TEST(UpdateFrame, TheHoverCountRunsWhateverTheAutoHideOption) {
    Harness harness;
    ASSERT_TRUE(harness.create(100, 200));
    MainWindow& window = *harness.window;
    window.auto_hide.set_on(false);
    fakes.cursor = {150, 210};
    ArmAutoHide(window);
    for (int frame = 0; frame < 9; ++frame) window.update_frame();
    EXPECT_FALSE(IsWindowVisible(window.hwnd));
}

DWORD rest_now = 0;
DWORD WINAPI RestTime() { return rest_now; }
int memory_reads = 0;
BOOL WINAPI CountedMemory(LPMEMORYSTATUSEX status) {
    ++memory_reads;
    status->ullTotalPhys = 4ull << 30;
    status->ullAvailPhys = 1ull << 30;
    return TRUE;
}

TEST(Rest, TheFoldedTrayRefreshesOnceASecondAndAHiddenWindowLooksTenTimesASecond) {
    Harness harness;
    ASSERT_TRUE(harness.create(100, 200));
    MainWindow& window = *harness.window;
    platform.clock.time = RestTime;
    platform.memory.status = CountedMemory;
    rest_now = 5000;
    memory_reads = 0;
    SendMessageA(window.hwnd, WM_COMMAND, kIconize, 0);
    ASSERT_EQ(window.loop_mode(), LoopMode::kFolded);
    const int folded_reads = memory_reads;  // the fold's own first refresh
    struct { DWORD at, wait; int reads; } folded[] = {
        {5000, 1000, 1}, {5400, 600, 1}, {5940, 60, 1},
        {5960, 1000, 2},  // a wait ending a little early counts as due
        {9000, 1000, 3}};
    for (const auto& step : folded) {
        rest_now = step.at;
        EXPECT_EQ(window.rest(LoopMode::kFolded), step.wait) << step.at;
        EXPECT_EQ(memory_reads - folded_reads, step.reads) << step.at;
    }
    SendMessageA(window.hwnd, kTrayMessage, kTrayId, WM_LBUTTONDBLCLK);

    // Hidden under a resting cursor: looked at every 100 ms, not every frame.
    fakes.cursor = {150, 210};
    ArmAutoHide(window);
    for (int frame = 0; frame < 10; ++frame) window.update_frame();
    ASSERT_EQ(window.loop_mode(), LoopMode::kHidden);
    const int hidden_reads = fakes.cursor_reads;
    struct { DWORD at, wait; int reads; } hidden[] = {
        {9000, 100, 1}, {9050, 50, 1}, {9096, 100, 2}, {9150, 46, 2}, {9300, 100, 3}};
    for (const auto& step : hidden) {
        rest_now = step.at;
        EXPECT_EQ(window.rest(LoopMode::kHidden), step.wait) << step.at;
        EXPECT_EQ(fakes.cursor_reads - hidden_reads, step.reads) << step.at;
    }
    EXPECT_EQ(harness.form().texts.size(), 10u) << "nothing drawn while hidden";
    fakes.cursor = {99, 210};
    rest_now = 9400;
    window.rest(LoopMode::kHidden);
    EXPECT_TRUE(IsWindowVisible(window.hwnd));
    EXPECT_EQ(window.loop_mode(), LoopMode::kFrames);
}

DWORD ThisSession() {
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    return session;
}

// The power setting record the system sends with kPowerSettingChange.
struct DisplayState {
    GUID setting;
    DWORD length;
    DWORD state;  // 0 off, 1 on, 2 dimmed
};
constexpr WPARAM kPowerSettingChange = 0x8013;  // PBT_POWERSETTINGCHANGE, Vista on
const GUID kSessionDisplay = {0x2B84C20E, 0xAD23, 0x4DDF,
                              {0x93, 0xDB, 0x05, 0xFF, 0xBD, 0x7E, 0xFC, 0xA5}};

TEST(Unseen, LockDisconnectDisplayOffAndSleepPauseFramesAndSamplers) {
    Harness harness;
    ASSERT_TRUE(harness.create());
    MainWindow& window = *harness.window;
    const HWND hwnd = window.hwnd;
    const auto paused = [&window] { return window.samplers.paused(); };
    const auto session = [hwnd](WPARAM event, DWORD id) {
        SendMessageA(hwnd, WM_WTSSESSION_CHANGE, event, id);
    };
    const auto display = [hwnd](DWORD state) {
        DisplayState change = {kSessionDisplay, sizeof(DWORD), state};
        EXPECT_EQ(SendMessageA(hwnd, WM_POWERBROADCAST, kPowerSettingChange,
                               reinterpret_cast<LPARAM>(&change)),
                  TRUE);
    };
    EXPECT_EQ(window.loop_mode(), LoopMode::kFrames);
    EXPECT_FALSE(paused());
    session(WTS_SESSION_LOCK, ThisSession() + 1);  // another session's
    EXPECT_EQ(window.loop_mode(), LoopMode::kFrames);
    session(WTS_SESSION_LOCK, ThisSession());
    EXPECT_EQ(window.loop_mode(), LoopMode::kPaused);
    EXPECT_TRUE(paused());
    session(WTS_REMOTE_DISCONNECT, ThisSession());
    session(WTS_SESSION_UNLOCK, ThisSession());
    EXPECT_TRUE(paused()) << "still disconnected";
    session(WTS_CONSOLE_CONNECT, ThisSession());
    EXPECT_EQ(window.loop_mode(), LoopMode::kFrames);
    EXPECT_FALSE(paused());

    display(0);
    EXPECT_EQ(window.loop_mode(), LoopMode::kPaused);
    display(2);  // dimmed is still seen
    EXPECT_EQ(window.loop_mode(), LoopMode::kFrames);
    display(0);
    SendMessageA(hwnd, WM_COMMAND, kIconize, 0);
    EXPECT_EQ(window.loop_mode(), LoopMode::kPaused) << "folded, but nobody sees the tray either";
    display(1);
    EXPECT_EQ(window.loop_mode(), LoopMode::kFolded);
    EXPECT_FALSE(paused());

    EXPECT_EQ(SendMessageA(hwnd, WM_POWERBROADCAST, PBT_APMSUSPEND, 0), TRUE);
    EXPECT_TRUE(paused());
    SendMessageA(hwnd, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    EXPECT_FALSE(paused());
    // A setting that is no display's changes nothing; neither does a record too short.
    DisplayState other = {GUID{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}}, sizeof(DWORD), 0};
    SendMessageA(hwnd, WM_POWERBROADCAST, kPowerSettingChange, reinterpret_cast<LPARAM>(&other));
    DisplayState cut = {kSessionDisplay, 0, 0};
    SendMessageA(hwnd, WM_POWERBROADCAST, kPowerSettingChange, reinterpret_cast<LPARAM>(&cut));
    EXPECT_FALSE(paused());
}

TEST(Unseen, TheSuspendedStateEndsWithWhateverShowsTheMachineAwake) {
    Harness harness;
    ASSERT_TRUE(harness.create());
    MainWindow& window = *harness.window;
    const HWND hwnd = window.hwnd;
    platform.clock.time = RestTime;
    const auto suspend = [&] {
        SendMessageA(hwnd, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
        ASSERT_EQ(window.loop_mode(), LoopMode::kPaused);
    };
    // Each without the resume broadcast: an unlock, a connect, the display on.
    suspend();
    SendMessageA(hwnd, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, ThisSession());
    EXPECT_EQ(window.loop_mode(), LoopMode::kFrames);
    suspend();
    SendMessageA(hwnd, WM_WTSSESSION_CHANGE, WTS_REMOTE_CONNECT, ThisSession());
    EXPECT_EQ(window.loop_mode(), LoopMode::kFrames);
    suspend();
    DisplayState on = {kSessionDisplay, sizeof(DWORD), 1};
    SendMessageA(hwnd, WM_POWERBROADCAST, kPowerSettingChange, reinterpret_cast<LPARAM>(&on));
    EXPECT_EQ(window.loop_mode(), LoopMode::kFrames);
    // And a rest wait that ran out: 5 s of a process that runs.
    rest_now = 1000;
    suspend();
    EXPECT_EQ(window.rest(LoopMode::kPaused), 5000u);
    rest_now = 3000;
    EXPECT_EQ(window.rest(LoopMode::kPaused), 3000u) << "a message came meanwhile";
    rest_now = 6000;
    EXPECT_EQ(window.rest(LoopMode::kPaused), 0u);
    EXPECT_EQ(window.loop_mode(), LoopMode::kFrames);
    EXPECT_FALSE(window.samplers.paused());
    // Locked, nobody is asleep: the rest has no end of its own.
    SendMessageA(hwnd, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, ThisSession());
    EXPECT_EQ(window.rest(LoopMode::kPaused), INFINITE);
}

// The session and power registrations as a Windows of the test's version answers them.
RTL_OSVERSIONINFOW windows_version = {};
LONG WINAPI FakeVersion(RTL_OSVERSIONINFOW* info) {
    info->dwMajorVersion = windows_version.dwMajorVersion;
    info->dwMinorVersion = windows_version.dwMinorVersion;
    return 0;
}
std::vector<DWORD> session_answers;  // the last errors of refused registrations
BOOL WINAPI FakeRegisterSession(HWND, DWORD) {
    if (session_answers.empty()) return TRUE;
    SetLastError(session_answers.front());
    session_answers.erase(session_answers.begin());
    return FALSE;
}
BOOL WINAPI FakeUnregisterSession(HWND) { return TRUE; }
LONG session_flags = -1;
DWORD connect_state = 0;
BOOL WINAPI FakeSessionInfo(HANDLE, DWORD, WTS_INFO_CLASS kind, LPWSTR* buffer, DWORD* bytes) {
    if (kind != 25) return FALSE;  // WTSSessionInfoEx
    static DWORD info[56];  // WTSINFOEXW: level 1, then the level-1 data at offset 8
    info[0] = 1;
    info[2] = ThisSession();
    info[3] = connect_state;
    info[4] = static_cast<DWORD>(session_flags);
    *buffer = reinterpret_cast<LPWSTR>(info);
    *bytes = sizeof info;
    return TRUE;
}
void WINAPI FakeFree(PVOID) {}
std::vector<GUID> display_registrations;
HANDLE WINAPI FakeRegisterPower(HANDLE, const GUID* setting, DWORD) {
    display_registrations.push_back(*setting);
    return reinterpret_cast<HANDLE>(uintptr_t{0x77});
}
BOOL WINAPI FakeUnregisterPower(HANDLE) { return TRUE; }

struct SessionAndPower {
    SessionAndPower(DWORD major, DWORD minor) {
        windows_version.dwMajorVersion = major;
        windows_version.dwMinorVersion = minor;
        platform.system.version = FakeVersion;
        platform.sessions = {FakeRegisterSession, FakeUnregisterSession, FakeSessionInfo, FakeFree};
        platform.window_manager.register_power_setting_notification = FakeRegisterPower;
        platform.window_manager.unregister_power_setting_notification = FakeUnregisterPower;
        display_registrations.clear();
        session_answers.clear();
    }
};

TEST(Unseen, StartedInALockedOrDisconnectedSessionItRestsFromTheStart) {
    const struct { DWORD major, minor; LONG flags; DWORD connect; bool unseen; } cases[] = {
        {10, 0, 0, 0, true},   // locked
        {10, 0, 1, 0, false},  // unlocked
        {6, 1, 1, 0, true},    // Windows 7 says locked the other way round
        {6, 1, 0, 0, false},
        {10, 0, -1, 0, false},  // unknown
        {10, 0, 1, 4, true},    // disconnected
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.major << "." << c.minor << " " << c.flags << " " << c.connect);
        Harness harness;
        const SessionAndPower system(c.major, c.minor);
        session_flags = c.flags;
        connect_state = c.connect;
        ASSERT_TRUE(harness.create());
        EXPECT_EQ(harness.window->loop_mode() == LoopMode::kPaused, c.unseen);
        EXPECT_EQ(harness.window->samplers.paused(), c.unseen);
    }
}

TEST(Unseen, TheDisplaySettingAndTheSessionRegistrationFollowWindows) {
    const GUID kMonitorPower = {0x02731015, 0x4510, 0x4526,
                                {0x99, 0xE6, 0xE5, 0xA1, 0x7E, 0xBD, 0x1A, 0xEA}};
    for (const DWORD minor : {1u, 2u}) {
        Harness harness;
        const SessionAndPower system(6, minor);
        ASSERT_TRUE(harness.create());
        ASSERT_EQ(display_registrations.size(), 1u);
        EXPECT_TRUE(IsEqualGUID(display_registrations[0], minor == 1 ? kMonitorPower : kSessionDisplay));
    }
    // Refused while the Remote Desktop Services are not ready: asked again
    // every 5 s, and the session's state taken anew once it is in.
    Harness harness;
    const SessionAndPower system(10, 0);
    session_answers = {RPC_S_INVALID_BINDING, RPC_S_INVALID_BINDING};
    session_flags = 1;
    platform.clock.time = RestTime;
    rest_now = 0;
    ASSERT_TRUE(harness.create());
    const HWND hwnd = harness.window->hwnd;
    rest_now = 5000;
    SendMessageA(hwnd, WM_TIMER, kSessionRetryTimer, 0);
    EXPECT_TRUE(session_answers.empty());
    session_flags = 0;
    rest_now = 10000;
    SendMessageA(hwnd, WM_TIMER, kSessionRetryTimer, 0);
    EXPECT_EQ(harness.window->loop_mode(), LoopMode::kPaused) << "locked meanwhile";
    // Another refusal ends the asking: only services not ready yet are waited for.
    Harness denied;
    const SessionAndPower again(10, 0);
    session_answers = {ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED};
    ASSERT_TRUE(denied.create());
    SendMessageA(denied.window->hwnd, WM_TIMER, kSessionRetryTimer, 0);
    EXPECT_EQ(session_answers.size(), 1u);
}

TEST(Unseen, EveryWayBackEndsTheRestItsWayInBegan) {
    Harness harness;
    ASSERT_TRUE(harness.create());
    MainWindow& window = *harness.window;
    const LPARAM session = ThisSession();
    DisplayState off = {kSessionDisplay, sizeof(DWORD), 0}, on = {kSessionDisplay, sizeof(DWORD), 1};
    const struct {
        const char* what;
        UINT message;
        WPARAM in;
        LPARAM in_data;
        WPARAM out;
        LPARAM out_data;
    } ways[] = {
        {"lock", WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, session, WTS_SESSION_UNLOCK, session},
        {"console", WM_WTSSESSION_CHANGE, WTS_CONSOLE_DISCONNECT, session, WTS_CONSOLE_CONNECT,
         session},
        {"remote", WM_WTSSESSION_CHANGE, WTS_REMOTE_DISCONNECT, session, WTS_REMOTE_CONNECT, session},
        {"console to remote", WM_WTSSESSION_CHANGE, WTS_CONSOLE_DISCONNECT, session,
         WTS_REMOTE_CONNECT, session},
        {"display", WM_POWERBROADCAST, kPowerSettingChange, reinterpret_cast<LPARAM>(&off),
         kPowerSettingChange, reinterpret_cast<LPARAM>(&on)},
        {"sleep", WM_POWERBROADCAST, PBT_APMSUSPEND, 0, PBT_APMRESUMESUSPEND, 0},
        {"sleep, woken unattended", WM_POWERBROADCAST, PBT_APMSUSPEND, 0, PBT_APMRESUMEAUTOMATIC, 0},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.what);
        SendMessageA(window.hwnd, way.message, way.in, way.in_data);
        EXPECT_EQ(window.loop_mode(), LoopMode::kPaused);
        SendMessageA(window.hwnd, way.message, way.out, way.out_data);
        EXPECT_EQ(window.loop_mode(), LoopMode::kFrames);
    }
}

// The kernel's times of two processors, each report a step of 1024 units of
// which `busy_share` were busy: every value measured over it is that share.
volatile LONG busy_share = 256;
int64_t reported_idle = 0, reported_kernel = 0;
LONG WINAPI SteppingTimes(ULONG, PVOID buffer, ULONG size, PULONG length) {
    // The samplers' turn asks for one report at a time.
    reported_idle += 1024 - busy_share;
    reported_kernel += 1024;
    auto* entries = static_cast<ProcessorPerformance*>(buffer);
    ULONG count = 0;
    for (; count < 2 && (count + 1) * sizeof(ProcessorPerformance) <= size; ++count) {
        entries[count] = {};
        entries[count].idle.QuadPart = reported_idle;
        entries[count].kernel.QuadPart = reported_kernel;
    }
    *length = count * sizeof(ProcessorPerformance);
    return 0;
}

TEST(Unseen, AfterALockAndAnUnlockTheSamplersMeasureAgain) {
    Harness harness;
    platform.system.query_system_information = SteppingTimes;
    busy_share = 256;
    MainWindow& window = WithRealSamplers(harness, 2);
    ASSERT_TRUE(harness.create());
    ASSERT_TRUE(HeardSoon(harness, "<USAGE>25</USAGE>"));
    SendMessageA(window.hwnd, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, ThisSession());
    window.update_frame();  // whatever was measured before the lock
    // Anything measured from now on says 75 %: only a sampler that runs again can.
    busy_share = 768;
    SendMessageA(window.hwnd, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, ThisSession());
    EXPECT_TRUE(HeardSoon(harness, "<USAGE>75</USAGE>"));
}

}  // namespace
