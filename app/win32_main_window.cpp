#include "app/main_window.h"

#include <process.h>

#include "app/frame_text.h"
#include "measure/win32_sampler.h"
#include "meter/meter_form.h"
#include "settings/win32_settings_place.h"
#include "text/string_helpers.h"
#include "text/win32_module_directory.h"
#include "platform/win32_clock.h"
#include "platform/win32_system_libraries.h"

namespace {

// All samplers are waited for at once.
static_assert(kMaxProcessors <= MAXIMUM_WAIT_OBJECTS, "one wait takes every sampler thread");
// Frames with the cursor resting over the window before it hides, and the
// count's cap, so that it cannot grow for ever.
constexpr int32_t kHoverFramesToHide = 10;
constexpr int32_t kHoverFramesCap = 1001;
// Nobody reads the folded tray finer than the memory's hundredths of a
// gigabyte, and a hidden window comes back within a tenth of a second.
constexpr DWORD kFoldedRefreshMs = 1000;
constexpr DWORD kHiddenCursorMs = 100;
// What of a rest's period a wait may end early by and still count as due.
constexpr DWORD kEarlyShare = 20;

std::wstring GadgetSettingsFile(HINSTANCE instance) {
    return SettingsFileToSave(ModuleDirectory(instance));
}

bool WINAPI WaitForMessages(DWORD milliseconds) {
    // Input already in the queue ends the wait too, not only input that comes.
    return MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds, QS_ALLINPUT,
                                       MWMO_INPUTAVAILABLE) != WAIT_TIMEOUT;
}

}  // namespace

PacingSeam pacing_seam = {MillisecondClock, Sleep, BeginTimerPeriod, EndTimerPeriod,
                          WaitForMessages};
DesktopSeam desktop_seam = {TrackPopupMenu, MessageBoxW, GetCursorPos, GetWindowPlacement,
                            GadgetSettingsFile, GetUserDefaultUILanguage, ShowWindow};
unsigned(__stdcall* sampler_body)(void* slot) = sampler_main;
DWORD sampler_join_limit = 3000;

MainWindow::MainWindow() {
    face = &FaceForUiLanguage(desktop_seam.ui_language());
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    processor_count = ClampProcessorCount(system.dwNumberOfProcessors);
    // Without a query every sampler measures from the kernel's processor times.
    const PdhLibrary& pdh = system_libraries.pdh;
    if (pdh.open_query == nullptr || pdh.open_query(nullptr, 0, &pdh_query) != ERROR_SUCCESS) {
        pdh_query = nullptr;
    }
    // Without the event the samplers only see their stop flags, after a sample.
    sampler_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    // Both or neither: a sampler that could be paused but never resumed would stay silent.
    samplers_paused = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    samplers_running = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    if (samplers_paused == nullptr || samplers_running == nullptr) {
        if (samplers_paused != nullptr) CloseHandle(samplers_paused);
        if (samplers_running != nullptr) CloseHandle(samplers_running);
        samplers_paused = samplers_running = nullptr;
    }
    for (uint32_t i = 0; i < processor_count; ++i) {
        SamplerSlot& slot = samplers[i];
        slot.query = pdh_query;
        slot.index = static_cast<int32_t>(i);
        slot.stop = false;
        slot.stop_event = sampler_stop;
        slot.paused_event = sampler_stop != nullptr ? samplers_paused : nullptr;
        slot.running_event = sampler_stop != nullptr ? samplers_running : nullptr;
        slot.turn = sampler_turn;
        unsigned thread_id = 0;
        slot.thread = reinterpret_cast<HANDLE>(
            _beginthreadex(nullptr, 0, sampler_body, &slot, 0, &thread_id));
        slot.thread_id = thread_id;
        // A hint only: the thread may run anywhere, but mostly measures from its own processor.
        if (slot.thread != nullptr) SetThreadIdealProcessor(slot.thread, i);
    }
    hover_frames = 0;
    frame_rate = 30;
    meter_form = new MeterForm(processor_count);
    meter_form->default_caption = face->default_caption;
}

MainWindow::~MainWindow() {
    delete meter_form;
    meter_form = nullptr;
    EnterCriticalSection(&sample_lock);
    for (uint32_t i = 0; i < processor_count; ++i) samplers[i].stop = true;
    LeaveCriticalSection(&sample_lock);
    if (sampler_stop != nullptr) SetEvent(sampler_stop);
    // All at once, with one deadline: a sampler stuck in the performance
    // library cannot hold up the others, nor the exit for longer than that.
    HANDLE threads[kMaxProcessors];
    DWORD running = 0;
    for (uint32_t i = 0; i < processor_count; ++i) {
        if (samplers[i].thread != nullptr) threads[running++] = samplers[i].thread;
    }
    const bool all_ended =
        running == 0 ||
        WaitForMultipleObjects(running, threads, TRUE, sampler_join_limit) < WAIT_OBJECT_0 + running;
    for (uint32_t i = 0; i < processor_count; ++i) {
        if (samplers[i].thread != nullptr) CloseHandle(samplers[i].thread);
        samplers[i].thread = nullptr;
    }
    if (all_ended) {
        if (pdh_query != nullptr) system_libraries.pdh.close_query(pdh_query);
        for (HANDLE event : {sampler_stop, samplers_paused, samplers_running}) {
            if (event != nullptr) CloseHandle(event);
        }
        delete sampler_turn;
        delete[] samplers;
    } else {
        // A sampler still running may yet use its slot, the events, the turn,
        // the query (and the performance library's code) and sample_lock: none
        // of them is freed under it. The process is about to end and takes them along.
        if (pdh_query != nullptr) system_libraries.pdh.still_used = true;
        sample_lock_still_used = true;
    }
    samplers = nullptr;
    sampler_turn = nullptr;
    sampler_stop = samplers_paused = samplers_running = nullptr;
    pdh_query = nullptr;
    tray.remove_if_added();
}

