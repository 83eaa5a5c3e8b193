#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "platform/win32_platform.h"
#include "resources/resource_ids.h"
#include "tests/support/process_list.h"
#include "win32_main_window_harness.h"

namespace {

// The kernel's list, each time a program called busy.exe having used half a
// second more; and the clock, one second further at every list.
struct Kernel {
    int lists = 0;
    DWORD now = 5000;
} kernel;

LONG WINAPI BusyList(ULONG information_class, PVOID buffer, ULONG length, PULONG returned) {
    if (information_class != 5) return static_cast<LONG>(0xC0000003);
    const std::vector<uint8_t> list =
        BuildProcessList({{0, 0, 0, 0, u""}, {812, 7, kernel.lists * 5000000LL, 0, u"busy.exe"}},
                         sizeof(void*), reinterpret_cast<uintptr_t>(buffer));
    *returned = static_cast<ULONG>(list.size());
    if (length < list.size()) return static_cast<LONG>(0xC0000004);
    memcpy(buffer, list.data(), list.size());
    ++kernel.lists;
    return 0;
}

DWORD WINAPI KernelTime() { return kernel.now; }
DWORD WINAPI TwoProcessors(WORD) { return 2; }

std::wstring TipText(HWND tip) {
    wchar_t text[512] = L"";
    TOOLINFOW tool = {};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.lpszText = text;
    SendMessageW(tip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool));
    tool.lpszText = text;
    SendMessageW(tip, TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&tool));
    return text;
}

void Notify(MainWindow& window, UINT code) {
    NMHDR note = {window.tooltip.window(), 0, code};
    SendMessageW(window.hwnd, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&note));
}

void Second(MainWindow& window) {
    kernel.now += 1000;
    SendMessageW(window.hwnd, WM_TIMER, kBusiestTimer, 0);
}

TEST(Tooltip, ListsProcessesOnlyWhileShownAndNamesTheBusiestInPlace) {
    Harness harness(0x0409, 2);
    kernel = Kernel{};
    platform.system.query_system_information = BusyList;
    platform.system.active_processor_count = TwoProcessors;
    platform.clock.time = KernelTime;
    ASSERT_TRUE(harness.create());
    MainWindow& window = *harness.window;
    const std::wstring two_lines = TipText(window.tooltip.window());

    Second(window);
    EXPECT_EQ(kernel.lists, 0) << "nothing before the tooltip shows";
    Notify(window, TTN_SHOW);
    EXPECT_EQ(kernel.lists, 1);
    EXPECT_EQ(TipText(window.tooltip.window()), two_lines) << "the line comes after a second";
    Second(window);
    EXPECT_EQ(TipText(window.tooltip.window()), two_lines + L"\nBusiest: busy.exe 25%");

    Notify(window, TTN_POP);
    EXPECT_EQ(TipText(window.tooltip.window()), two_lines);
    Second(window);
    EXPECT_EQ(kernel.lists, 2) << "nothing after it went";

    // Folded, or out of sight for any reason, it lists nothing either.
    Notify(window, TTN_SHOW);
    SendMessageW(window.hwnd, WM_COMMAND, kIconize, 0);
    ASSERT_TRUE(window.iconized());
    Second(window);
    Notify(window, TTN_SHOW);
    Second(window);
    EXPECT_EQ(kernel.lists, 3);
}

}  // namespace
