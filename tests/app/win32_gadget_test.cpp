#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <windows.h>

#include "app/win32_main_window.h"
#include "app/win32_settings_claim.h"
#include "platform/win32_clock.h"
#include "platform/win32_platform.h"
#include "platform/win32_system_libraries.h"
#include "resources/resource_ids.h"
#include "win32_main_window_harness.h"

namespace {

// A clock that only moves when told to, and a sleep that moves it.
DWORD fake_now = 0;
std::vector<DWORD> fake_sleeps;
DWORD WINAPI FakeTime() { return fake_now; }
void WINAPI FakeSleep(DWORD milliseconds) {
    fake_sleeps.push_back(milliseconds);
    fake_now += milliseconds;
}

// Counts the frames of a real run while still sleeping for real; another
// thread watches the count.
volatile LONG paced_frames = 0;
void WINAPI CountingSleep(DWORD milliseconds) {
    InterlockedIncrement(&paced_frames);
    Sleep(milliseconds);
}

// Replaces the clock and the sleep; the timer requests stay unless given too.
class SeamSwap {
public:
    SeamSwap(DWORD(WINAPI* time)(), void(WINAPI* sleep)(DWORD),
             UINT(WINAPI* begin)(UINT) = nullptr, UINT(WINAPI* end)(UINT) = nullptr) {
        platform.clock.time = time;
        platform.clock.sleep = sleep;
        if (begin != nullptr) {
            platform.clock.begin_period = begin;
            platform.clock.end_period = end;
        }
    }

private:
    ScopedPlatform platform_;
};

// The settings of these runs go to a file of their own that starts missing, so
// the window comes up at the default place and the build tree stays clean: the
// program's folder counts as one that cannot be written, and the application
// data is a folder of the test's.
std::wstring private_data;
std::wstring PrivateAppData() { return private_data; }
bool NothingWritable(const std::wstring&) { return false; }

class PrivateSettings {
public:
    PrivateSettings() {
        wchar_t directory[MAX_PATH];
        GetTempPathW(MAX_PATH, directory);
        private_data = std::wstring(directory) + L"vg_run_gadget_" +
                       std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(private_data.c_str(), nullptr);
        clean();
        platform.files.app_data_folder = PrivateAppData;
        platform.files.writable_beside = NothingWritable;
    }
    ~PrivateSettings() {
        clean();
        RemoveDirectoryW(private_data.c_str());
    }

private:
    static void clean() {
        DeleteFileW((private_data + L"\\Vornelt Gauge\\Pollstate.txt").c_str());
        RemoveDirectoryW((private_data + L"\\Vornelt Gauge").c_str());
    }
    ScopedPlatform platform_;
};

TEST(MainWindow, WithoutSettingsItComesUpShownOpaqueNotHidingAndDrawingEveryFrame) {
    Harness harness;
    ASSERT_TRUE(harness.create(100, 200));
    MainWindow& window = *harness.window;
    const HWND hwnd = window.hwnd;
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_EQ(GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    // The first frame draws: no frame counts as late before one was paced.
    window.update_frame();
    EXPECT_EQ(harness.form().texts.back(),
              "<MSG><COMMAND>UPDATE_FRAME</COMMAND></MSG><MSG><COMMAND>DRAW_FRAME</COMMAND></MSG>");
    // The mouse resting on it does not hide it.
    fakes.cursor = {150, 210};
    SendMessageA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(150, 210));
    for (int frame = 0; frame < 20; ++frame) window.update_frame();
    EXPECT_TRUE(IsWindowVisible(hwnd));
    // Made translucent, it takes the opacity a settings file without one gives.
    SendMessageA(hwnd, WM_COMMAND, kTranslucent, 0);
    BYTE alpha = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(hwnd, nullptr, &alpha, nullptr));
    EXPECT_EQ(alpha, 128);
    // Thirty frames a second: 23 ms left of the budget after 10.
    SeamSwap swap(FakeTime, FakeSleep);
    fake_sleeps.clear();
    window.pace_frame(window.frame_rate());
    fake_now += 10;
    window.pace_frame(window.frame_rate());
    EXPECT_EQ(fake_sleeps, std::vector<DWORD>{23});
}

