#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/frame_text.h"
#include "app/win32_settings_claim.h"
#include "measure/processor_info.h"
#include "platform/win32_platform.h"
#include "platform/win32_system_libraries.h"
#include "raster/win32_dib_surface.h"
#include "resources/resource_ids.h"
#include "settings/win32_settings_file.h"
#include "settings/win32_settings_place.h"
#include "text/string_helpers.h"
#include "tests/app/win32_icon_width.h"
#include "win32_main_window_harness.h"

namespace {

// The menu texts as Windows hands them out, written as UTF-16 here so that no
// code page stands between them and the test.
const wchar_t kMoveText[] = L"移動(&M)";
const wchar_t kTranslucentText[] = L"半透明(&T)";
const wchar_t kIconizeText[] = L"アイコン化(&I)";
const wchar_t kAutoHideText[] = L"自動で隠れる(&H)";
const wchar_t kStartWithWindowsText[] = L"Windows の起動時に開始(&W)";
const wchar_t kExitText[] = L"終了(&X)";
const wchar_t kShowForm[] = L"フォーム表示(&S)";

struct Item {
    UINT id;
    const wchar_t* text;
    bool checked;
};

void ExpectItems(const MenuSeen& menu, const std::vector<Item>& expected) {
    ASSERT_EQ(menu.items.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const MenuItemSeen& item = menu.items[i];
        if (expected[i].text == nullptr) {
            EXPECT_TRUE(item.separator) << i;
            continue;
        }
        EXPECT_EQ(item.id, expected[i].id) << i;
        EXPECT_EQ(item.text, expected[i].text) << i;
        EXPECT_EQ(item.checked, expected[i].checked) << i;
    }
}

std::vector<Item> WindowMenu(bool translucent, bool auto_hide, bool starts = false) {
    return {{kMove, kMoveText, false},          {kTranslucent, kTranslucentText, translucent},
            {kIconize, kIconizeText, false},       {kAutoHide, kAutoHideText, auto_hide},
            {kStartWithWindows, kStartWithWindowsText, starts},
            {0, nullptr, false},            {kExit, kExitText, false}};
}

std::wstring Widened(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

POINT ScreenOf(HWND hwnd, int x, int y) {
    POINT point = {x, y};
    ClientToScreen(hwnd, &point);
    return point;
}

TEST(WindowMenu, ShowsTheFourCommandsAndExitWithTheOptionsChecked) {
    Harness harness;
    ASSERT_TRUE(harness.create());
    MainWindow& window = *harness.window;
    const HWND hwnd = window.hwnd;
    EXPECT_EQ(SendMessageA(hwnd, WM_RBUTTONUP, 0, MAKELPARAM(30, 7)), 0);
    window.translucency.set(true, 128);
    window.auto_hide.set_on(true);
    SendMessageA(hwnd, WM_RBUTTONUP, 0, MAKELPARAM(200, 20));
    window.translucency.set(false, 128);
    SendMessageA(hwnd, WM_RBUTTONUP, 0, MAKELPARAM(0, 0));

    ASSERT_EQ(fakes.menus.size(), 3u);
    ExpectItems(fakes.menus[0], WindowMenu(false, false));
    ExpectItems(fakes.menus[1], WindowMenu(true, true));
    // Each menu is loaded afresh: a mark that is no longer due is gone.
    ExpectItems(fakes.menus[2], WindowMenu(false, true));
    const POINT at = ScreenOf(hwnd, 30, 7);
    EXPECT_EQ(fakes.menus[0].x, at.x);
    EXPECT_EQ(fakes.menus[0].y, at.y);
    EXPECT_EQ(fakes.menus[0].flags, static_cast<UINT>(TPM_RIGHTBUTTON));
    EXPECT_EQ(fakes.menus[0].owner, hwnd);
}

std::wstring ThisProgram() {
    std::wstring program(MAX_PATH, L'\0');
    program.resize(GetModuleFileNameW(nullptr, &program[0], MAX_PATH));
    return program;
}

TEST(WindowMenu, StartWithWindowsFollowsTheRunValueNamingThisVeryProgram) {
    Harness harness;
    ASSERT_TRUE(harness.create());
    const HWND hwnd = harness.window->hwnd;
    const std::wstring program = ThisProgram();
    std::wstring lower = program, upper = program;
    CharLowerBuffW(&lower[0], static_cast<DWORD>(lower.size()));
    CharUpperBuffW(&upper[0], static_cast<DWORD>(upper.size()));
    const std::wstring quoted = L"\"" + program + L"\"";
    const std::wstring moved = L"\"C:\\Old place\\VorneltGauge.exe\"";
    const struct { bool present; std::wstring value; bool checked; } cases[] = {
        {false, L"", false},
        {true, L"\"" + lower + L"\"", true},  // paths compare in any letter case
        {true, L" " + upper + L" ", true},     // unquoted
        {true, moved, false},                  // a copy that was moved elsewhere
        {true, L"\"" + program, true},         // an unclosed quote ends the path
        {true, L"", false},
    };
    for (const auto& c : cases) {
        fakes.run_value_present = c.present;
        fakes.run_value = c.value;
        SendMessageA(hwnd, WM_RBUTTONUP, 0, 0);
        ExpectItems(fakes.menus.back(), WindowMenu(false, false, c.checked));
        EXPECT_EQ(fakes.run_value, c.value) << "the menu alone rewrites nothing";
    }

    // Choosing it points a moved copy's value here, then deletes it.
    fakes.run_value = moved;
    SendMessageA(hwnd, WM_COMMAND, kStartWithWindows, 0);
    EXPECT_TRUE(fakes.run_value_present);
    EXPECT_EQ(fakes.run_value, quoted);
    SendMessageA(hwnd, WM_COMMAND, kStartWithWindows, 0);
    EXPECT_FALSE(fakes.run_value_present);
    // A registry that refuses leaves the item as it was.
    fakes.run_key_writable = false;
    SendMessageA(hwnd, WM_COMMAND, kStartWithWindows, 0);
    EXPECT_FALSE(fakes.run_value_present);
    SendMessageA(hwnd, WM_RBUTTONUP, 0, 0);
    ExpectItems(fakes.menus.back(), WindowMenu(false, false, false));
    // The tray menu has no such item.
    fakes.run_value_present = true;
    fakes.run_value = quoted;
    SendMessageA(hwnd, kTrayMessage, kTrayId, WM_RBUTTONUP);
    ExpectItems(fakes.menus.back(), {{kIconize, kShowForm, false}, {0, nullptr, false}, {kExit, kExitText, false}});
}

TEST(WindowMenu, StartWithWindowsHeedsTheStartupPagesSwitch) {
    Harness harness;
    ASSERT_TRUE(harness.create());
    const HWND hwnd = harness.window->hwnd;
    const std::wstring program = ThisProgram();
    const std::vector<uint8_t> disabled = {0x03, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8};
    auto shown_checked = [&]() {
        SendMessageA(hwnd, WM_RBUTTONUP, 0, 0);
        return fakes.menus.back().items[4].checked;
    };
    fakes.run_value_present = true;
    fakes.run_value = L"\"" + program + L"\"";
    fakes.startup_record_present = true;
    fakes.startup_record = disabled;
    EXPECT_FALSE(shown_checked()) << "switched off on the Startup page";
    // A refused Run value puts the record it deleted back as it was.
    fakes.run_key_writable = false;
    SendMessageA(hwnd, WM_COMMAND, kStartWithWindows, 0);
    EXPECT_EQ(fakes.startup_record, disabled);
    EXPECT_FALSE(shown_checked());
    // Chosen, Windows really starts it; chosen again, only the Run value goes.
    fakes.run_key_writable = true;
    SendMessageA(hwnd, WM_COMMAND, kStartWithWindows, 0);
    EXPECT_FALSE(fakes.startup_record_present);
    EXPECT_TRUE(shown_checked());
    fakes.startup_record_present = true;
    fakes.startup_record = {0x02};
    SendMessageA(hwnd, WM_COMMAND, kStartWithWindows, 0);
    EXPECT_FALSE(fakes.run_value_present);
    EXPECT_TRUE(fakes.startup_record_present);
}

TEST(WindowMenu, TheApplicationsKeyOpensItAtTheCornerAndSwallowsTheNextClose) {
    Harness harness;
    ASSERT_TRUE(harness.create(100, 200));
    MainWindow& window = *harness.window;
    const HWND hwnd = window.hwnd;
    EXPECT_EQ(SendMessageA(hwnd, WM_KEYDOWN, 'A', 0), 0);
    EXPECT_TRUE(fakes.menus.empty());
    EXPECT_EQ(SendMessageA(hwnd, WM_KEYDOWN, VK_APPS, 0), 0);
    ASSERT_EQ(fakes.menus.size(), 1u);
    EXPECT_EQ(fakes.menus[0].x, 100);
    EXPECT_EQ(fakes.menus[0].y, 200);

    // Other keys arm nothing.
    SendMessageA(hwnd, WM_KEYUP, 'A', 0);
    EXPECT_FALSE(window.ignores_next_close());
    EXPECT_EQ(SendMessageA(hwnd, WM_KEYUP, VK_APPS, 0), 0);
    EXPECT_TRUE(window.ignores_next_close());
    SendMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_FALSE(window.ignores_next_close());
    SendMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(window.hwnd, nullptr);
}

TEST(WindowMenu, ExitClosesAtOnceEvenAfterTheApplicationsKey) {
    Harness harness;
    ASSERT_TRUE(harness.create());
    const HWND hwnd = harness.window->hwnd;
    SendMessageA(hwnd, WM_KEYUP, VK_APPS, 0);
    SendMessageA(hwnd, WM_COMMAND, kExit, 0);
    EXPECT_FALSE(IsWindow(hwnd));
    // The destruction saved the settings and asked the loop to end with code 0.
    std::string saved;
    EXPECT_TRUE(ReadWholeFile(fakes.settings_path, saved));
    EXPECT_NE(saved.find("<TRANS>"), std::string::npos) << saved;
    MSG quit;
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 0u);
    EXPECT_EQ(fakes.shell_calls.back().message, static_cast<DWORD>(NIM_DELETE));
}

TEST(Commands, TranslucentAutoHideAndTheMeasuringCommand) {
    Harness harness;
    ASSERT_TRUE(harness.create());
    MainWindow& window = *harness.window;
    const HWND hwnd = window.hwnd;

    SendMessageA(hwnd, WM_COMMAND, kTranslucent, 0);
    EXPECT_TRUE(window.translucency.on());
    EXPECT_TRUE(GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED);
    SendMessageA(hwnd, WM_COMMAND, kTranslucent, 0);
    EXPECT_FALSE(window.translucency.on());
    EXPECT_FALSE(GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED);

    // Turning auto-hide off leaves an armed count to run out.
    ArmAutoHide(window);
    SendMessageA(hwnd, WM_COMMAND, kAutoHide, 0);
    EXPECT_TRUE(window.auto_hide.on());
    EXPECT_EQ(window.auto_hide.hover_frames(), 1);
    SendMessageA(hwnd, WM_COMMAND, kAutoHide, 0);
    EXPECT_FALSE(window.auto_hide.on());
    EXPECT_EQ(window.auto_hide.hover_frames(), 1);

    // The meter is handed the text as it is and shows nothing new.
    RecordingForm& form = harness.form();
    window.update_frame();
    const std::vector<uint32_t> before(form.back_buffer->pixels,
                                       form.back_buffer->pixels + 240 * 24);
    form.texts.clear();
    EXPECT_EQ(SendMessageA(hwnd, WM_COMMAND, kMeasureHigh, 0), 0);
    ASSERT_EQ(form.texts.size(), 1u);
    EXPECT_EQ(form.texts[0], "<MSG><COMMAND>MEASURE_HIGH</COMMAND><Threshold>60.0</Threshold></MSG>");
    EXPECT_TRUE(std::equal(before.begin(), before.end(), form.back_buffer->pixels));

    // Unknown commands do nothing.
    EXPECT_EQ(SendMessageA(hwnd, WM_COMMAND, 40008, 0), 0);
    EXPECT_TRUE(IsWindowVisible(hwnd));
}

TEST(HitTest, ArmsTheHoverCountOnlyWithAutoHideOn) {
    Harness harness;
    ASSERT_TRUE(harness.create(100, 200));
    MainWindow& window = *harness.window;
    EXPECT_EQ(SendMessageA(window.hwnd, WM_NCHITTEST, 0, MAKELPARAM(110, 205)), HTCLIENT);
    EXPECT_EQ(window.auto_hide.hover_frames(), 0);
    window.auto_hide.set_on(true);
    EXPECT_EQ(SendMessageA(window.hwnd, WM_NCHITTEST, 0, MAKELPARAM(110, 205)), HTCLIENT);
    EXPECT_EQ(window.auto_hide.hover_frames(), 1);
    // A count that has run up starts anew at the next movement.
    fakes.cursor = {110, 205};
    for (int frame = 0; frame < 6; ++frame) window.update_frame();
    ASSERT_EQ(window.auto_hide.hover_frames(), 7);
    EXPECT_EQ(SendMessageA(window.hwnd, WM_NCHITTEST, 0, MAKELPARAM(110, 205)), HTCLIENT);
    EXPECT_EQ(window.auto_hide.hover_frames(), 1);
}

// The tooltip's one tool, with its text read back as UTF-16.
std::wstring ToolText(HWND tooltip, TOOLINFOW& tool) {
    static wchar_t text[256];
    tool = TOOLINFOW{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.lpszText = text;
    if (!SendMessageW(tooltip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool))) return L"-";
    text[0] = L'\0';
    tool.lpszText = text;
    SendMessageW(tooltip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
    return text;
}

// The processor line (ASCII), a line feed, and the installed memory after `label`.
std::wstring ExpectedTooltip(const MainWindow& window, const wchar_t* label) {
    MEMORYSTATUSEX memory = {};
    memory.dwLength = sizeof memory;
    GlobalMemoryStatusEx(&memory);
    const ProcessorInfo& processor = processor_info();
    const std::string text = ComposeTooltipText(
        std::string(processor.brand, strnlen(processor.brand, sizeof processor.brand)),
        window.processor_count(), memory.ullTotalPhys, kEnglishFace);
    return Widened(text.substr(0, text.find('\n') + 1)) + label +
           Widened(FormatByteSize(memory.ullTotalPhys));
}

TEST(Tooltip, NamesTheProcessorAndMemoryOverTheLeftHalf) {
    Harness harness;
    ASSERT_TRUE(harness.create());
    MainWindow& window = *harness.window;
    ASSERT_NE(window.tooltip.window(), nullptr);
    char class_name[64] = "";
    GetClassNameA(window.tooltip.window(), class_name, sizeof class_name);
    EXPECT_STREQ(class_name, TOOLTIPS_CLASSA);
    EXPECT_EQ(GetWindow(window.tooltip.window(), GW_OWNER), window.hwnd);
    EXPECT_TRUE(GetWindowLongA(window.tooltip.window(), GWL_STYLE) & TTS_ALWAYSTIP);
    ASSERT_EQ(SendMessageA(window.tooltip.window(), TTM_GETTOOLCOUNT, 0, 0), 1);

    TOOLINFOW tool;
    const std::wstring text = ToolText(window.tooltip.window(), tool);
    EXPECT_EQ(tool.hwnd, window.hwnd);
    EXPECT_TRUE(tool.uFlags & TTF_SUBCLASS);
    EXPECT_EQ(tool.rect.left, 0);
    EXPECT_EQ(tool.rect.top, 0);
    EXPECT_EQ(tool.rect.right, 120);
    EXPECT_EQ(tool.rect.bottom, WindowHeightForProcessors(window.processor_count()));
    EXPECT_EQ(text, ExpectedTooltip(window, L" 物理メモリ:"));
    // Without a maximum width Windows would run both lines into one.
    EXPECT_GE(SendMessageW(window.tooltip.window(), TTM_GETMAXTIPWIDTH, 0, 0), 640);
}

DWORD WINAPI SixtyFourProcessors(WORD group) { return group == 0xFFFF ? 64 : 0; }

TEST(Tooltip, AMachineWithMoreProcessorsThanShownSaysSo) {
    Harness harness(0x0409);
    platform.system.active_processor_count = SixtyFourProcessors;
    ASSERT_TRUE(harness.create());
    TOOLINFOW tool;
    const std::wstring text = ToolText(harness.window->tooltip.window(), tool);
    const std::wstring line = text.substr(0, text.find(L'\n'));
    const std::wstring shown =
        L" x64 (" + std::to_wstring(harness.window->processor_count()) + L" shown)";
    ASSERT_GE(line.size(), shown.size());
    EXPECT_EQ(line.substr(line.size() - shown.size()), shown);
}

TEST(Window, AChangeOfScaleRedrawsAndResizesAtThePlaceWindowsSuggests) {
    Harness harness;
    ASSERT_TRUE(harness.create(100, 200));
    MainWindow& window = *harness.window;
    const HWND hwnd = window.hwnd;
    const auto rect = [hwnd] {
        RECT r;
        GetWindowRect(hwnd, &r);
        return std::vector<LONG>{r.left, r.top, r.right - r.left, r.bottom - r.top};
    };
    const uint32_t count = window.processor_count();
    RECT suggested = {300, 250, 301, 251};  // its size is not taken: the scale decides
    EXPECT_EQ(SendMessageA(hwnd, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(144, 144),
                           reinterpret_cast<LPARAM>(&suggested)),
              0);
    const LONG height = WindowHeightForProcessors(count, ScaleForDpi(144));
    EXPECT_EQ(rect(), (std::vector<LONG>{300, 250, 360, height}));
    EXPECT_EQ(window.meter_form->scale.dpi, 144u);
    TOOLINFOW tool;
    ToolText(window.tooltip.window(), tool);
    EXPECT_EQ(tool.rect.right, 180);
    EXPECT_EQ(tool.rect.bottom, height);
    window.update_frame();
    EXPECT_EQ(window.meter_form->back_buffer->width, 360);
    // The same scale again, as during a drag across a boundary: nothing moves.
    RECT elsewhere = {0, 0, 10, 10};
    SendMessageA(hwnd, 0x02E0, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&elsewhere));
    EXPECT_EQ(rect(), (std::vector<LONG>{300, 250, 360, height}));
    // Back on a 100 % monitor: today's picture, pixel for pixel in size.
    SendMessageA(hwnd, 0x02E0, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&elsewhere));
    EXPECT_EQ(rect(), (std::vector<LONG>{0, 0, 240, WindowHeightForProcessors(count)}));
    EXPECT_EQ(window.meter_form->content->width, 240);
}

