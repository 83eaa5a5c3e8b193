#include "app/win32_main_window.h"

#include "app/frame_text.h"
#include "meter/win32_meter_form.h"
#include "platform/win32_platform.h"
#include "text/string_helpers.h"

namespace {

// Nobody reads the folded tray finer than the memory's hundredths of a
// gigabyte, and a hidden window comes back within a tenth of a second.
constexpr DWORD kFoldedRefreshMs = 1000;
constexpr DWORD kHiddenCursorMs = 100;
// What of a rest's period a wait may end early by and still count as due.
constexpr DWORD kEarlyShare = 20;

}  // namespace

namespace {

uint32_t ProcessorsToShow(uint32_t requested) {
    if (requested == 0) {
        SYSTEM_INFO system;
        GetSystemInfo(&system);
        requested = system.dwNumberOfProcessors;
    }
    return ClampProcessorCount(requested);
}

}  // namespace

MainWindow::MainWindow(std::wstring settings_file, uint32_t processor_count_)
    : processor_count(ProcessorsToShow(processor_count_)),
      samplers(processor_count),
      settings(std::move(settings_file)) {
    face = &FaceForUiLanguage(platform.window_manager.ui_language());
    meter_form = new MeterForm(processor_count);
    meter_form->default_caption = face->default_caption;
}

MainWindow::~MainWindow() {
    // The meter goes first; the samplers then end (their part waits for them)
    // and the tray icon goes last.
    delete meter_form;
    meter_form = nullptr;
}

void MainWindow::update_frame() {
    if (iconized) {
        tray.refresh();
        return;
    }
    UsageSample samples[kMaxProcessors] = {};
    samplers.take(samples);
    const std::string text = ComposeFrameText(samples, processor_count, frame_late, skipped_frames);
    if (meter_form != nullptr) meter_form->handle_message(text);
    auto_hide.look(hwnd);
}

LoopMode MainWindow::loop_mode() const {
    if (unseen.unseen()) return LoopMode::kPaused;
    if (iconized) return LoopMode::kFolded;
    if (auto_hide.hiding()) return LoopMode::kHidden;
    return LoopMode::kFrames;
}

DWORD MainWindow::rest(LoopMode mode) {
    if (mode == LoopMode::kFrames || mode == LoopMode::kPaused) {
        rest_mode = mode;
        return mode == LoopMode::kPaused ? INFINITE : 0;
    }
    const DWORD period = mode == LoopMode::kFolded ? kFoldedRefreshMs : kHiddenCursorMs;
    const DWORD now = platform.clock.time();
    // A mode just entered does its work at once: the tray's picture and tip
    // follow the memory from the moment the window folds. A wait that ends a
    // little early counts as due: another wake-up for the last millisecond or
    // two would double the wake-ups of a resting gadget.
    if (mode != rest_mode || ElapsedTicks(rest_done_at, now) + period / kEarlyShare >= period) {
        rest_mode = mode;
        rest_done_at = now;
        if (mode == LoopMode::kFolded) {
            tray.refresh();
        } else {
            auto_hide.look(hwnd);
        }
        return period;
    }
    return period - ElapsedTicks(rest_done_at, now);
}

void MainWindow::follow_unseen() {
    if (unseen.unseen()) {
        samplers.pause();
    } else {
        samplers.resume();
    }
}

bool MainWindow::pace_frame(int32_t frame_rate) {
    const PaceDecision decision = PaceFrame(pacer, platform.clock.time(), frame_rate);
    if (decision.sleep_ms > 0) {
        platform.clock.sleep(decision.sleep_ms);
        FrameStarted(pacer, platform.clock.time());
    }
    frame_late = decision.late;
    return frame_late;
}

RECT MainWindow::load_settings(const std::wstring& path, bool& position_found) {
    std::string text;
    const StoredSettings stored = settings.load(path, processor_count, text);
    frame_rate = stored.frame_rate;
    auto_hide.set_on(stored.auto_hide);
    translucency.set(stored.translucent, stored.alpha);
    iconized = stored.iconized;
    // The meter takes its font face and caption from the same text.
    if (meter_form != nullptr) meter_form->apply_settings(text);
    position_found = stored.position_found;
    return RECT{stored.left, stored.top, stored.right, stored.bottom};
}

void MainWindow::save_settings() { settings.save(hwnd, stored_options(), meter_settings()); }

StoredSettings MainWindow::stored_options() const {
    StoredSettings options;
    options.frame_rate = frame_rate;
    options.auto_hide = auto_hide.on();
    options.translucent = translucency.on();
    options.alpha = translucency.alpha();
    options.iconized = iconized;
    return options;
}

std::string MainWindow::meter_settings() const {
    return meter_form != nullptr ? meter_form->settings_text() : std::string();
}