TEST(MainWindow, ShowsItselfTopmostAndLetsGoOfItsHandleOnDestroy) {
    PrivateSettings settings;
    MainWindow window;
    ASSERT_TRUE(window.create(GetModuleHandleA(nullptr), nullptr, "MainWindowTest", 5, 6, 240, 24,
                              VG_WINDOW_TITLE, kGadgetStyle, kGadgetExStyle, nullptr, nullptr));
    const HWND hwnd = window.hwnd;
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_TRUE(GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(SendMessageA(hwnd, WM_ERASEBKGND, 0, 0), 0);

    // A message the gadget does not handle reaches the default procedure.
    EXPECT_EQ(SendMessageA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(10, 10)), HTCLIENT);
    SendMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(window.hwnd, nullptr);
    MSG quit;
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 0u);
}

TEST(MainWindow, PacesFramesWithTheInjectedClock) {
    PrivateSettings settings;
    SeamSwap swap(FakeTime, FakeSleep);
    fake_now = 0xFFFFFFE0u;  // wraps during the run
    fake_sleeps.clear();
    MainWindow window;

    EXPECT_FALSE(window.pace_frame(30));
    EXPECT_TRUE(fake_sleeps.empty());
    fake_now += 10;
    EXPECT_FALSE(window.pace_frame(30));
    fake_now += 40;
    EXPECT_TRUE(window.pace_frame(30));
    EXPECT_TRUE(window.frame_late());
    fake_now += 5;
    EXPECT_FALSE(window.pace_frame(0));  // an unusable rate paces at 30
    EXPECT_FALSE(window.frame_late());
    EXPECT_EQ(fake_sleeps, (std::vector<DWORD>{23, 1, 28}));
}

// Loads like the program, but as if the multimedia library could not be loaded.
HMODULE RefuseWinmm(const char* name) {
    return lstrcmpiA(name, "winmm.dll") == 0 ? nullptr : LoadFromSystemFolder(name);
}

TEST(MillisecondClock, IsTheTickCountWhenTheMultimediaTimerCannotBeLoaded) {
    LoadSystemLibraries(RefuseWinmm);
    EXPECT_EQ(system_libraries.winmm.module, nullptr);
    EXPECT_EQ(system_libraries.winmm.time_get_time, nullptr);
    EXPECT_NE(platform.performance.open_query, nullptr);  // the rest loads all the same
    const DWORD before = GetTickCount();
    const DWORD now = MillisecondClock();
    const DWORD after = GetTickCount();
    EXPECT_LE(now - before, after - before);  // between two tick counts, across a wrap too
    FreeSystemLibraries();

    // Not refused, the timer comes from the system folder, and is gone again once freed.
    LoadSystemLibraries();
    ASSERT_NE(system_libraries.winmm.time_get_time, nullptr);
    char library[MAX_PATH] = "";
    char system_folder[MAX_PATH] = "";
    GetModuleFileNameA(system_libraries.winmm.module, library, MAX_PATH);
    const UINT length = GetSystemDirectoryA(system_folder, MAX_PATH);
    EXPECT_EQ(CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, library, length, system_folder,
                             length),
              CSTR_EQUAL)
        << library;
    FreeSystemLibraries();
    EXPECT_EQ(system_libraries.winmm.time_get_time, nullptr);
}

