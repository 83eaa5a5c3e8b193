// The main window's life: its parts put together and taken down, the frames and
// the rests between them, the options it takes from and gives to the settings,
// and the display scale it draws at.
#include "app/win32_main_window.h"

#include "app/frame_text.h"
#include "meter/win32_meter_form.h"
#include "platform/win32_monitors.h"
#include "platform/win32_platform.h"
#include "text/string_helpers.h"

namespace {

// Nobody reads the folded tray finer than the memory's hundredths of a
// gigabyte, and a hidden window comes back within a tenth of a second.
constexpr DWORD kFoldedRefreshMs = 1000;
constexpr DWORD kHiddenCursorMs = 100;
// How long a suspended gadget's rest waits before it takes itself to be awake.
constexpr DWORD kSuspendedCheckMs = 5000;
// What of a rest's period a wait may end early by and still count as due.
constexpr DWORD kEarlyShare = 20;

uint32_t ProcessorsToShow(uint32_t requested) {
    if (requested == 0) {
        SYSTEM_INFO system;
        GetSystemInfo(&system);
        requested = system.dwNumberOfProcessors;
    }
    return ClampProcessorCount(requested);
}

}  // namespace

MainWindow::MainWindow(std::wstring settings_file, uint32_t processor_count)
    : samplers(ProcessorsToShow(processor_count)),
      settings(std::move(settings_file)),
      processor_count_(samplers.count()),
      face_(&FaceForUiLanguage(platform.window_manager.ui_language())) {
    meter_form = new MeterForm(processor_count_);
    meter_form->default_caption = face_->default_caption;
}

MainWindow::~MainWindow() {
    // The meter goes first; the samplers then end (their part waits for them)
    // and the tray icon goes last.
    delete meter_form;
    meter_form = nullptr;
}

void MainWindow::update_frame() {
    if (iconized_) {
        if (!tray.refresh()) fold_again();
        return;
    }
    UsageSample samples[kMaxProcessors] = {};
    samplers.take(samples);
    ComposeFrameText(samples, processor_count_, frame_late_, skipped_frames_, frame_text_);
    if (meter_form != nullptr) meter_form->handle_message(frame_text_);
    // A frame whose drawing was shed showed nothing new to announce.
    if (skipped_frames_ == 0) accessibility.frame_drawn(shown_);
    auto_hide.look(hwnd, place_, shown_);
}

LoopMode MainWindow::loop_mode() const {
    if (unseen.unseen()) return LoopMode::kPaused;
    if (iconized_) return LoopMode::kFolded;
    if (auto_hide.hiding()) return LoopMode::kHidden;
    return LoopMode::kFrames;
}

DWORD MainWindow::rest(LoopMode mode) {
    if (mode == LoopMode::kFrames) {
        rest_mode_ = mode;
        return 0;
    }
    if (mode == LoopMode::kPaused) return rest_unseen();
    const DWORD period = mode == LoopMode::kFolded ? kFoldedRefreshMs : kHiddenCursorMs;
    const DWORD now = platform.clock.time();
    // A mode just entered does its work at once: the tray's picture and tip
    // follow the memory from the moment the window folds. A wait that ends a
    // little early counts as due: another wake-up for the last millisecond or
    // two would double the wake-ups of a resting gadget.
    if (mode != rest_mode_ || ElapsedTicks(rest_done_at_, now) + period / kEarlyShare >= period) {
        rest_mode_ = mode;
        rest_done_at_ = now;
        if (mode == LoopMode::kFolded) {
            if (!tray.refresh()) fold_again();
        } else {
            auto_hide.look(hwnd, place_, shown_);
        }
        return period;
    }
    return period - ElapsedTicks(rest_done_at_, now);
}

DWORD MainWindow::rest_unseen() {
    const DWORD now = platform.clock.time();
    const bool suspended = unseen.suspended();
    // The wait is timed from when the rest began asleep.
    if (rest_mode_ != LoopMode::kPaused || !rest_asleep_) rest_done_at_ = now;
    rest_mode_ = LoopMode::kPaused;
    rest_asleep_ = suspended;
    // Asleep, nothing runs; a wait that timed out means the machine is awake
    // again, even when its resume was never told (modern standby, a broadcast
    // missed). Since Windows 8 a wait's time does not count the sleep.
    if (!suspended) return INFINITE;
    const DWORD waited = ElapsedTicks(rest_done_at_, now);
    if (waited + kSuspendedCheckMs / kEarlyShare < kSuspendedCheckMs) {
        return kSuspendedCheckMs - waited;
    }
    rest_asleep_ = false;
    if (unseen.awake()) follow_unseen();
    return unseen.unseen() ? INFINITE : 0;
}