void MainWindow::update_frame() {
    if (iconized) {
        refresh_tray();
        return;
    }
    UsageSample samples[kMaxProcessors] = {};
    for (uint32_t i = 0; i < processor_count; ++i) {
        SamplerSlot& slot = samplers[i];
        // Looked at without the lock, which is only taken to take the value;
        // a flag set a moment later is seen by the next frame.
        if (!slot.fresh) continue;
        EnterCriticalSection(&sample_lock);
        samples[i].usage = slot.usage;
        slot.fresh = false;
        LeaveCriticalSection(&sample_lock);
        samples[i].fresh = true;
    }
    const std::string text = ComposeFrameText(samples, processor_count, frame_late, skipped_frames);
    if (meter_form != nullptr) meter_form->handle_message(text);
    check_auto_hide();
}

void MainWindow::check_auto_hide() {
    if (hover_frames <= 0) return;

    POINT cursor;
    // Without an answer there is no telling where the cursor is: wait for the next look.
    if (!desktop_seam.cursor_pos(&cursor)) return;
    // A hidden window does not move: its place is taken once, when it hides,
    // so each look while hidden costs the system one question only.
    RECT area = hidden_area;
    if (!auto_hidden) {
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof placement;
        if (!desktop_seam.window_placement(hwnd, &placement)) return;
        area = placement.rcNormalPosition;
    }
    if (cursor.x >= area.left && cursor.x <= area.right && cursor.y >= area.top &&
        cursor.y <= area.bottom) {
        if (hover_frames < kHoverFramesCap) ++hover_frames;
        // A hidden window gets no hit tests, so the count only rises from here.
        // It is hidden once: asking again each frame only keeps the system busy.
        if (hover_frames >= kHoverFramesToHide && !auto_hidden && IsWindowVisible(hwnd)) {
            desktop_seam.show_window(hwnd, SW_HIDE);
            auto_hidden = true;
            hidden_area = area;
        }
    } else {
        // Back without taking the focus from whatever the user is working in.
        desktop_seam.show_window(hwnd, SW_SHOWNA);
        keep_on_top();
        hover_frames = 0;
        auto_hidden = false;
    }
}

LoopMode MainWindow::loop_mode() const {
    if (unseen) return LoopMode::kPaused;
    if (iconized) return LoopMode::kFolded;
    if (auto_hidden && hover_frames > 0) return LoopMode::kHidden;
    return LoopMode::kFrames;
}

DWORD MainWindow::rest(LoopMode mode) {
    if (mode == LoopMode::kFrames || mode == LoopMode::kPaused) {
        rest_mode = mode;
        return mode == LoopMode::kPaused ? INFINITE : 0;
    }
    const DWORD period = mode == LoopMode::kFolded ? kFoldedRefreshMs : kHiddenCursorMs;
    const DWORD now = pacing_seam.time();
    // A mode just entered does its work at once: the tray's picture and tip
    // follow the memory from the moment the window folds. A wait that ends a
    // little early counts as due: another wake-up for the last millisecond or
    // two would double the wake-ups of a resting gadget.
    if (mode != rest_mode || ElapsedTicks(rest_done_at, now) + period / kEarlyShare >= period) {
        rest_mode = mode;
        rest_done_at = now;
        if (mode == LoopMode::kFolded) {
            refresh_tray();
        } else {
            check_auto_hide();
        }
        return period;
    }
    return period - ElapsedTicks(rest_done_at, now);
}

void MainWindow::update_seen() {
    const bool now_unseen = session_locked || session_disconnected || display_off || suspended;
    if (now_unseen == unseen) return;
    unseen = now_unseen;
    if (samplers_paused == nullptr) return;
    if (unseen) {
        ResetEvent(samplers_running);
        SetEvent(samplers_paused);
    } else {
        // Each sampler takes a new baseline first, so no reading spans the pause.
        ResetEvent(samplers_paused);
        SetEvent(samplers_running);
    }
}

bool MainWindow::pace_frame(int32_t frame_rate) {
    const PaceDecision decision = PaceFrame(pacer, pacing_seam.time(), frame_rate);
    if (decision.sleep_ms > 0) {
        pacing_seam.sleep(decision.sleep_ms);
        FrameStarted(pacer, pacing_seam.time());
    }
    frame_late = decision.late;
    return frame_late;
}

void MainWindow::keep_on_top() {
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}
