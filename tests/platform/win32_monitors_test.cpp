#include "platform/win32_monitors.h"

#include <gtest/gtest.h>

#include "platform/win32_platform.h"

namespace {

UINT window_dpi = 0;
UINT WINAPI FakeWindowDpi(HWND) { return window_dpi; }
HRESULT monitor_answer = S_OK;
HRESULT WINAPI FakeMonitorDpi(HMONITOR monitor, int kind, UINT* dpi_x, UINT* dpi_y) {
    if (monitor == nullptr || kind != 0) return E_INVALIDARG;
    *dpi_x = *dpi_y = 144;
    return monitor_answer;
}

TEST(Monitors, AWindowsDpiIsTheWindowsThenItsMonitorsThenTheScreens) {
    ScopedPlatform scoped;
    const HWND window = GetDesktopWindow();
    const HDC screen = GetDC(nullptr);
    const uint32_t screen_dpi = static_cast<uint32_t>(GetDeviceCaps(screen, LOGPIXELSX));
    ReleaseDC(nullptr, screen);
    platform.window_manager.dpi_for_window = FakeWindowDpi;
    platform.window_manager.dpi_for_monitor = FakeMonitorDpi;
    window_dpi = 120;
    EXPECT_EQ(WindowDpi(window), 120u);
    window_dpi = 0;  // the window's unknown: its monitor's (Windows 8.1)
    EXPECT_EQ(WindowDpi(window), 144u);
    platform.window_manager.dpi_for_window = nullptr;
    EXPECT_EQ(WindowDpi(window), 144u);
    monitor_answer = E_FAIL;
    EXPECT_EQ(WindowDpi(window), screen_dpi);
    platform.window_manager.dpi_for_monitor = nullptr;
    EXPECT_EQ(WindowDpi(window), screen_dpi);
}

}  // namespace