void MainWindow::follow_unseen() {
    if (unseen.unseen()) {
        tooltip.stop_watching();
        samplers.pause();
    } else {
        samplers.resume();
    }
}

bool MainWindow::pace_frame(int32_t frame_rate) {
    const PaceDecision decision = PaceFrame(pacer_, platform.clock.time(), frame_rate);
    if (decision.sleep_ms > 0) {
        platform.clock.sleep(decision.sleep_ms);
        FrameStarted(pacer_, platform.clock.time());
    }
    frame_late_ = decision.late;
    return frame_late_;
}

void MainWindow::follow_showing() {
    if (meter_form != nullptr) meter_form->target_dc = shown_ ? frame_dc_.dc() : nullptr;
}

void MainWindow::renew_frame_dc() {
    frame_dc_.renew(hwnd);
    follow_showing();
}

void MainWindow::restart_pacing() { pacer_ = FramePacer{}; }

RECT MainWindow::load_settings(const std::wstring& path, bool& position_found) {
    std::string text;
    const StoredSettings stored = settings.load(path, processor_count_, text);
    frame_rate_ = ClampFrameRate(stored.frame_rate);
    auto_hide.set_on(stored.auto_hide);
    translucency.set(stored.translucent, stored.alpha);
    iconized_ = stored.iconized;
    // The meter takes its font face and caption from the same text.
    if (meter_form != nullptr) meter_form->apply_settings(text);
    position_found = stored.position_found;
    return RECT{stored.left, stored.top, stored.right, stored.bottom};
}

void MainWindow::save_settings() { settings.save(hwnd, stored_options(), meter_settings()); }

StoredSettings MainWindow::stored_options() const {
    StoredSettings options;
    options.frame_rate = frame_rate_;
    options.auto_hide = auto_hide.on();
    options.translucent = translucency.on();
    options.alpha = translucency.alpha();
    // A fold that waits for the shell is the user's choice all the same.
    options.iconized = iconized_ || tray.trying();
    return options;
}

std::string MainWindow::meter_settings() const {
    return meter_form != nullptr ? meter_form->settings_text() : std::string();
}

// The display's scale: the meter's picture, the window's size and shape, the
// tooltip's area and the tray's pictures follow a move to a monitor of another
// scale, or a new setting.
const MeterScale& MainWindow::scale() const {
    return meter_form != nullptr ? meter_form->scale : kUnscaled;
}

void MainWindow::apply_dpi(uint32_t dpi, const RECT* place) {
    // During a drag across monitors the message may come again and again: only
    // a real change of scale rebuilds anything.
    if (meter_form == nullptr || ScaleForDpi(dpi).dpi == meter_form->scale.dpi) return;
    meter_form->set_dpi(dpi);
    const MeterScale& now = meter_form->scale;
    const int32_t height = WindowHeightForProcessors(processor_count_, now);
    RECT rect = {};
    if (place != nullptr) {
        rect = *place;
    } else {
        GetWindowRect(hwnd, &rect);
    }
    // The size always comes from the scale, whatever size the rectangle has.
    SetWindowPos(hwnd, nullptr, rect.left, rect.top, now.width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (processor_count_ == 1) shape.apply(hwnd, now);
    renew_frame_dc();
    tooltip.set_area(RECT{0, 0, now.slot_width, height});
    update_tray_icon_size();
    accessibility.location_changed();
    InvalidateRect(hwnd, nullptr, FALSE);
}

void MainWindow::update_tray_icon_size() {
    if (tray.set_icon_size(SmallIconSize()) && iconized_ && !tray.refresh()) fold_again();
}

uint32_t MainWindow::processor_count() const { return processor_count_; }

int32_t MainWindow::frame_rate() const { return frame_rate_; }

bool MainWindow::iconized() const { return iconized_; }

bool MainWindow::frame_late() const { return frame_late_; }

uint32_t MainWindow::skipped_frames() const { return skipped_frames_; }

bool MainWindow::ignores_next_close() const { return ignore_next_close_; }

UINT MainWindow::taskbar_created_message() const { return taskbar_created_message_; }
