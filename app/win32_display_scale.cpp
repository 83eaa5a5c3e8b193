// The gadget at the display's scale: the DPI Windows gives its window, and what
// follows from a change of it (a move to a monitor of another scale, or a new
// setting): the meter's picture, the window's size and shape, the tooltip's
// rectangle and the tray's pictures.
#include "app/main_window.h"
#include "meter/meter_form.h"
#include "text/win32_system_libraries.h"

uint32_t WindowDpi(HWND window) {
    const NewerSystemFunctions& newer = system_libraries.newer;
    if (newer.get_dpi_for_window != nullptr && window != nullptr) {
        const UINT dpi = newer.get_dpi_for_window(window);
        if (dpi != 0) return dpi;
    }
    // Before Windows 10 the system's scale is the one every window has.
    const HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<uint32_t>(dpi) : kBaseDpi;
}

int32_t SmallIconSize() {
    const NewerSystemFunctions& newer = system_libraries.newer;
    if (newer.get_system_metrics_for_dpi != nullptr) {
        // The notification area is drawn at the taskbar's own scale.
        const HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
        const int size = newer.get_system_metrics_for_dpi(SM_CXSMICON, WindowDpi(taskbar));
        if (size > 0) return size;
    }
    const int size = GetSystemMetrics(SM_CXSMICON);
    return size > 0 ? size : 16;
}

const MeterScale& MainWindow::scale() const {
    return meter_form != nullptr ? meter_form->scale : kUnscaled;
}

void MainWindow::apply_dpi(uint32_t dpi, const RECT* place) {
    // During a drag across monitors the message may come again and again: only
    // a real change of scale rebuilds anything.
    if (meter_form == nullptr || ScaleForDpi(dpi).dpi == meter_form->scale.dpi) return;
    meter_form->set_dpi(dpi);
    const MeterScale& now = meter_form->scale;
    const int32_t height = WindowHeightForProcessors(processor_count, now);
    RECT rect = {};
    if (place != nullptr) {
        rect = *place;
    } else {
        GetWindowRect(hwnd, &rect);
    }
    // The size always comes from the scale, whatever size the rectangle has.
    SetWindowPos(hwnd, nullptr, rect.left, rect.top, now.width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (processor_count == 1) {
        drop_window_shape();
        apply_window_shape();
    }
    if (tooltip_window != nullptr) {
        tool_info.rect = RECT{0, 0, now.slot_width, height};
        SendMessageW(tooltip_window, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool_info));
    }
    update_tray_icon_size();
    InvalidateRect(hwnd, nullptr, FALSE);
}

void MainWindow::update_tray_icon_size() {
    const int32_t size = SmallIconSize();
    if (size == tray_icon_size) return;
    tray_icon_size = size;
    // The next refresh loads the level's picture at the new size.
    tray_level = 10;
    if (iconized) refresh_tray();
}
