// The one application object: the gadget's window, composed of the parts that
// own its state (the tray, the samplers, the settings keeper, why nobody sees
// it, the shape, the auto-hide, the tooltip, the translucency, what screen
// readers read and the meter),
// and the paced loop that runs it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "app/face.h"
#include "app/frame_pacing.h"
#include "app/win32_accessibility.h"
#include "app/win32_auto_hide.h"
#include "app/win32_tooltip.h"
#include "app/win32_translucency.h"
#include "app/win32_tray.h"
#include "app/win32_unseen.h"
#include "app/win32_window.h"
#include "app/win32_window_dc.h"
#include "app/win32_window_shape.h"
#include "measure/win32_samplers.h"
#include "meter/meter_layout.h"
#include "resources/resource_ids.h"
#include "settings/win32_settings_keeper.h"

class MeterForm;

// The gadget's window: a borderless tool window on top of the others, which the
// system may move (its drag and keyboard move) but neither frames nor sizes.
constexpr DWORD kGadgetStyle =
    WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_SYSMENU | WS_MAXIMIZEBOX;
constexpr DWORD kGadgetExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;

// What the main loop does while the queue is empty.
enum class LoopMode {
    kFrames,  // shown: paced frames, as ever
    kFolded,  // the tray icon alone, refreshed once a second
    kHidden,  // auto-hidden: the cursor looked at ten times a second
    kPaused,  // nobody can see anything (locked, disconnected, display off, asleep)
};

// The window procedure and dispatcher of the gadget: it composes the parts,
// hands each message to the part it is about, and runs the frames.
class MainWindow : public Window {
public:
    // Saves to `settings_file` (none: saves nothing), and shows `processor_count`
    // processors (0: as many as the system has, at most 32; tests pass a count).
    explicit MainWindow(std::wstring settings_file = std::wstring(), uint32_t processor_count = 0);
    ~MainWindow() override;
    LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam) override;

    // One frame: the new samples and the frame commands to the meter (or, while
    // folded, the tray's refresh), then the auto-hide's look at the cursor.
    void update_frame();
    // Sleeps out the rest of the frame's budget at `frame_rate`; true when the
    // frame had used it all (the next frame then sheds its drawing).
    bool pace_frame(int32_t frame_rate);
    // Frames start afresh: the time since the last one was no late frame.
    void restart_pacing();
    LoopMode loop_mode() const;
    // The work of a mode without frames, when due; the milliseconds until the
    // next is due (INFINITE when none is).
    DWORD rest(LoopMode mode);
    // Folds into the tray icon or back. Whenever the window ends up shown,
    // `show_command` shows it: by default without taking the focus, as a gadget
    // coming back by itself should.
    void set_iconized(bool on, int show_command = SW_SHOWNA);
    // Takes the options from the settings in `path` (the meter its font and
    // caption); the stored window rectangle when position_found.
    RECT load_settings(const std::wstring& path, bool& position_found);
    // Saves at once, so a gadget that is killed or crashes later loses nothing
    // the user set.
    void save_settings();

    // The lengths the window and its picture have at the meter's scale.
    const MeterScale& scale() const;
    uint32_t processor_count() const;
    int32_t frame_rate() const;
    bool iconized() const;
    bool frame_late() const;
    // Frames in a row whose drawing was shed after late frames.
    uint32_t skipped_frames() const;
    // A close now would be swallowed (one follows a released Applications key).
    bool ignores_next_close() const;
    // 0 until the window is created: no message is taken for it before.
    UINT taskbar_created_message() const;

    // The parts, each owning its state.
    Tray tray;
    Samplers samplers;
    SettingsKeeper settings;
    Unseen unseen;
    WindowShape shape;
    AutoHide auto_hide;
    Tooltip tooltip;
    Translucency translucency;
    // What screen readers and UI Automation read of the meter.
    Accessibility accessibility;
    // The meter's content, owned.
    MeterForm* meter_form = nullptr;

private:
    void on_create(const CREATESTRUCTA& create);
    // What the window learns of itself from a change of its place or showing.
    void on_position_changed(const WINDOWPOS& position);
    // The meter copies its frames into the kept DC while the window is shown.
    void follow_showing();
    // Gets the kept DC anew after a change of the window's surface.
    void renew_frame_dc();
    void on_destroy();
    void on_command(WORD command);
    // Rests and pauses the samplers while nobody can see the meter, and
    // resumes both once someone can.
    void follow_unseen();
    // rest() while nobody can see the meter: endless, but while taken to be
    // asleep a wait that times out ends that.
    DWORD rest_unseen();
    // Draws at `dpi` from now on: the meter, the window's size (at `place`'s
    // corner when given), the one-processor shape, the tooltip's rectangle and
    // the tray pictures follow. Nothing happens when the scale stays.
    void apply_dpi(uint32_t dpi, const RECT* place);
    // Loads the tray pictures again when the size the shell draws them at changed.
    void update_tray_icon_size();
    // Puts a window that a display change left on no monitor at the default place.
    void keep_on_a_monitor();
    void show_window_menu(LPARAM point);
    void show_tray_menu();
    void track_menu(WORD resource, POINT point);
    void show_fold_failure();
    // set_iconized, and a save when the window folded or unfolded.
    void switch_folded(bool on);
    // The icon put back (a restarted taskbar, one that lost it, a fold that
    // waits): without a confirmed icon the window shows, and the tray keeps trying.
    void fold_again();
    LRESULT bring_forward(WPARAM key_low, LPARAM key_high);
    RECT restored_rect();
    // The options as the settings file stores them, and the meter's own part of it.
    StoredSettings stored_options() const;
    std::string meter_settings() const;

    const uint32_t processor_count_;
    // The language the window speaks, chosen once on construction.
    const Face* face_;
    int32_t frame_rate_ = 30;
    // Folded: hidden, and the shell confirmed the icon.
    bool iconized_ = false;
    bool ignore_next_close_ = false;
    // The window goes because the session ends: the last save waits less.
    bool session_ending_ = false;
    FramePacer pacer_;
    bool frame_late_ = false;
    uint32_t skipped_frames_ = 0;
    // Each frame's text for the meter, in one buffer kept from frame to frame.
    std::string frame_text_;
    // When the work of a mode without frames was last done.
    DWORD rest_done_at_ = 0;
    LoopMode rest_mode_ = LoopMode::kFrames;
    // The rest began while the machine was taken to be asleep.
    bool rest_asleep_ = false;
    UINT taskbar_created_message_ = 0;
    // A second start asks with this message whether the gadget uses its
    // settings file (the file's key); 0 until registered.
    UINT bring_forward_message_ = 0;
    // The restored rectangle when a move began, to tell a move from a click.
    RECT move_start_ = {};
    // What the window knows of itself from its own messages, so that no frame
    // has to ask: whether it is shown, and its rectangle on the screen.
    bool shown_ = false;
    RECT place_ = {};
    // The DC frames are copied into, kept from creation to destruction.
    WindowDc frame_dc_;
};

// Takes at most one message: 0 when none was waiting, -1 for WM_QUIT (not
// dispatched), 1 when one was dispatched.
int pump_message();

// The whole program after process entry; returns the exit code.
int RunGadget(HINSTANCE instance);
