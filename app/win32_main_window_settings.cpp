// The main window's side of the settings file: what it takes from the file at
// start and what it writes back.
#include "app/main_window.h"
#include "meter/meter_form.h"
#include "settings/win32_settings_file.h"

RECT MainWindow::load_settings(std::wstring path, bool& position_found) {
    std::string text;
    ReadOutcome read = ReadOutcome::kNoFile;
    const StoredSettings settings = LoadSettingsFile(path, processor_count, text, read);
    settings_withheld = read == ReadOutcome::kFailed;
    frame_rate = settings.frame_rate;
    auto_hide = settings.auto_hide;
    translucent = settings.translucent;
    alpha = settings.alpha;
    iconized = settings.iconized;
    // The meter takes its font face and caption from the same text.
    if (meter_form != nullptr) meter_form->apply_settings(text);
    position_found = settings.position_found;
    return RECT{settings.left, settings.top, settings.right, settings.bottom};
}

void MainWindow::save_settings(std::wstring path) {
    if (settings_withheld) return;
    StoredSettings settings;
    settings.frame_rate = frame_rate;
    settings.auto_hide = auto_hide;
    settings.translucent = translucent;
    settings.alpha = alpha;
    settings.iconized = iconized;
    SaveSettingsFile(path, hwnd, settings,
                     meter_form != nullptr ? meter_form->settings_text() : std::string());
}

void MainWindow::save_changed_settings() { save_settings(desktop_seam.settings_path(instance)); }