TEST(PumpMessage, HandlesOneMessagePerCallAndStopsAtQuit) {
    PrivateSettings settings;
    DrainQueue();
    EXPECT_EQ(pump_message(), 0);
    MainWindow window;
    ASSERT_TRUE(window.create(GetModuleHandleA(nullptr), nullptr, "PumpTest", 0, 0, 240, 24, "pump",
                              WS_POPUP, 0, nullptr, nullptr));
    DrainQueue();
    PostMessageA(window.hwnd, WM_NULL, 0, 0);
    PostMessageA(window.hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(pump_message(), 1);
    EXPECT_NE(window.hwnd, nullptr);  // only the first message was handled
    EXPECT_EQ(pump_message(), 1);
    EXPECT_EQ(window.hwnd, nullptr);
    // The quit posted by the window's destruction ends the pumping undispatched.
    EXPECT_EQ(pump_message(), -1);
    EXPECT_EQ(pump_message(), 0);
}

// What a second thread saw of the gadget's window before closing it.
struct Seen {
    bool found;
    RECT rect;
    LONG style;
    LONG ex_style;
    char title[64];
};

DWORD WINAPI CloseWhenShown(void* parameter) {
    Seen& seen = *static_cast<Seen*>(parameter);
    // Generous limits: a machine busy with other work may run the gadget late.
    HWND hwnd = nullptr;
    for (int i = 0; i < 3000 && hwnd == nullptr; ++i) {
        Sleep(10);
        hwnd = FindWindowA(VG_WINDOW_CLASS, nullptr);
    }
    if (hwnd == nullptr) return 1;
    for (int i = 0; i < 3000 && paced_frames < 3; ++i) Sleep(10);  // let frames run
    seen.found = true;
    GetWindowRect(hwnd, &seen.rect);
    seen.style = GetWindowLongA(hwnd, GWL_STYLE);
    seen.ex_style = GetWindowLongA(hwnd, GWL_EXSTYLE);
    GetWindowTextA(hwnd, seen.title, sizeof seen.title);
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
    return 0;
}

// Runs the program's whole start-up and loop in this process: the window comes
// up as the gadget's, frames run while the queue is idle, and WM_CLOSE ends it.
// The exit code of a whole run that another thread closes once it has seen it.
int RunUntilClosed(Seen& seen) {
    DrainQueue();
    paced_frames = 0;
    seen = Seen{};
    HANDLE closer = CreateThread(nullptr, 0, CloseWhenShown, &seen, 0, nullptr);
    if (closer == nullptr) return -1;
    const int code = RunGadget(GetModuleHandleA(nullptr));
    WaitForSingleObject(closer, 60000);
    CloseHandle(closer);
    return code;
}

TEST(RunGadget, ShowsTheGadgetRunsFramesAndEndsOnClose) {
    PrivateSettings settings;
    SeamSwap swap(MillisecondClock, CountingSleep);
    Seen seen;
    EXPECT_EQ(RunUntilClosed(seen), 0);
    ASSERT_TRUE(seen.found);
    const int cx = GetSystemMetrics(SM_CXSCREEN);
    const int cy = GetSystemMetrics(SM_CYSCREEN);
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    EXPECT_EQ(seen.rect.left, cx / 2 - 120);
    EXPECT_EQ(seen.rect.top, cy / 2 - 12);
    EXPECT_EQ(seen.rect.right - seen.rect.left, 240);
    EXPECT_EQ(seen.rect.bottom - seen.rect.top,
              WindowHeightForProcessors(ClampProcessorCount(system.dwNumberOfProcessors)));
    EXPECT_EQ(static_cast<DWORD>(seen.style), 0x86090000u | WS_VISIBLE);
    EXPECT_EQ(seen.ex_style & 0x88, 0x88);
    EXPECT_STREQ(seen.title, "Vornelt Gauge");
    EXPECT_GE(static_cast<LONG>(paced_frames), 3);
    EXPECT_EQ(FindWindowA(VG_WINDOW_CLASS, nullptr), nullptr);
}

// Windows as it is without a finer timer: sleeps end on, and the clock moves
// in, steps of 15.625 ms; with a 1-ms period asked for, both are exact. Only the
// main thread paces, so no lock.
struct SteppedTimer {
    uint64_t now_us = 0;
    UINT period = 0;
    std::string calls;  // 'b'egin, 's'leep, 'e'nd, in order
    uint64_t first_sleep_us = 0;
    uint64_t last_sleep_us = 0;
} stepped;
constexpr uint64_t kTickUs = 15625;
DWORD WINAPI SteppedTime() {
    const uint64_t shown = stepped.period == 1 ? stepped.now_us : stepped.now_us / kTickUs * kTickUs;
    return static_cast<DWORD>(shown / 1000);
}
void WINAPI SteppedSleep(DWORD milliseconds) {
    if (stepped.calls.find('s') == std::string::npos) stepped.first_sleep_us = stepped.now_us;
    stepped.calls += 's';
    const uint64_t wake = stepped.now_us + milliseconds * 1000ull;
    stepped.now_us = stepped.period == 1 ? wake : (wake + kTickUs - 1) / kTickUs * kTickUs;
    stepped.last_sleep_us = stepped.now_us;
    InterlockedIncrement(&paced_frames);
}
UINT WINAPI SteppedBegin(UINT milliseconds) {
    stepped.calls += 'b';
    stepped.period = milliseconds;
    return 0;
}
UINT WINAPI SteppedEnd(UINT milliseconds) {
    stepped.calls += milliseconds == stepped.period ? 'e' : '?';
    stepped.period = 0;
    return 0;
}

TEST(RunGadget, AsksForTheFinerTimerBeforeTheFirstFrameSoThirtyFramesTakeASecond) {
    PrivateSettings settings;
    SeamSwap swap(SteppedTime, SteppedSleep, SteppedBegin, SteppedEnd);
    stepped = SteppedTimer{};
    Seen seen;
    EXPECT_EQ(RunUntilClosed(seen), 0);
    ASSERT_TRUE(seen.found);

    // Asked for once before any frame slept, given back once after the last.
    const size_t sleeps = stepped.calls.size() - 2;
    ASSERT_GE(sleeps, 3u);
    EXPECT_EQ(stepped.calls, "b" + std::string(sleeps, 's') + "e");
    // 33 ms a frame on this clock; on the stepped one it would be 47.
    const uint64_t per_frame_us = (stepped.last_sleep_us - stepped.first_sleep_us) / sleeps;
    EXPECT_GE(per_frame_us, 33000u);
    EXPECT_LT(per_frame_us, 34000u);
}

// As for a claim a gadget running elevated holds: a normal start may not open it.
HANDLE WINAPI DeniedClaim(LPSECURITY_ATTRIBUTES, BOOL, LPCSTR) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
}

