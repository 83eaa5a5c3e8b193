// The gadget at the display's scale: the DPI Windows gives its window, and what
// follows from a change of it (a move to a monitor of another scale, or a new
// setting): the meter's picture, the window's size and shape, the tooltip's
// rectangle and the tray's pictures.
#include "app/win32_main_window.h"
#include "meter/win32_meter_form.h"
#include "platform/win32_monitors.h"

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
    if (processor_count == 1) shape.apply(hwnd, now);
    tooltip.set_area(RECT{0, 0, now.slot_width, height});
    update_tray_icon_size();
    InvalidateRect(hwnd, nullptr, FALSE);
}

void MainWindow::update_tray_icon_size() {
    if (tray.set_icon_size(SmallIconSize()) && iconized) tray.refresh();
}
