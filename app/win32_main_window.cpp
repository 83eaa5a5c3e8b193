#include "app/main_window.h"

#include <mmsystem.h>

#include "meter/meter_form.h"

CRITICAL_SECTION sample_lock;
PacingSeam pacing_seam = {timeGetTime, Sleep};

MainWindow::MainWindow() {
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    processor_count = ClampProcessorCount(system.dwNumberOfProcessors);
}

MainWindow::~MainWindow() { delete meter_form; }

LRESULT MainWindow::handle_message(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CREATE:
        SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
        ShowWindow(hwnd, SW_SHOW);
        return 0;
    case WM_DESTROY:
        // Cleared so that teardown makes no call on a handle that names no window.
        hwnd = nullptr;
        PostQuitMessage(0);
        return 0;
    case WM_ERASEBKGND:
        return 0;
    default:
        return Window::handle_message(message, wparam, lparam);
    }
}

void MainWindow::update_frame() {}

bool MainWindow::pace_frame(int32_t frame_rate) {
    const PaceDecision decision = PaceFrame(pacer, pacing_seam.time(), frame_rate);
    if (decision.sleep_ms > 0) {
        pacing_seam.sleep(decision.sleep_ms);
        FrameStarted(pacer, pacing_seam.time());
    }
    frame_late = decision.late;
    return frame_late;
}
