#include "platform/win32_monitors.h"

#include "platform/win32_platform.h"

namespace {

// The scale of 100 % (USER_DEFAULT_SCREEN_DPI of newer headers).
constexpr uint32_t kDefaultDpi = 96;
// MDT_EFFECTIVE_DPI: the scale the user chose for the monitor.
constexpr int kEffectiveDpi = 0;

struct MonitorSearch {
    RECT rect;
    bool found;
};

BOOL CALLBACK CheckMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM search_address) {
    auto& search = *reinterpret_cast<MonitorSearch*>(search_address);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    RECT common;
    // The whole monitor: a window parked on the taskbar is out of the work
    // area but can still be seen and grabbed.
    search.found = platform.window_manager.monitor_info(monitor, &info) &&
                   IntersectRect(&common, &info.rcMonitor, &search.rect);
    return search.found ? FALSE : TRUE;
}

HWND Taskbar() { return FindWindowA("Shell_TrayWnd", nullptr); }

}  // namespace

bool RectOnAnyMonitor(const RECT& rect) {
    MonitorSearch search{rect, false};
    EnumDisplayMonitors(nullptr, nullptr, CheckMonitor, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

uint32_t WindowDpi(HWND window) {
    const Platform::WindowManager& windows = platform.window_manager;
    if (windows.dpi_for_window != nullptr && window != nullptr) {
        const UINT dpi = windows.dpi_for_window(window);
        if (dpi != 0) return dpi;
    }
    // Windows 8.1 and 10 before 1607 tell it for the monitor.
    if (windows.dpi_for_monitor != nullptr && window != nullptr) {
        const HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
        UINT dpi_x = 0, dpi_y = 0;
        if (monitor != nullptr &&
            SUCCEEDED(windows.dpi_for_monitor(monitor, kEffectiveDpi, &dpi_x, &dpi_y)) &&
            dpi_x != 0) {
            return dpi_x;
        }
    }
    // Before Windows 8.1 the system's scale is the one every window has.
    const HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<uint32_t>(dpi) : kDefaultDpi;
}

int32_t SmallIconSize() {
    const auto metrics_for_dpi = platform.window_manager.system_metrics_for_dpi;
    if (metrics_for_dpi != nullptr) {
        // The notification area is drawn at the taskbar's own scale.
        const int size = metrics_for_dpi(SM_CXSMICON, WindowDpi(Taskbar()));
        if (size > 0) return size;
    }
    const int size = GetSystemMetrics(SM_CXSMICON);
    return size > 0 ? size : 16;
}

bool TaskbarExists() { return Taskbar() != nullptr; }