std::vector<std::pair<DWORD, LONG>> win_events;
void WINAPI RecordWinEvent(DWORD event, HWND, LONG, LONG child) {
    win_events.push_back({event, child});
}
uint32_t fake_now = 0;
DWORD WINAPI FakeNow() { return fake_now; }
// Steady, so that only the processor's change is told.
BOOL WINAPI SteadyMemory(LPMEMORYSTATUSEX status) {
    status->ullTotalPhys = uint64_t{8} << 30;
    status->ullAvailPhys = uint64_t{3} << 30;
    return TRUE;
}

TEST(ScreenReaders, TheClientIsTheMetersOwnAndItsChangesAreToldOnlyWhileShown) {
    Harness harness(0x0409, 2);
    LoadSystemLibraries();
    platform.window_manager.notify_win_event = RecordWinEvent;
    platform.clock.time = FakeNow;
    platform.memory.status = SteadyMemory;
    win_events.clear();
    ASSERT_TRUE(harness.create(100, 200));
    MainWindow& window = *harness.window;
    IAccessible* object = nullptr;
    platform.accessibility.object_from_window(window.hwnd, static_cast<DWORD>(OBJID_CLIENT),
                                              __uuidof(IAccessible),
                                              reinterpret_cast<void**>(&object));
    ASSERT_NE(object, nullptr);
    long children = 0;
    object->get_accChildCount(&children);
    EXPECT_EQ(children, 3);
    // A processor that moved to another whole percent is told of once its second is up.
    const auto frame_at = [&](uint32_t now, double usage) {
        window.meter_form->usage_start[0] = usage;
        window.meter_form->usage_delta[0] = 0.0;
        fake_now = now;
        window.update_frame();
    };
    frame_at(1000, 10);
    frame_at(2500, 40);
    EXPECT_EQ(win_events, (std::vector<std::pair<DWORD, LONG>>{{EVENT_OBJECT_VALUECHANGE, 1}}));
    // Folded, nothing of it is drawn, and nothing is told.
    window.set_iconized(true);
    frame_at(5000, 90);
    EXPECT_EQ(win_events.size(), 1u);
    window.set_iconized(false);
    // Hidden by the auto-hide, likewise; shown again, the change is told.
    ShowWindow(window.hwnd, SW_HIDE);
    frame_at(6000, 20);
    EXPECT_EQ(win_events.size(), 1u);
    ShowWindow(window.hwnd, SW_SHOWNA);
    frame_at(7000, 20);
    EXPECT_EQ(win_events.size(), 2u);
    RECT suggested = {300, 250, 301, 251};
    SendMessageA(window.hwnd, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(win_events.back(), (std::pair<DWORD, LONG>{EVENT_OBJECT_LOCATIONCHANGE, 0}));
    long left = 0, top = 0, width = 0, height = 0;
    VARIANT processor = {};
    processor.vt = VT_I4;
    processor.lVal = 2;
    object->accLocation(&left, &top, &width, &height, processor);
    EXPECT_EQ((std::vector<long>{left, top, width, height}), (std::vector<long>{300, 268, 180, 18}));
    // Gone, the window leaves the client's reference answering as disconnected.
    DestroyWindow(window.hwnd);
    EXPECT_EQ(object->get_accChildCount(&children), RPC_E_DISCONNECTED);
    object->Release();
    FreeSystemLibraries();
}

TEST(Window, MaximizingKeepsPlaceAndSizeAndNothingErasesTheBackground) {
    Harness harness;
    ASSERT_TRUE(harness.create(100, 200));
    const HWND hwnd = harness.window->hwnd;
    MINMAXINFO limits;
    std::memset(&limits, 0x5A, sizeof limits);
    EXPECT_EQ(SendMessageA(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits)), 0);
    EXPECT_EQ(limits.ptMaxPosition.x, 100);
    EXPECT_EQ(limits.ptMaxPosition.y, 200);
    EXPECT_EQ(limits.ptMaxSize.x, 240);
    EXPECT_EQ(limits.ptMaxSize.y, WindowHeightForProcessors(harness.window->processor_count()));
    EXPECT_EQ(limits.ptMinTrackSize.x, 0x5A5A5A5A);
    EXPECT_EQ(limits.ptMaxTrackSize.y, 0x5A5A5A5A);

    ShowWindow(hwnd, SW_MAXIMIZE);
    RECT rect;
    GetWindowRect(hwnd, &rect);
    EXPECT_EQ(rect.left, 100);
    EXPECT_EQ(rect.right, 340);

    for (UINT message : {WM_ERASEBKGND, WM_SIZE, WM_SIZING}) {
        EXPECT_EQ(SendMessageA(hwnd, message, 0, 0), 0) << message;
    }
}

