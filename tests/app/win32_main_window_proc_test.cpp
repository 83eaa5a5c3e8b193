#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/frame_text.h"
#include "main_window_harness.h"
#include "measure/processor_info.h"
#include "raster/win32_dib_surface.h"
#include "settings/win32_settings_file.h"

namespace {

constexpr UINT kTrayMessage = WM_APP + 100;
constexpr WPARAM kTrayId = 1433;

// The menu texts as Shift-JIS bytes.
const char kMove[] = "\x88\xDA\x93\xAE(&M)";
const char kTranslucent[] = "\x94\xBC\x93\xA7\x96\xBE(&T)";
const char kIconize[] = "\x83\x41\x83\x43\x83\x52\x83\x93\x89\xBB(&I)";
const char kAutoHide[] = "\x8E\xA9\x93\xAE\x82\xC5\x89\x42\x82\xEA\x82\xE9(&H)";
const char kExit[] = "\x8F\x49\x97\xB9(&X)";
const char kShowForm[] = "\x83\x74\x83\x48\x81\x5B\x83\x80\x95\x5C\x8E\xA6(&S)";

struct Item {
    UINT id;
    const char* text;
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

std::vector<Item> WindowMenu(bool translucent, bool auto_hide) {
    return {{40017, kMove, false},          {40007, kTranslucent, translucent},
            {40013, kIconize, false},       {40011, kAutoHide, auto_hide},
            {0, nullptr, false},            {40005, kExit, false}};
}

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
    window.translucent = true;
    window.auto_hide = true;
    SendMessageA(hwnd, WM_RBUTTONUP, 0, MAKELPARAM(200, 20));
    window.translucent = false;
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
    EXPECT_FALSE(window.ignore_next_close);
    EXPECT_EQ(SendMessageA(hwnd, WM_KEYUP, VK_APPS, 0), 0);
    EXPECT_TRUE(window.ignore_next_close);
    SendMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_FALSE(window.ignore_next_close);
    SendMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(window.hwnd, nullptr);
}

TEST(WindowMenu, ExitClosesAtOnceEvenAfterTheApplicationsKey) {
    Harness harness;
    ASSERT_TRUE(harness.create());
    const HWND hwnd = harness.window->hwnd;
    SendMessageA(hwnd, WM_KEYUP, VK_APPS, 0);
    SendMessageA(hwnd, WM_COMMAND, 40005, 0);
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

    SendMessageA(hwnd, WM_COMMAND, 40007, 0);
    EXPECT_TRUE(window.translucent);
    EXPECT_TRUE(GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED);
    SendMessageA(hwnd, WM_COMMAND, 40007, 0);
    EXPECT_FALSE(window.translucent);
    EXPECT_FALSE(GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED);

    // Turning auto-hide off leaves an armed count to run out.
    window.hover_frames = 5;
    SendMessageA(hwnd, WM_COMMAND, 40011, 0);
    EXPECT_TRUE(window.auto_hide);
    EXPECT_EQ(window.hover_frames, 5);
    SendMessageA(hwnd, WM_COMMAND, 40011, 0);
    EXPECT_FALSE(window.auto_hide);
    EXPECT_EQ(window.hover_frames, 5);

    // The meter is handed the text as it is and shows nothing new.
    RecordingForm& form = harness.form();
    window.update_frame();
    const std::vector<uint32_t> before(form.back_buffer->pixels,
                                       form.back_buffer->pixels + 240 * 24);
    form.texts.clear();
    EXPECT_EQ(SendMessageA(hwnd, WM_COMMAND, 40009, 0), 0);
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
    EXPECT_EQ(window.hover_frames, 0);
    window.auto_hide = true;
    window.hover_frames = 7;
    EXPECT_EQ(SendMessageA(window.hwnd, WM_NCHITTEST, 0, MAKELPARAM(110, 205)), HTCLIENT);
    EXPECT_EQ(window.hover_frames, 1);
}

TEST(Tooltip, NamesTheProcessorAndMemoryOverTheLeftHalf) {
    Harness harness;
    ASSERT_TRUE(harness.create());
    MainWindow& window = *harness.window;
    ASSERT_NE(window.tooltip_window, nullptr);
    char class_name[64] = "";
    GetClassNameA(window.tooltip_window, class_name, sizeof class_name);
    EXPECT_STREQ(class_name, TOOLTIPS_CLASSA);
    EXPECT_EQ(GetWindow(window.tooltip_window, GW_OWNER), window.hwnd);
    EXPECT_TRUE(GetWindowLongA(window.tooltip_window, GWL_STYLE) & TTS_ALWAYSTIP);
    ASSERT_EQ(SendMessageA(window.tooltip_window, TTM_GETTOOLCOUNT, 0, 0), 1);

    char text[256] = "";
    TOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.lpszText = text;
    ASSERT_TRUE(SendMessageA(window.tooltip_window, TTM_ENUMTOOLSA, 0,
                             reinterpret_cast<LPARAM>(&tool)));
    EXPECT_EQ(tool.hwnd, window.hwnd);
    EXPECT_TRUE(tool.uFlags & TTF_SUBCLASS);
    EXPECT_EQ(tool.rect.left, 0);
    EXPECT_EQ(tool.rect.top, 0);
    EXPECT_EQ(tool.rect.right, 120);
    EXPECT_EQ(tool.rect.bottom, WindowHeightForProcessors(window.processor_count));

    MEMORYSTATUSEX memory = {};
    memory.dwLength = sizeof memory;
    GlobalMemoryStatusEx(&memory);
    const ProcessorInfo& processor = processor_info();
    const std::string expected = ComposeTooltipText(
        std::string(processor.brand, strnlen(processor.brand, sizeof processor.brand)),
        window.processor_count, memory.ullTotalPhys);
    tool.lpszText = text;
    SendMessageA(window.tooltip_window, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(std::string(text), expected);
    EXPECT_NE(expected.find("\n \x95\xA8\x97\x9D\x83\x81\x83\x82\x83\x8A:"), std::string::npos);
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
    EXPECT_EQ(limits.ptMaxSize.y, WindowHeightForProcessors(harness.window->processor_count));
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
    window.iconized = true;
    ASSERT_TRUE(harness.create());
    const HWND hwnd = window.hwnd;
    EXPECT_TRUE(window.iconized);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    ASSERT_FALSE(fakes.shell_calls.empty());
    const ShellCall& add = fakes.shell_calls.back();
    EXPECT_EQ(add.message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(add.id, 1433u);
    EXPECT_EQ(add.callback_message, kTrayMessage);
    EXPECT_NE(add.icon, nullptr);
    EXPECT_EQ(add.tip, "\x8C\x76\x8E\x5A\x92\x86");
    EXPECT_TRUE(fakes.message_boxes.empty());

    // Other events and other icons' messages are not for the window.
    SendMessageA(hwnd, kTrayMessage, kTrayId, WM_LBUTTONDOWN);
    SendMessageA(hwnd, kTrayMessage, kTrayId + 1, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(window.iconized);
    EXPECT_EQ(SendMessageA(hwnd, kTrayMessage, kTrayId, WM_LBUTTONDBLCLK), 0);
    EXPECT_FALSE(window.iconized);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_EQ(fakes.shell_calls.back().message, static_cast<DWORD>(NIM_DELETE));
    SendMessageA(hwnd, kTrayMessage, kTrayId, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(window.iconized);
    EXPECT_FALSE(IsWindowVisible(hwnd));
}

TEST(Tray, TheTrayMenuOpensAtTheCursor) {
    Harness harness;
    ASSERT_TRUE(harness.create());
    fakes.cursor = {321, 654};
    EXPECT_EQ(SendMessageA(harness.window->hwnd, kTrayMessage, kTrayId, WM_RBUTTONUP), 0);
    ASSERT_EQ(fakes.menus.size(), 1u);
    ExpectItems(fakes.menus[0], {{40013, kShowForm, false}, {0, nullptr, false}, {40005, kExit, false}});
    EXPECT_EQ(fakes.menus[0].x, 321);
    EXPECT_EQ(fakes.menus[0].y, 654);
    EXPECT_EQ(fakes.menus[0].owner, harness.window->hwnd);
}

TEST(Tray, ARestartedTaskbarGetsTheIconBackOnlyWhenFolded) {
    Harness harness;
    ASSERT_TRUE(harness.create());
    MainWindow& window = *harness.window;
    const UINT taskbar_created = RegisterWindowMessageA("TaskbarCreated");
    EXPECT_EQ(window.taskbar_created_message, taskbar_created);
    const size_t before = fakes.shell_calls.size();
    SendMessageA(window.hwnd, taskbar_created, 0, 0);
    EXPECT_EQ(fakes.shell_calls.size(), before);
    EXPECT_TRUE(IsWindowVisible(window.hwnd));

    SendMessageA(window.hwnd, WM_COMMAND, 40013, 0);
    ASSERT_TRUE(window.iconized);
    fakes.shell_calls.clear();
    SendMessageA(window.hwnd, taskbar_created, 0, 0);
    ASSERT_EQ(fakes.shell_calls.size(), 1u);
    EXPECT_EQ(fakes.shell_calls[0].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_TRUE(window.iconized);
    EXPECT_FALSE(IsWindowVisible(window.hwnd));
}

const char kFoldFailed[] =
    "\x83\x41\x83\x43\x83\x52\x83\x93\x89\xBB\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5"
    "\x82\xBD\x81\x42\r\n\x83\x5E\x83\x58\x83\x4E\x83\x6F\x81\x5B\x82\xAA\x8B\x4E\x93\xAE"
    "\x82\xB5\x82\xC4\x82\xA2\x82\xC8\x82\xA2\x89\xC2\x94\x5C\x90\xAB\x82\xAA\x82\xA0\x82\xE8"
    "\x82\xDC\x82\xB7\x81\x42";

void ExpectFoldFailureBox(HWND owner) {
    ASSERT_EQ(fakes.message_boxes.size(), 1u);
    EXPECT_EQ(fakes.message_boxes[0].owner, owner);
    EXPECT_EQ(fakes.message_boxes[0].text, kFoldFailed);
    EXPECT_EQ(fakes.message_boxes[0].caption, "Vornelt Gauge");
    EXPECT_EQ(fakes.message_boxes[0].type, static_cast<UINT>(MB_ICONEXCLAMATION));
}

TEST(Tray, AFoldTheShellRefusesLeavesTheWindowShownAndSaysSo) {
    Harness harness;
    ASSERT_TRUE(harness.create());
    MainWindow& window = *harness.window;
    fakes.shell_result = FALSE;
    fakes.shell_error = ERROR_TIMEOUT;
    SendMessageA(window.hwnd, WM_COMMAND, 40013, 0);
    EXPECT_FALSE(window.iconized);
    EXPECT_TRUE(IsWindowVisible(window.hwnd));
    ExpectFoldFailureBox(window.hwnd);

    // After a taskbar restart a failed re-add only clears the option, silently.
    window.iconized = true;
    SendMessageA(window.hwnd, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_FALSE(window.iconized);
    EXPECT_EQ(fakes.message_boxes.size(), 1u);
}

TEST(Tray, StartingFoldedWithoutATaskbarShowsTheWindowAndSavesItUnfolded) {
    Harness harness;
    MainWindow& window = *harness.window;
    window.iconized = true;
    fakes.shell_result = FALSE;
    fakes.shell_error = ERROR_TIMEOUT;
    ASSERT_TRUE(harness.create());
    const HWND hwnd = window.hwnd;
    EXPECT_FALSE(window.iconized);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    ExpectFoldFailureBox(hwnd);
    EXPECT_EQ(fakes.shell_calls.back().message, static_cast<DWORD>(NIM_DELETE));

    SendMessageA(hwnd, WM_COMMAND, 40005, 0);
    std::string saved;
    ASSERT_TRUE(ReadWholeFile(fakes.settings_path, saved));
    EXPECT_NE(saved.find("<ICON>0</ICON>"), std::string::npos) << saved;
}

TEST(Session, EndingTheSessionClosesTheWindowAndSavesTheSettings) {
    Harness harness;
    ASSERT_TRUE(harness.create());
    const HWND hwnd = harness.window->hwnd;
    EXPECT_EQ(SendMessageA(hwnd, WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_EQ(TakePosted(hwnd, WM_CLOSE).message, static_cast<UINT>(WM_CLOSE));
    std::string saved;
    SendMessageA(hwnd, WM_ENDSESSION, FALSE, 0);
    EXPECT_FALSE(ReadWholeFile(fakes.settings_path, saved));
    harness.window->auto_hide = true;
    SendMessageA(hwnd, WM_ENDSESSION, TRUE, 0);
    ASSERT_TRUE(ReadWholeFile(fakes.settings_path, saved));
    EXPECT_NE(saved.find("<AUTO_HIDE>1</AUTO_HIDE>"), std::string::npos) << saved;
    EXPECT_TRUE(IsWindow(hwnd));
}

TEST(Window, ASingleProcessorWindowIsCutToShapeWhileItLives) {
    Harness harness;
    MainWindow& window = *harness.window;
    window.processor_count = 1;
    ASSERT_TRUE(harness.create());
    const HWND hwnd = window.hwnd;
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_NE(GetWindowRgn(hwnd, region), ERROR);
    // The empty cell below processor 0 is cut away; the memory bar beside it is not.
    EXPECT_FALSE(PtInRegion(region, 10, 18));
    EXPECT_TRUE(PtInRegion(region, 130, 18));
    EXPECT_TRUE(PtInRegion(region, 10, 5));
    DeleteObject(region);
    SendMessageA(hwnd, WM_COMMAND, 40005, 0);
    EXPECT_EQ(window.full_region, nullptr);
    EXPECT_EQ(window.cut_region, nullptr);
}

}  // namespace
