// The main window's side of the settings file: what it takes from the file at
// start and what it writes back.
#include "app/win32_main_window.h"
#include "meter/win32_meter_form.h"
#include "settings/win32_settings_file.h"

namespace {

// Once a second: a busy file is seldom held longer by a sync client.
constexpr UINT kSaveRetryMs = 1000;

}  // namespace

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
    // Without a file of its own (a window made for a test) there is nothing to keep.
    if (settings_withheld || path.empty()) return;
    save_pending = false;
    StoredSettings settings;
    settings.frame_rate = frame_rate;
    settings.auto_hide = auto_hide;
    settings.translucent = translucent;
    settings.alpha = alpha;
    settings.iconized = iconized;
    const SaveOutcome saved = SaveSettingsFile(
        path, hwnd, settings, meter_form != nullptr ? meter_form->settings_text() : std::string());
    if (saved != SaveOutcome::kBusy) {
        if (retry_timer_set && hwnd != nullptr) KillTimer(hwnd, kSaveRetryTimer);
        retry_timer_set = false;
        return;
    }
    // Another program has the file (a sync client right after the last save,
    // say): the change waits and is tried again each second until it is in.
    save_pending = true;
    if (!retry_timer_set && hwnd != nullptr) {
        retry_timer_set = SetTimer(hwnd, kSaveRetryTimer, kSaveRetryMs, nullptr) != 0;
    }
}

void MainWindow::save_changed_settings() { save_settings(settings_place()); }

const std::wstring& MainWindow::settings_place() const { return settings_file; }