TEST(Window, ALeftButtonPressStartsTheSystemMoveAndStaysOnTop) {
    Harness harness;
    ASSERT_TRUE(harness.create());
    const HWND hwnd = harness.window->hwnd;
    EXPECT_EQ(SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5)), 0);
    const MSG move = TakePosted(hwnd, WM_SYSCOMMAND);
    EXPECT_EQ(move.message, static_cast<UINT>(WM_SYSCOMMAND));
    EXPECT_EQ(move.wParam, 0xF012u);
    EXPECT_EQ(move.lParam, 0);
    EXPECT_TRUE(GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST(Window, PaintsTheMetersPictureAndIgnoresForeignDeviceContexts) {
    Harness harness;
    ASSERT_TRUE(harness.create());
    MainWindow& window = *harness.window;
    window.update_frame();
    const DibSurface& back = *window.meter_form->back_buffer;

    DibSurface copy(240, 24);
    ASSERT_TRUE(copy.has_pixels());
    EXPECT_EQ(SendMessageA(window.hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(copy.dc),
                           PRF_CLIENT),
              0);
    EXPECT_TRUE(std::equal(copy.pixels, copy.pixels + 240 * 24, back.pixels));
    // A null or made-up device context is answered without painting.
    EXPECT_EQ(SendMessageA(window.hwnd, WM_PRINTCLIENT, 0, PRF_CLIENT), 0);
    EXPECT_EQ(SendMessageA(window.hwnd, WM_PRINTCLIENT, 0x12345678, PRF_CLIENT), 0);
    EXPECT_EQ(SendMessageA(window.hwnd, WM_PRINTCLIENT, ~WPARAM{0}, PRF_CLIENT), 0);

    // A timer tick runs a frame.
    harness.form().texts.clear();
    EXPECT_EQ(SendMessageA(window.hwnd, WM_TIMER, 1, 0), 0);
    EXPECT_EQ(harness.form().texts.size(), 1u);
}

TEST(Tray, CreationFoldsWhenTheSettingsSaySoAndADoubleClickUnfolds) {
    Harness harness;
    MainWindow& window = *harness.window;
    StartFolded(window);
    ASSERT_TRUE(harness.create());
    const HWND hwnd = window.hwnd;
    EXPECT_TRUE(window.iconized());
    EXPECT_FALSE(IsWindowVisible(hwnd));
    ASSERT_FALSE(fakes.shell_calls.empty());
    const ShellCall& add = fakes.shell_calls.back();
    EXPECT_EQ(add.message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(add.id, kTrayId);
    EXPECT_EQ(add.callback_message, kTrayMessage);
    EXPECT_NE(add.icon, nullptr);
    EXPECT_EQ(add.tip, L"計算中");
    EXPECT_TRUE(fakes.message_boxes.empty());

    // Other events and other icons' messages are not for the window.
    SendMessageA(hwnd, kTrayMessage, kTrayId, WM_LBUTTONDOWN);
    SendMessageA(hwnd, kTrayMessage, kTrayId + 1, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(window.iconized());
    EXPECT_EQ(SendMessageA(hwnd, kTrayMessage, kTrayId, WM_LBUTTONDBLCLK), 0);
    EXPECT_FALSE(window.iconized());
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_EQ(fakes.shell_calls.back().message, static_cast<DWORD>(NIM_DELETE));
    SendMessageA(hwnd, kTrayMessage, kTrayId, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(window.iconized());
    EXPECT_FALSE(IsWindowVisible(hwnd));
}

// The user's own window keeps the focus whenever the gadget comes back by
// itself; only a second start, which asks for it, brings it to the front.
TEST(Tray, TheWindowComesBackWithoutTakingTheFocusUnlessAsked) {
    Harness harness;
    ASSERT_TRUE(harness.create(100, 200));
    MainWindow& window = *harness.window;
    const HWND work = CreateWindowExA(0, "STATIC", "work", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 500,
                                      500, 100, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(work, nullptr);
    const auto focus_on_work = [&] {
        SetForegroundWindow(work);
        SetActiveWindow(work);
        ASSERT_EQ(GetActiveWindow(), work);
    };
    SendMessageA(window.hwnd, WM_COMMAND, kIconize, 0);
    ASSERT_TRUE(window.iconized());
    focus_on_work();
    SendMessageA(window.hwnd, kTrayMessage, kTrayId, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(IsWindowVisible(window.hwnd));
    EXPECT_EQ(GetActiveWindow(), work);

    fakes.cursor = {150, 210};
    ArmAutoHide(window);
    for (int frame = 0; frame < 10; ++frame) window.update_frame();
    ASSERT_FALSE(IsWindowVisible(window.hwnd));
    focus_on_work();
    fakes.cursor = {99, 210};
    window.update_frame();
    EXPECT_TRUE(IsWindowVisible(window.hwnd));
    EXPECT_EQ(GetActiveWindow(), work);

    const UINT ask = RegisterWindowMessageA(VG_BRING_FORWARD_MESSAGE);
    const uint64_t key = window.settings.key();
    EXPECT_EQ(SendMessageA(window.hwnd, ask, static_cast<WPARAM>(key & 0xFFFFFFFFu),
                           static_cast<LPARAM>(static_cast<uint32_t>(key >> 32))),
              kBroughtForward);
    EXPECT_EQ(GetActiveWindow(), window.hwnd);
    DestroyWindow(work);
}

std::vector<UINT> let_through;
BOOL WINAPI RecordLetThrough(HWND, UINT message, DWORD action, void*) {
    if (action == 1) let_through.push_back(message);  // MSGFLT_ALLOW
    return TRUE;
}

TEST(Tray, AnElevatedGadgetStillHearsTheShell) {
    Harness harness;
    platform.window_manager.change_window_message_filter_ex = RecordLetThrough;
    let_through.clear();
    ASSERT_TRUE(harness.create());
    for (UINT message : {kTrayMessage, RegisterWindowMessageA(VG_TASKBAR_CREATED_MESSAGE)}) {
        EXPECT_NE(std::find(let_through.begin(), let_through.end(), message), let_through.end())
            << message;
    }
}

TEST(Tray, TheTrayMenuOpensAtTheCursor) {
    Harness harness;
    ASSERT_TRUE(harness.create());
    fakes.cursor = {321, 654};
    EXPECT_EQ(SendMessageA(harness.window->hwnd, kTrayMessage, kTrayId, WM_RBUTTONUP), 0);
    ASSERT_EQ(fakes.menus.size(), 1u);
    ExpectItems(fakes.menus[0], {{kIconize, kShowForm, false}, {0, nullptr, false}, {kExit, kExitText, false}});
    EXPECT_EQ(fakes.menus[0].x, 321);
    EXPECT_EQ(fakes.menus[0].y, 654);
    EXPECT_EQ(fakes.menus[0].owner, harness.window->hwnd);
}

TEST(Tray, ARestartedTaskbarGetsTheIconBackOnlyWhenFolded) {
    Harness harness;
    ASSERT_TRUE(harness.create());
    MainWindow& window = *harness.window;
    const UINT taskbar_created = RegisterWindowMessageA(VG_TASKBAR_CREATED_MESSAGE);
    EXPECT_EQ(window.taskbar_created_message(), taskbar_created);
    const size_t before = fakes.shell_calls.size();
    SendMessageA(window.hwnd, taskbar_created, 0, 0);
    EXPECT_EQ(fakes.shell_calls.size(), before);
    EXPECT_TRUE(IsWindowVisible(window.hwnd));

    SendMessageA(window.hwnd, WM_COMMAND, kIconize, 0);
    ASSERT_TRUE(window.iconized());
    fakes.shell_calls.clear();
    SendMessageA(window.hwnd, taskbar_created, 0, 0);
    ASSERT_EQ(fakes.shell_calls.size(), 1u);
    EXPECT_EQ(fakes.shell_calls[0].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_TRUE(window.iconized());
    EXPECT_FALSE(IsWindowVisible(window.hwnd));
}

// The size the shell draws small icons at, as Windows tells it for a DPI.
int small_icon_size = 16;
int WINAPI SmallIconsAt(int index, UINT) {
    return index == SM_CXSMICON ? small_icon_size : GetSystemMetrics(index);
}
BOOL WINAPI QuarterInUse(LPMEMORYSTATUSEX status) {
    status->ullTotalPhys = 4ull << 30;
    status->ullAvailPhys = 3ull << 30;
    return TRUE;
}
TEST(Tray, ANewSmallIconSizeGivesTheFoldedIconItsPictureAtThatSizeAtOnce) {
    Harness harness;
    platform.window_manager.system_metrics_for_dpi = SmallIconsAt;
    platform.memory.status = QuarterInUse;
    small_icon_size = 16;
    ASSERT_TRUE(harness.create());
    MainWindow& window = *harness.window;
    SendMessageA(window.hwnd, WM_COMMAND, kIconize, 0);
    window.update_frame();
    ASSERT_EQ(IconWidth(fakes.shell_calls.back().icon), 16);
    // The taskbar draws at 150 % now; the memory's level stays what it was.
    small_icon_size = 24;
    fakes.shell_calls.clear();
    SendMessageA(window.hwnd, WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0);
    ASSERT_FALSE(fakes.shell_calls.empty());
    EXPECT_EQ(IconWidth(fakes.shell_calls.back().icon), 24);
}

const wchar_t kFoldFailed[] =
    L"アイコン化に失敗しました。\r\nタスクバーが起動していない可能性があります。";

void ExpectFoldFailureBox(HWND owner, const wchar_t* text = kFoldFailed) {
    ASSERT_EQ(fakes.message_boxes.size(), 1u);
    EXPECT_EQ(fakes.message_boxes[0].owner, owner);
    EXPECT_EQ(fakes.message_boxes[0].text, text);
    EXPECT_EQ(fakes.message_boxes[0].caption, L"Vornelt Gauge");
    EXPECT_EQ(fakes.message_boxes[0].type, static_cast<UINT>(MB_ICONEXCLAMATION));
}

TEST(Tray, AFoldTheShellRefusesLeavesTheWindowShownAndSaysSo) {
    Harness harness;
    ASSERT_TRUE(harness.create());
    MainWindow& window = *harness.window;
    fakes.shell_result = FALSE;
    fakes.shell_error = ERROR_TIMEOUT;
    SendMessageA(window.hwnd, WM_COMMAND, kIconize, 0);
    EXPECT_FALSE(window.iconized());
    EXPECT_TRUE(IsWindowVisible(window.hwnd));
    ExpectFoldFailureBox(window.hwnd);

    // A failed re-add after a taskbar restart brings the folded window back,
    // where it was and on top, without a message.
    fakes.shell_result = TRUE;
    SendMessageA(window.hwnd, WM_COMMAND, kIconize, 0);
    ASSERT_FALSE(IsWindowVisible(window.hwnd));
    RECT before;
    GetWindowRect(window.hwnd, &before);
    fakes.shell_result = FALSE;
    SendMessageA(window.hwnd, RegisterWindowMessageA(VG_TASKBAR_CREATED_MESSAGE), 0, 0);
    EXPECT_FALSE(window.iconized());
    EXPECT_TRUE(IsWindowVisible(window.hwnd));
    EXPECT_TRUE(GetWindowLongA(window.hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT after;
    GetWindowRect(window.hwnd, &after);
    EXPECT_TRUE(EqualRect(&before, &after));
    EXPECT_EQ(fakes.message_boxes.size(), 1u);
    // It folds again by itself once the shell takes the icon.
    EXPECT_TRUE(window.tray.trying());
    fakes.shell_result = TRUE;
    SendMessageA(window.hwnd, WM_TIMER, kFoldRetryTimer, 0);
    EXPECT_TRUE(window.iconized());
    EXPECT_FALSE(IsWindowVisible(window.hwnd));
    EXPECT_FALSE(window.tray.trying());
}

// Memory that another program keeps taking, 64 megabytes a reading: every
// tray refresh has a new amount to tell the shell.
BOOL WINAPI ShrinkingMemory(LPMEMORYSTATUSEX status) {
    static uint64_t taken = 0;
    status->ullTotalPhys = uint64_t{8} << 30;
    status->ullAvailPhys = (uint64_t{6} << 30) - (taken += uint64_t{64} << 20);
    return TRUE;
}

TEST(Tray, AFoldedIconTheShellNoLongerUpdatesIsAddedAgain) {
    Harness harness;
    ASSERT_TRUE(harness.create());
    MainWindow& window = *harness.window;
    platform.memory.status = ShrinkingMemory;
    SendMessageA(window.hwnd, WM_COMMAND, kIconize, 0);
    window.update_frame();
    ASSERT_TRUE(window.iconized());
    // Every update refused: the fifth in a row has the icon added again; the
    // shell confirms it, and the window stays folded.
    fakes.shell_result = FALSE;
    fakes.shell_error = ERROR_FILE_NOT_FOUND;
    for (int second = 0; second < Tray::kLostAfterRefusals - 1; ++second) window.update_frame();
    fakes.shell_calls.clear();
    fakes.shell_script = {{FALSE, ERROR_FILE_NOT_FOUND}, {FALSE, ERROR_FILE_NOT_FOUND},
                          {TRUE, 0}};
    window.update_frame();
    ASSERT_EQ(fakes.shell_calls.size(), 3u);
    EXPECT_EQ(fakes.shell_calls[1].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(fakes.shell_calls[2].message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_TRUE(window.iconized());
    EXPECT_FALSE(IsWindowVisible(window.hwnd));
    // Not confirmed, the window comes back and the fold waits for the shell.
    for (int second = 0; second < Tray::kLostAfterRefusals; ++second) window.update_frame();
    EXPECT_FALSE(window.iconized());
    EXPECT_TRUE(IsWindowVisible(window.hwnd));
    EXPECT_TRUE(window.tray.trying());
}

// Creates the window with the settings asking for the fold while the shell
// refuses the icon with `error`: it comes up shown, unfolded.
HWND CreateFoldedWhileTheShellRefuses(Harness& harness, DWORD error) {
    StartFolded(*harness.window);
    fakes.shell_result = FALSE;
    fakes.shell_error = error;
    if (!harness.create()) return nullptr;
    EXPECT_FALSE(harness.window->iconized());
    EXPECT_TRUE(IsWindowVisible(harness.window->hwnd));
    return harness.window->hwnd;
}

TEST(Tray, StartedFoldedBeforeAnyTaskbarItShowsWithoutAMessageAndFoldsWhenTheTaskbarComes) {
    Harness harness;
    MainWindow& window = *harness.window;
    fakes.taskbar = false;
    const HWND hwnd = CreateFoldedWhileTheShellRefuses(harness, ERROR_FILE_NOT_FOUND);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_TRUE(fakes.message_boxes.empty());
    // Folding by hand without a taskbar fails as any failed fold does.
    SendMessageA(hwnd, WM_COMMAND, kIconize, 0);
    EXPECT_FALSE(window.iconized());
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_EQ(fakes.message_boxes.size(), 1u);

    fakes.shell_result = TRUE;
    fakes.taskbar = true;
    SendMessageA(hwnd, RegisterWindowMessageA(VG_TASKBAR_CREATED_MESSAGE), 0, 0);
    EXPECT_TRUE(window.iconized());
    EXPECT_FALSE(IsWindowVisible(hwnd));
    // Only the first taskbar takes the fold the gadget was started with.
    SendMessageA(hwnd, kTrayMessage, kTrayId, WM_LBUTTONDBLCLK);
    SendMessageA(hwnd, RegisterWindowMessageA(VG_TASKBAR_CREATED_MESSAGE), 0, 0);
    EXPECT_FALSE(window.iconized());
}

TEST(Tray, StartedFoldedWhileTheTaskbarRefusesIconsItStaysShownUntilTheIconIsConfirmed) {
    // What the shell answers at sign-in, before its notification area takes icons.
    for (DWORD error : {DWORD{0}, DWORD{ERROR_FILE_NOT_FOUND}, DWORD{ERROR_TIMEOUT}}) {
        SCOPED_TRACE(error);
        Harness harness;
        MainWindow& window = *harness.window;
        const HWND hwnd = CreateFoldedWhileTheShellRefuses(harness, error);
        ASSERT_NE(hwnd, nullptr);
        EXPECT_TRUE(fakes.message_boxes.empty());
        EXPECT_EQ(fakes.shell_calls.back().message, static_cast<DWORD>(NIM_DELETE));
        // Tried once a second: refused again, nothing changes.
        SendMessageA(hwnd, WM_TIMER, kFoldRetryTimer, 0);
        EXPECT_TRUE(IsWindowVisible(hwnd));
        // An add the shell refuses although it took the icon: the modify confirms it.
        fakes.shell_script = {{FALSE, error}, {TRUE, 0}};
        SendMessageA(hwnd, WM_TIMER, kFoldRetryTimer, 0);
        EXPECT_TRUE(window.iconized());
        EXPECT_FALSE(IsWindowVisible(hwnd));
        EXPECT_FALSE(window.tray.trying());
        // The fold is what the user chose, and it was kept meanwhile.
        SendMessageA(hwnd, WM_COMMAND, kExit, 0);
        std::string saved;
        ASSERT_TRUE(ReadWholeFile(fakes.settings_path, saved));
        EXPECT_NE(saved.find("<ICON>1</ICON>"), std::string::npos) << saved;
    }
}

TEST(Session, ACancelledEndGoesOnAndOneThatGoesThroughSavesAndEnds) {
    Harness harness;
    ASSERT_TRUE(harness.create());
    const HWND hwnd = harness.window->hwnd;
    // The question alone changes nothing: another program may still veto it.
    EXPECT_EQ(SendMessageA(hwnd, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP), TRUE);
    EXPECT_EQ(TakePosted(hwnd, WM_CLOSE).message, 0u);
    std::string saved;
    EXPECT_FALSE(ReadWholeFile(fakes.settings_path, saved));
    SendMessageA(hwnd, WM_ENDSESSION, FALSE, 0);
    DrainQueue();
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_FALSE(ReadWholeFile(fakes.settings_path, saved));
    harness.window->auto_hide.set_on(true);
    // The restart manager's close, like a real end, saves and ends the gadget.
    SendMessageA(hwnd, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
    ASSERT_TRUE(ReadWholeFile(fakes.settings_path, saved));
    EXPECT_NE(saved.find("<AUTO_HIDE>1</AUTO_HIDE>"), std::string::npos) << saved;
    EXPECT_FALSE(IsWindow(hwnd));
    MSG quit;
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

BOOL WINAPI ReplaceRefused(LPCWSTR, LPCWSTR, DWORD) {
    SetLastError(ERROR_SHARING_VIOLATION);
    return FALSE;
}

// A clock that only the sleeps move, and a file that another program holds
// until the sleep that lets it go (0: never).
DWORD exit_now = 0;
int exit_sleeps = 0;
int release_at_sleep = 0;
HANDLE exit_holder = nullptr;
DWORD WINAPI ExitClock() { return exit_now; }
void WINAPI ExitSleep(DWORD milliseconds) {
    exit_now += milliseconds;
    if (++exit_sleeps != release_at_sleep) return;
    CloseHandle(exit_holder);
    exit_holder = nullptr;
    platform.files.replace = MoveFileExW;
}

TEST(Session, TheLastSaveWaitsForABusyFileTwoSecondsAtExitAndOneAtTheSessionsEnd) {
    const struct { bool session_end; int release_at, sleeps; bool saved; } cases[] = {
        {false, 5, 5, true}, {false, 0, 20, false}, {true, 5, 5, true}, {true, 0, 10, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.session_end << " " << c.release_at);
        Harness harness;
        ASSERT_TRUE(harness.create());
        const HWND hwnd = harness.window->hwnd;
        ASSERT_TRUE(WriteWholeFile(fakes.settings_path, "<TRANS>0</TRANS>"));
        platform.files.replace = ReplaceRefused;
        exit_holder = CreateFileW(fakes.settings_path.c_str(), GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(exit_holder, INVALID_HANDLE_VALUE);
        SendMessageA(hwnd, WM_COMMAND, kTranslucent, 0);
        ASSERT_TRUE(harness.window->settings.pending());
        platform.clock.time = ExitClock;
        platform.clock.sleep = ExitSleep;
        exit_sleeps = 0;
        release_at_sleep = c.release_at;
        if (c.session_end) {
            SendMessageA(hwnd, WM_ENDSESSION, TRUE, 0);
        } else {
            SendMessageA(hwnd, WM_COMMAND, kExit, 0);
        }
        EXPECT_FALSE(IsWindow(hwnd));
        EXPECT_EQ(exit_sleeps, c.sleeps);
        if (exit_holder != nullptr) CloseHandle(exit_holder);
        std::string saved;
        ASSERT_TRUE(ReadWholeFile(fakes.settings_path, saved));
        EXPECT_EQ(saved.find("<TRANS>1</TRANS>") != std::string::npos, c.saved) << saved;
    }
}

TEST(Session, AChangeKeptOutByABusyFileIsSavedByTheRetryOnceItIsFree) {
    Harness harness;
    ASSERT_TRUE(harness.create());
    MainWindow& window = *harness.window;
    const HWND hwnd = window.hwnd;
    ASSERT_TRUE(WriteWholeFile(fakes.settings_path, "<TRANS>0</TRANS>"));
    platform.files.replace = ReplaceRefused;
    const HANDLE holder = CreateFileW(fakes.settings_path.c_str(), GENERIC_READ, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    SendMessageA(hwnd, WM_COMMAND, kTranslucent, 0);
    EXPECT_TRUE(window.settings.pending());
    EXPECT_TRUE(window.settings.retrying());
    // A retry while the file is still held keeps the change waiting.
    harness.form().texts.clear();
    SendMessageA(hwnd, WM_TIMER, kSaveRetryTimer, 0);
    EXPECT_TRUE(window.settings.pending());
    EXPECT_EQ(harness.form().texts.size(), 0u) << "the retry runs no frame";
    CloseHandle(holder);
    platform.files.replace = MoveFileExW;
    SendMessageA(hwnd, WM_TIMER, kSaveRetryTimer, 0);
    EXPECT_FALSE(window.settings.pending());
    EXPECT_FALSE(window.settings.retrying());
    std::string saved;
    ASSERT_TRUE(ReadWholeFile(fakes.settings_path, saved));
    EXPECT_NE(saved.find("<TRANS>1</TRANS>"), std::string::npos) << saved;
}

std::string Saved() {
    std::string saved;
    ReadWholeFile(fakes.settings_path, saved);
    return saved;
}
bool SavedHas(const char* element) { return Saved().find(element) != std::string::npos; }

TEST(Session, SettingsAreSavedWhenAnOptionOrTheFoldChangesOrAMoveEndsElsewhere) {
    Harness harness;
    ASSERT_TRUE(harness.create(100, 200));
    const HWND hwnd = harness.window->hwnd;
    SendMessageA(hwnd, WM_COMMAND, kTranslucent, 0);
    EXPECT_TRUE(SavedHas("<TRANS>1</TRANS>")) << Saved();
    SendMessageA(hwnd, WM_COMMAND, kAutoHide, 0);
    EXPECT_TRUE(SavedHas("<AUTO_HIDE>1</AUTO_HIDE>")) << Saved();
    SendMessageA(hwnd, WM_COMMAND, kIconize, 0);
    EXPECT_TRUE(SavedHas("<ICON>1</ICON>")) << Saved();
    SendMessageA(hwnd, kTrayMessage, kTrayId, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(SavedHas("<ICON>0</ICON>")) << Saved();

    // Neither a frame nor a move that ends where it began writes anything.
    DeleteFileW(fakes.settings_path.c_str());
    harness.window->update_frame();
    SendMessageA(hwnd, WM_ENTERSIZEMOVE, 0, 0);
    SendMessageA(hwnd, WM_EXITSIZEMOVE, 0, 0);
    EXPECT_EQ(Saved(), "");
    SendMessageA(hwnd, WM_ENTERSIZEMOVE, 0, 0);
    SetWindowPos(hwnd, nullptr, 300, 250, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageA(hwnd, WM_EXITSIZEMOVE, 0, 0);
    EXPECT_TRUE(SavedHas("<x1>300</x1>")) << Saved();
}

TEST(SecondStart, OnlyTheGadgetOfTheSameSettingsFileComesForwardUnfolded) {
    Harness harness;
    MainWindow& window = *harness.window;
    StartFolded(window);
    ASSERT_TRUE(harness.create());
    const UINT ask = RegisterWindowMessageA(VG_BRING_FORWARD_MESSAGE);
    const auto asked = [&](uint64_t key) {
        return SendMessageA(window.hwnd, ask, static_cast<WPARAM>(key & 0xFFFFFFFFu),
                            static_cast<LPARAM>(static_cast<uint32_t>(key >> 32)));
    };
    const uint64_t key = SettingsFileKey(fakes.settings_path);
    EXPECT_EQ(asked(key ^ (uint64_t{1} << 40)), 0);
    EXPECT_TRUE(window.iconized());
    EXPECT_EQ(asked(key), kBroughtForward);
    EXPECT_FALSE(window.iconized());
    EXPECT_TRUE(IsWindowVisible(window.hwnd));

    // The key ignores the case of the path, of letters beyond ASCII too, but not
    // which folder it names, whatever the code page lacks ("게이지", "게이자").
    std::wstring upper = fakes.settings_path;
    CharUpperW(&upper[0]);
    EXPECT_EQ(SettingsFileKey(upper), key);
    EXPECT_NE(SettingsFileKey(L"C:\\a\\Pollstate.txt"), SettingsFileKey(L"C:\\b\\Pollstate.txt"));
    EXPECT_EQ(SettingsFileKey(L"C:\\\u00e4rger\\Pollstate.txt"),
              SettingsFileKey(L"C:\\\u00c4RGER\\POLLSTATE.TXT"));
    EXPECT_NE(SettingsFileKey(L"C:\\\uac8c\uc774\uc9c0\\Pollstate.txt"),
              SettingsFileKey(L"C:\\\uac8c\uc774\uc790\\Pollstate.txt"));
}

// The one monitor now lies far to the right of where the window was.
BOOL WINAPI MonitorMovedAway(HMONITOR, LPMONITORINFO info) {
    info->rcMonitor = RECT{5000, 0, 6024, 768};
    info->rcWork = info->rcMonitor;
    return TRUE;
}

TEST(Window, ADisplayChangeThatLeavesTheWindowOnNoMonitorPutsItAtTheDefaultPlace) {
    Harness harness;
    ASSERT_TRUE(harness.create(100, 200));
    const HWND hwnd = harness.window->hwnd;
    SendMessageA(hwnd, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
    RECT place;
    GetWindowRect(hwnd, &place);
    EXPECT_EQ(place.left, 100);
    EXPECT_EQ(place.top, 200);

    platform.window_manager.monitor_info = MonitorMovedAway;
    SendMessageA(hwnd, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
    platform.window_manager.monitor_info = GetMonitorInfoA;
    GetWindowRect(hwnd, &place);
    const StartPosition start =
        DefaultWindowRect(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(place.left, start.left);
    EXPECT_EQ(place.top, start.top);
    EXPECT_EQ(place.right - place.left, 240);
}

TEST(Window, ASingleProcessorWindowIsCutToShapeWhileItLives) {
    Harness harness(0x0411, 1);
    MainWindow& window = *harness.window;
    ASSERT_TRUE(harness.create());
    const HWND hwnd = window.hwnd;
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_NE(GetWindowRgn(hwnd, region), ERROR);
    // The empty cell below processor 0 is cut away; the memory bar beside it is not.
    EXPECT_FALSE(PtInRegion(region, 10, 18));
    EXPECT_TRUE(PtInRegion(region, 130, 18));
    EXPECT_TRUE(PtInRegion(region, 10, 5));
    DeleteObject(region);
    SendMessageA(hwnd, WM_COMMAND, kExit, 0);
    EXPECT_FALSE(window.shape.cut());
}

TEST(Face, WhereTheUserInterfaceIsNotJapaneseEveryTextAndMenuIsEnglish) {
    Harness harness(0x0409);
    MainWindow& window = *harness.window;
    ASSERT_TRUE(harness.create());
    fakes.shell_result = FALSE;
    fakes.shell_error = ERROR_TIMEOUT;
    SendMessageA(window.hwnd, WM_COMMAND, kIconize, 0);
    ExpectFoldFailureBox(window.hwnd, L"Could not fold into the notification area.\r\n"
                                      L"The taskbar may not be running.");
    EXPECT_EQ(fakes.shell_calls[0].tip, L"Measuring...");
    TOOLINFOW tool;
    EXPECT_EQ(ToolText(window.tooltip.window(), tool), ExpectedTooltip(window, L"Physical memory: "));

    SendMessageA(window.hwnd, WM_RBUTTONUP, 0, 0);
    SendMessageA(window.hwnd, kTrayMessage, kTrayId, WM_RBUTTONUP);
    ASSERT_EQ(fakes.menus.size(), 2u);
    ExpectItems(fakes.menus[0], {{kMove, L"&Move", false},
                                 {kTranslucent, L"&Translucent", false},
                                 {kIconize, L"&Fold into the notification area", false},
                                 {kAutoHide, L"Auto-&hide", false},
                                 {kStartWithWindows, L"Start with &Windows", false},
                                 {0, nullptr, false},
                                 {kExit, L"E&xit", false}});
    ExpectItems(fakes.menus[1],
                {{kIconize, L"&Show window", false}, {0, nullptr, false}, {kExit, L"E&xit", false}});

    fakes.shell_result = TRUE;
    SendMessageA(window.hwnd, WM_COMMAND, kIconize, 0);
    window.update_frame();
    EXPECT_EQ(fakes.shell_calls.back().tip.rfind(L"Free memory: ", 0), 0u);
    // Without a caption in the settings the picture's is English; a stored one stays.
    // (Folding saved the settings already.)
    DeleteFileW(fakes.settings_path.c_str());
    bool found = false;
    window.load_settings(fakes.settings_path, found);
    EXPECT_EQ(window.meter_form->memory_caption, "Free");
    ASSERT_TRUE(WriteWholeFile(fakes.settings_path, "<MSG01>\x83\x81\x83\x82</MSG01>"));
    window.load_settings(fakes.settings_path, found);
    EXPECT_EQ(window.meter_form->memory_caption, "\x83\x81\x83\x82");
}

}  // namespace