constexpr uint64_t kClaimKey = 0x1122334455667788ull;
LRESULT CALLBACK AnswersForTheKey(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == RegisterWindowMessageA(VG_BRING_FORWARD_MESSAGE) && wparam == 0x55667788u &&
        static_cast<uint32_t>(lparam) == 0x11223344u) {
        return kBroughtForward;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

TEST(RunGadget, AClaimThatCannotBeOpenedCountsAsHeld) {
    ScopedPlatform scoped;
    platform.threads.create_mutex = DeniedClaim;
    {
        // Nobody answers: the second start gives up rather than run beside it.
        SettingsFileClaim claim(kClaimKey);
        EXPECT_EQ(claim.claim_or_bring_forward(500), StartOutcome::kUnreachable);
    }
    // A gadget window that uses the file answers: brought forward.
    WNDCLASSA gadget_class = {};
    gadget_class.lpfnWndProc = DefWindowProcA;
    gadget_class.hInstance = GetModuleHandleA(nullptr);
    gadget_class.lpszClassName = VG_WINDOW_CLASS;
    RegisterClassA(&gadget_class);  // may be registered already
    const HWND running = CreateWindowExA(0, VG_WINDOW_CLASS, "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                         nullptr, gadget_class.hInstance, nullptr);
    ASSERT_NE(running, nullptr);
    SetWindowLongPtrA(running, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AnswersForTheKey));
    {
        SettingsFileClaim claim(kClaimKey);
        EXPECT_EQ(claim.claim_or_bring_forward(5000), StartOutcome::kBroughtForward);
    }
    DestroyWindow(running);
}

// A whole run scripted from the main thread's own waits: three frames, then
// the session locks; unlocked, three more frames; folded, three tray seconds;
// unfolded, three frames and the close. Each step posts the next message to
// the gadget from inside the seam the loop just called.
struct Scenario {
    std::string calls;  // 'b'egin and 'e'nd of the finer timer, 's'leep, 'W'ait for ever, 'w'ait
    std::vector<DWORD> waits;
    DWORD now = 0;
    int frames = 0;
    int rests = 0;
} scenario;
void Post(UINT message, WPARAM wparam, LPARAM lparam) {
    PostMessageA(FindWindowA(VG_WINDOW_CLASS, nullptr), message, wparam, lparam);
}
DWORD WINAPI ScenarioTime() { return scenario.now; }
DWORD SessionId() {
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    return session;
}
void WINAPI ScenarioSleep(DWORD milliseconds) {
    scenario.calls += 's';
    scenario.now += milliseconds;
    switch (++scenario.frames) {
    case 3: Post(WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, SessionId()); break;
    case 6: Post(WM_COMMAND, kIconize, 0); break;
    case 9: Post(WM_CLOSE, 0, 0); break;
    }
}
// True when it posted a message, as the real wait ends when one comes.
bool WINAPI ScenarioWait(DWORD milliseconds) {
    scenario.calls += milliseconds == INFINITE ? 'W' : 'w';
    scenario.waits.push_back(milliseconds);
    if (milliseconds == INFINITE) {
        Post(WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, SessionId());
        return true;
    }
    scenario.now += milliseconds;
    if (++scenario.rests < 3) return false;
    Post(kTrayMessage, kTrayId, WM_LBUTTONDBLCLK);
    return true;
}
int WINAPI DismissedBox(HWND, LPCWSTR, LPCWSTR, UINT) { return IDOK; }
UINT WINAPI ScenarioBegin(UINT) {
    scenario.calls += 'b';
    return 0;
}
UINT WINAPI ScenarioEnd(UINT) {
    scenario.calls += 'e';
    return 0;
}

TEST(RunGadget, HoldsTheFinerTimerOnlyWhileFramesAreDrawnAndRestsWhileNobodySees) {
    PrivateSettings settings;
    // A failed fold must not wait on a message box nobody closes.
    platform.window_manager.message_box = DismissedBox;
    platform.clock.time = ScenarioTime;
    platform.clock.sleep = ScenarioSleep;
    platform.clock.begin_period = ScenarioBegin;
    platform.clock.end_period = ScenarioEnd;
    platform.clock.wait_for_messages = ScenarioWait;
    scenario = Scenario{};
    DrainQueue();
    EXPECT_EQ(RunGadget(GetModuleHandleA(nullptr)), 0);
    // Locked: no frame and no timer until the unlock. Folded: the tray once a
    // second and nothing in between, without the timer.
    EXPECT_EQ(scenario.calls, "bsss" "e" "W" "bsss" "e" "www" "bsss" "e");
    EXPECT_EQ(scenario.waits, (std::vector<DWORD>{INFINITE, 1000, 1000, 1000}));
}

TEST(RunGadget, EndsAtOnceWhenItsWindowCannotBeCreated) {
    PrivateSettings settings;
    DrainQueue();
    // The class name taken already makes the window's creation fail.
    WNDCLASSA taken = {};
    taken.lpfnWndProc = DefWindowProcA;
    taken.hInstance = GetModuleHandleA(nullptr);
    taken.lpszClassName = VG_WINDOW_CLASS;
    RegisterClassA(&taken);  // may already be registered by an earlier run in this process
    SeamSwap swap(MillisecondClock, CountingSleep);
    paced_frames = 0;
    EXPECT_EQ(RunGadget(GetModuleHandleA(nullptr)), 0);
    EXPECT_EQ(static_cast<LONG>(paced_frames), 0);  // no frame loop: it ended at once
    EXPECT_EQ(FindWindowA(VG_WINDOW_CLASS, nullptr), nullptr);
}

}  // namespace
