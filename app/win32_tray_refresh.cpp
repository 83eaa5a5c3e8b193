#include "app/win32_main_window.h"
#include "app/win32_tray_icon.h"
#include "platform/win32_platform.h"
#include "resources/resource_ids.h"
#include "text/string_helpers.h"

namespace {

static_assert(IDI_TRAY_YELLOW == IDI_TRAY_GREEN + 1 && IDI_TRAY_RED == IDI_TRAY_GREEN + 2,
              "the pictures follow the levels");

// 0 green, 1 yellow, 2 red. Red starts at 0.8 as a float, a hair above the
// double 0.8.
int32_t MemoryLoadLevel(double load) {
    if (load >= static_cast<double>(0.8f)) return 2;
    if (load >= 0.5) return 1;
    return 0;
}

}  // namespace

void RefreshTray(TrayIcon& tray, int32_t& tray_level, HINSTANCE module, const Face& face,
                 int32_t icon_size) {
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    // Without a reading the icon keeps its last picture and tip rather than
    // claiming that no memory is free.
    if (!platform.memory.status(&status) || status.ullTotalPhys == 0) return;
    const double load = 1.0 - static_cast<double>(status.ullAvailPhys) /
                                  static_cast<double>(status.ullTotalPhys);
    const int32_t level = MemoryLoadLevel(load);
    if (level != tray_level) {
        const HANDLE picture = LoadImageA(module, MAKEINTRESOURCEA(IDI_TRAY_GREEN + level),
                                          IMAGE_ICON, icon_size, icon_size, 0);
        tray.show_owned_icon(static_cast<HICON>(picture));
    }
    tray_level = level;
    std::string tip = face.free_memory_label + FormatByteSize(status.ullAvailPhys);
    // Every request wakes the shell, so an unchanged tip is not sent again.
    if (tip != tray.shown_tip) tray.set_tip(std::move(tip), true);
}

void MainWindow::refresh_tray() {
    RefreshTray(tray, tray_level, instance, *face, tray_icon_size);
}
