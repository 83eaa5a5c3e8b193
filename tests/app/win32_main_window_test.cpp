#include <gtest/gtest.h>

#include <process.h>

#include <string>
#include <vector>

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

TEST(MainWindowConstruction, RealSamplersReachTheMeter) {
    const LoadedLibraries libraries;
    Harness harness;
    delete harness.window;
    platform.threads.begin_thread = _beginthreadex;
    harness.window = new MainWindow();
    MainWindow& window = *harness.window;
    delete window.meter_form;
    window.meter_form = new RecordingForm(window.processor_count());
    // A first sample after about a second; generously longer on a busy machine,
    // where another processor's sampler may well be heard from first.
    bool heard = false;
    const DWORD start = GetTickCount();
    while (!heard && GetTickCount() - start < 20000) {
        Sleep(30);
        window.update_frame();
        const std::string& text = harness.form().texts.back();
        heard = text.find("CPU_UPDATE") != std::string::npos &&
                text.find("<NUM>0</NUM>") != std::string::npos;
    }
    EXPECT_TRUE(heard);
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

}  // namespace
