// The one application object: the gadget's window, its samplers, its tray icon,
// its options and the meter it shows.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <pdh.h>

#include <cstdint>
#include <string>

#include "app/frame_pacing.h"
#include "app/tray_icon.h"
#include "app/window.h"
#include "meter/meter_layout.h"

class MeterForm;

// Hand-over record between one sampler thread and the main thread.
struct SamplerSlot {
    PDH_HQUERY query;
    double usage;
    int32_t index;
    bool fresh;
    HANDLE thread;
    uint32_t thread_id;
    bool stop;
};

// Guards usage, fresh and stop of every SamplerSlot.
extern CRITICAL_SECTION sample_lock;

class LayeredWindowApi;

// The clock and the sleep of the frame pacing; tests replace them.
struct PacingSeam {
    DWORD(WINAPI* time)();
    void(WINAPI* sleep)(DWORD milliseconds);
};
extern PacingSeam pacing_seam;

// What the main window asks of the desktop that a test cannot let happen for
// real or cannot see: modal menus, the message box, where the cursor and the
// window are, where the settings file lives, and the auto-hide's hiding and showing.
struct DesktopSeam {
    BOOL(WINAPI* track_popup_menu)(HMENU menu, UINT flags, int x, int y, int reserved,
                                   HWND owner, const RECT* rect);
    int(WINAPI* message_box)(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
    BOOL(WINAPI* cursor_pos)(LPPOINT point);
    BOOL(WINAPI* window_placement)(HWND window, WINDOWPLACEMENT* placement);
    std::string (*settings_path)(HINSTANCE instance);
    BOOL(WINAPI* show_window)(HWND window, int command);
};
extern DesktopSeam desktop_seam;

// The body every sampler thread runs; tests put in one that ends at once.
extern unsigned(__stdcall* sampler_body)(void* slot);

class MainWindow : public Window {
public:
    MainWindow();
    ~MainWindow() override;
    LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam) override;

    void update_frame();
    bool pace_frame(int32_t frame_rate);
    void set_iconized(bool on);
    void show_tray_menu();
    void refresh_tray();
    void apply_window_shape();
    void drop_window_shape();
    void apply_translucency(LayeredWindowApi& api);
    void toggle_translucency();
    RECT load_settings(std::string path, bool& position_found);
    void save_settings(std::string path);
    void keep_on_top();

    TrayIcon tray;
    int32_t frame_rate = 30;
    uint32_t skipped_frames = 0;
    HRGN window_region = nullptr;
    HRGN full_region = nullptr;
    HRGN cut_region = nullptr;
    uint32_t processor_count = 1;
    bool translucent = false;
    bool auto_hide = false;
    PDH_HQUERY pdh_query = nullptr;
    SamplerSlot samplers[kMaxProcessors] = {};
    MeterForm* meter_form = nullptr;
    UINT taskbar_created_message = 0;
    TOOLINFOA tool_info = {};
    HWND tooltip_window = nullptr;
    int32_t tray_level = 10;
    uint8_t alpha = 128;
    int32_t hover_frames = 0;
    bool ignore_next_close = false;
    bool iconized = false;
    bool frame_late = false;
    FramePacer pacer;
    // The tooltip's text; tool_info points at it for the window's lifetime.
    std::string tooltip_text;

private:
    void on_create(const CREATESTRUCTA& create);
    void on_destroy();
    void on_command(WORD command);
    void show_window_menu(LPARAM point);
    void show_fold_failure();
    void track_menu(WORD resource, POINT point);
};

// Takes at most one message: 0 when none was waiting, -1 for WM_QUIT (not
// dispatched), 1 when one was dispatched.
int pump_message();

// The whole program after process entry; returns the exit code.
int RunGadget(HINSTANCE instance);
