#include "app/win32_main_window.h"
#include "app/win32_settings_claim.h"
#include "measure/processor_info.h"
#include "measure/win32_processor_info.h"
#include "meter/meter_layout.h"
#include "meter/win32_meter_form.h"
#include "platform/win32_platform.h"
#include "platform/win32_system_libraries.h"
#include "raster/pixel_primitives.h"
#include "settings/settings_text.h"
#include "settings/win32_settings_place.h"
#include "text/win32_module_directory.h"

int pump_message() {
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return 0;
    if (message.message == WM_QUIT) return -1;
    TranslateMessage(&message);
    DispatchMessageA(&message);
    return 1;
}

namespace {

// How long a second start keeps asking a gadget that holds its settings file.
constexpr DWORD kClaimLimit = 5000;
constexpr UINT kTimerPeriod = 1;

// Unless a program asks for finer, Windows steps its sleeps and its clock by
// about 15.6 ms: a 33-ms frame budget would then last 47 ms and higher rates
// could not be reached at all. The finer timer costs the whole machine power,
// so it is held only while frames are drawn, and given back whenever they stop.
class FineTimer {
public:
    FineTimer() = default;
    ~FineTimer() { hold(false); }
    void hold(bool on) {
        if (on == asked_) return;
        asked_ = on;
        if (on) {
            granted_ = platform.clock.begin_period(kTimerPeriod) == 0;
        } else if (granted_) {
            platform.clock.end_period(kTimerPeriod);
            granted_ = false;
        }
    }

private:
    FineTimer(const FineTimer&) = delete;
    FineTimer& operator=(const FineTimer&) = delete;
    bool asked_ = false;
    bool granted_ = false;
};

void RunFrames(MainWindow& main_window) {
    FineTimer fine_timer;
    LoopMode previous = LoopMode::kPaused;
    for (;;) {
        const int pumped = pump_message();
        if (pumped < 0) break;
        if (pumped > 0) continue;
        const LoopMode mode = main_window.loop_mode();
        fine_timer.hold(mode == LoopMode::kFrames);
        if (mode == LoopMode::kFrames) {
            // Frames start afresh after a rest: the rest is no late frame.
            if (previous != LoopMode::kFrames) main_window.restart_pacing();
            main_window.update_frame();
            main_window.pace_frame(main_window.frame_rate());
        } else {
            // Nothing to draw: wait for a message, or for the mode's own work.
            // Until a message comes that work is all there is to do, and the
            // queue is not asked in between: each question costs a wake-up.
            DWORD wait = main_window.rest(mode);
            while (!platform.clock.wait_for_messages(wait) && main_window.loop_mode() == mode) {
                wait = main_window.rest(mode);
            }
        }
        previous = mode;
    }
}

}  // namespace

int RunGadget(HINSTANCE instance) {
    // Before anything else may load a library, and before the current
    // directory becomes the program's folder.
    LoadSystemLibraries();
    const std::wstring program_folder = ModuleDirectory(instance);
    SetCurrentDirectoryW(program_folder.c_str());
    // Decided once: a probe file at every save would raise a notification each
    // time where folders are watched, and one failed probe would send one save
    // elsewhere.
    const std::wstring settings_path = SettingsFileToSave(program_folder);
    // Two gadgets on one file would stack on one place and overwrite each
    // other's settings: a second start brings the first forward and ends.
    SettingsFileClaim claim(SettingsFileKey(settings_path));
    switch (claim.claim_or_bring_forward(kClaimLimit)) {
    case StartOutcome::kClaimed:
        break;
    case StartOutcome::kBroughtForward:
        return 0;
    case StartOutcome::kUnreachable:
        return 1;
    }
    report_processor();
    // The pixel loops are chosen once, for everything the gadget will draw.
    const ProcessorInfo& processor = processor_info();
    SelectPixelPaths(PixelFeatures{processor.mmx != 0, processor.sse2 != 0});
    MainWindow* main_window = new MainWindow(settings_path);

    bool position_found = false;
    const RECT stored = main_window->load_settings(
        SettingsFileToLoad(settings_path, program_folder), position_found);
    // The screen's scale until the window knows its monitor's (on creation);
    // the size always comes from the scale and the processor count, never
    // from the stored rectangle: only its corner is the user's.
    if (main_window->meter_form != nullptr) main_window->meter_form->set_dpi(WindowDpi(nullptr));
    const MeterScale& scale = main_window->scale();
    StartPosition place =
        DefaultWindowRect(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), scale);
    if (position_found) place = StartPosition{stored.left, stored.top, stored.right};
    const int32_t height = WindowHeightForProcessors(main_window->processor_count(), scale);
    HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_PROGRAM));

    // Without a window no quit message would ever come: end at once instead.
    if (main_window->create(instance, nullptr, VG_WINDOW_CLASS, place.left, place.top, scale.width,
                            height, VG_WINDOW_TITLE, kGadgetStyle, kGadgetExStyle, nullptr, icon)) {
        RunFrames(*main_window);
    }
    delete main_window;
    FreeSystemLibraries();
    return 0;
}
