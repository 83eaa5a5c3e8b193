// The gadget window's message handling: set-up and tear-down, dragging, the two
// popup menus and their commands, and folding into the tray icon.
#include <windows.h>
#include <commctrl.h>

#include "app/win32_main_window.h"
#include "app/win32_settings_claim.h"
#include "app/win32_start_with_windows.h"
#include "meter/win32_meter_form.h"
#include "platform/win32_platform.h"
#include "text/win32_module_directory.h"
#include "text/win32_wide_text.h"

namespace {

static_assert(kTrayMessage == WM_APP + 100, "the icon's callback message");
// The system's move loop, entered as if the caption had been grabbed.
constexpr WPARAM kDragMove = SC_MOVE + HTCAPTION;

const char kCaption[] = VG_WINDOW_TITLE;
// Values of headers newer than the oldest Windows the program runs on.
constexpr DWORD kMessageFilterAllow = 1;  // MSGFLT_ALLOW, per window
constexpr DWORD kMessageFilterAdd = 1;    // MSGFLT_ADD, per process
constexpr UINT kDpiChanged = 0x02E0;       // WM_DPICHANGED, Windows 8.1 on

bool IsDeviceContext(HDC dc) {
    const DWORD type = GetObjectType(dc);
    return type == OBJ_DC || type == OBJ_MEMDC || type == OBJ_METADC || type == OBJ_ENHMETADC;
}

// The menu in the face's language, so that menus and texts always agree; the
// resource loader's own choice only when that language is missing.
HMENU LoadFaceMenu(HINSTANCE instance, WORD resource, LANGID language) {
    const HRSRC found = FindResourceExA(instance, RT_MENU, MAKEINTRESOURCEA(resource), language);
    if (found == nullptr) return LoadMenuA(instance, MAKEINTRESOURCEA(resource));
    const HGLOBAL loaded = LoadResource(instance, found);
    const void* menu = loaded != nullptr ? LockResource(loaded) : nullptr;
    return menu != nullptr ? LoadMenuIndirectW(menu) : nullptr;
}

// How long the last save waits for a busy settings file: at exit, and inside
// the session's end.
constexpr DWORD kExitSaveMs = 2000;
constexpr DWORD kSessionEndSaveMs = 1000;

// An elevated gadget gets no message from normal programs unless it lets it
// through: the taskbar's restart, the icon's clicks (the shell is not elevated)
// and a second start's bring-forward among them.
void LetThrough(HWND window, UINT message) {
    const Platform::WindowManager& windows = platform.window_manager;
    if (message == 0) return;
    if (windows.change_window_message_filter_ex != nullptr) {
        windows.change_window_message_filter_ex(window, message, kMessageFilterAllow, nullptr);
    } else if (windows.change_window_message_filter != nullptr) {
        windows.change_window_message_filter(message, kMessageFilterAdd);
    }
}

}  // namespace

LRESULT MainWindow::handle_message(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CREATE:
        on_create(*reinterpret_cast<const CREATESTRUCTA*>(lparam));
        return 0;
    case WM_DESTROY:
        on_destroy();
        return 0;
    case WM_NCDESTROY: {
        // The last message: from here on the handle names no window, and
        // teardown must not make calls on it.
        const LRESULT result = DefWindowProcA(hwnd, message, wparam, lparam);
        hwnd = nullptr;
        return result;
    }
    case WM_GETOBJECT: {
        // The window's client is the gadget's own object; everything else, and
        // a system without the accessibility libraries, gets the default.
        LRESULT object = 0;
        if (accessibility.answer(wparam, lparam, object)) return object;
        return DefWindowProcA(hwnd, message, wparam, lparam);
    }
    case WM_CLOSE:
        if (!ignore_next_close_) DestroyWindow(hwnd);
        ignore_next_close_ = false;
        return 0;
    case WM_QUERYENDSESSION:
        // Only a question: another program may still veto the end, or the user
        // cancel it. What waits is saved now, in case the end comes hard.
        settings.save_if_pending(hwnd, stored_options(), meter_settings());
        return TRUE;
    case WM_ENDSESSION:
        // TRUE: the session ends (or, with ENDSESSION_CLOSEAPP, an installer or
        // the restart manager wants the program closed), and the process may be
        // gone as soon as this returns: saved and ended here. FALSE: the end was
        // cancelled, and the gadget goes on.
        if (wparam) {
            session_ending_ = true;
            DestroyWindow(hwnd);
        }
        return 0;
    case WM_SHOWWINDOW:
        shown_ = wparam != FALSE;
        follow_showing();
        return DefWindowProcA(hwnd, message, wparam, lparam);
    case WM_WINDOWPOSCHANGED:
        on_position_changed(*reinterpret_cast<const WINDOWPOS*>(lparam));
        return DefWindowProcA(hwnd, message, wparam, lparam);
    case WM_GETMINMAXINFO: {
        // Maximizing leaves the window where and as large as it is.
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof placement;
        if (!platform.window_manager.window_placement(hwnd, &placement)) return 0;
        const RECT& area = placement.rcNormalPosition;
        MINMAXINFO& limits = *reinterpret_cast<MINMAXINFO*>(lparam);
        limits.ptMaxPosition = POINT{area.left, area.top};
        limits.ptMaxSize = POINT{area.right - area.left, area.bottom - area.top};
        return 0;
    }
    case WM_NCHITTEST:
        // Every movement over the window restarts the auto-hide count.
        auto_hide.hit_test();
        return DefWindowProcA(hwnd, message, wparam, lparam);
    case WM_KEYDOWN:
        if (wparam == VK_APPS) SendMessageA(hwnd, WM_RBUTTONUP, 0, 0);
        return 0;
    case WM_KEYUP:
        // The system's close that follows a released Applications key is not the user's.
        if (wparam == VK_APPS) ignore_next_close_ = true;
        return 0;
    case WM_TIMER:
        if (wparam == kSaveRetryTimer) {
            settings.retry(hwnd, stored_options(), meter_settings());
            return 0;
        }
        if (wparam == kSessionRetryTimer) {
            if (unseen.retry_session()) follow_unseen();
            return 0;
        }
        if (wparam == kFoldRetryTimer) {
            // In at last: the window folds now. A failed try changes nothing
            // on screen (an auto-hidden window stays hidden).
            if (tray.retry()) {
                iconized_ = true;
                platform.window_manager.show_window(hwnd, SW_HIDE);
            }
            return 0;
        }
        if (wparam == kBusiestTimer) {
            // A window out of sight takes no part in the tooltip's watch,
            // however it went (the auto-hide hides it without a word to it).
            if (loop_mode() == LoopMode::kFrames) {
                tooltip.watch_tick();
            } else {
                tooltip.stop_watching();
            }
            return 0;
        }
        update_frame();
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_ENTERSIZEMOVE:
        move_start_ = restored_rect();
        return 0;
    case WM_EXITSIZEMOVE: {
        // Both the drag and the menu's keyboard move end here; a click that
        // moved nothing is not worth a write.
        const RECT end = restored_rect();
        if (!EqualRect(&end, &move_start_)) {
            save_settings();
            accessibility.location_changed();
        }
        return 0;
    }
    case WM_LBUTTONDOWN:
        PostMessageA(hwnd, WM_SYSCOMMAND, kDragMove, 0);
        KeepOnTop(hwnd);
        SetForegroundWindow(hwnd);
        return 0;
    case WM_RBUTTONUP:
        show_window_menu(lparam);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        const HDC dc = BeginPaint(hwnd, &paint);
        if (meter_form != nullptr && dc != nullptr) meter_form->paint_to(dc);
        EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_PRINTCLIENT: {
        // Anyone may send this with any value; only a device context of this
        // process is painted into.
        const HDC dc = reinterpret_cast<HDC>(wparam);
        if (meter_form != nullptr && dc != nullptr && IsDeviceContext(dc)) meter_form->paint_to(dc);
        ValidateRect(hwnd, nullptr);
        return 0;
    }
    case WM_DISPLAYCHANGE:
        keep_on_a_monitor();
        return 0;
    case kDpiChanged: {
        // Moved to a monitor of another scale, or the scale was changed: the
        // picture is drawn anew at the place Windows suggests.
        const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
        apply_dpi(LOWORD(wparam), suggested);
        return 0;
    }
    case WM_SETTINGCHANGE:
        update_tray_icon_size();
        return DefWindowProcA(hwnd, message, wparam, lparam);
    case WM_WTSSESSION_CHANGE:
        if (unseen.session_changed(wparam, lparam)) follow_unseen();
        return 0;
    case WM_POWERBROADCAST:
        if (unseen.power_changed(wparam, lparam)) follow_unseen();
        return TRUE;
    case WM_SIZE:
    case WM_ERASEBKGND:
    case WM_SIZING:
        // The meter paints every pixel; an erased background would only flash.
        return 0;
    case kTrayMessage:
        if (wparam == kTrayId && lparam == WM_LBUTTONDBLCLK) switch_folded(!iconized_);
        if (wparam == kTrayId && lparam == WM_RBUTTONUP) show_tray_menu();
        return 0;
    case WM_COMMAND:
        on_command(LOWORD(wparam));
        return 0;
    case WM_NOTIFY: {
        const NMHDR& note = *reinterpret_cast<const NMHDR*>(lparam);
        if (note.hwndFrom == tooltip.window() && note.hwndFrom != nullptr) {
            if (note.code == TTN_SHOW && loop_mode() == LoopMode::kFrames) tooltip.shown();
            if (note.code == TTN_POP) tooltip.stop_watching();
            // Shown where the control itself puts it.
            return 0;
        }
        return DefWindowProcA(hwnd, message, wparam, lparam);
    }
    default:
        // A restarted taskbar has forgotten the icon: put it back. A first one
        // takes a fold that waits for it.
        if (taskbar_created_message_ != 0 && message == taskbar_created_message_) {
            // A new taskbar may draw at another scale.
            update_tray_icon_size();
            if (iconized_ || tray.trying()) fold_again();
        }
        if (bring_forward_message_ != 0 && message == bring_forward_message_) {
            return bring_forward(wparam, lparam);
        }
        return DefWindowProcA(hwnd, message, wparam, lparam);
    }
}

void MainWindow::on_create(const CREATESTRUCTA& create) {
    place_ = RECT{create.x, create.y, create.x + create.cx, create.y + create.cy};
    shown_ = (create.style & WS_VISIBLE) != 0;
    // The monitor the window landed on decides its scale; the size it was
    // created with came from the screen's.
    if (meter_form != nullptr) meter_form->set_dpi(WindowDpi(hwnd));
    SetWindowPos(hwnd, nullptr, 0, 0, scale().width,
                 WindowHeightForProcessors(processor_count_, scale()),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (processor_count_ == 1) shape.apply(hwnd, scale());
    if (meter_form != nullptr) {
        accessibility.attach(hwnd, meter_form, face_, MachineProcessorCount(processor_count_));
    }
    InitCommonControls();
    KeepOnTop(hwnd);
    SetForegroundWindow(hwnd);
    LayeredWindowApi api;
    translucency.apply(hwnd, api);
    // After the shape and the translucency, which change what the DC draws on.
    renew_frame_dc();

    RECT processor_column;
    GetClientRect(hwnd, &processor_column);
    // Only over the processor column: the memory side has its own figures.
    processor_column.right = scale().slot_width;
    tooltip.create(hwnd, create.hInstance, processor_count_, *face_, processor_column);

    taskbar_created_message_ = RegisterWindowMessageA(VG_TASKBAR_CREATED_MESSAGE);
    bring_forward_message_ = RegisterWindowMessageA(VG_BRING_FORWARD_MESSAGE);
    LetThrough(hwnd, taskbar_created_message_);
    LetThrough(hwnd, kTrayMessage);
    LetThrough(hwnd, bring_forward_message_);
    unseen.watch(hwnd);
    // Started in a locked or disconnected session: at rest from the start.
    if (unseen.unseen()) follow_unseen();
    platform.window_manager.show_window(hwnd, SW_HIDE);
    tray.prepare(hwnd, instance, *face_, SmallIconSize());

    const bool wanted = iconized_;
    iconized_ = false;
    // Started by the user, the gadget comes up active.
    set_iconized(wanted, SW_SHOW);
    if (wanted && !iconized_) {
        // Started with Windows, the gadget may come before the taskbar or before
        // its notification area takes icons: shown meanwhile, without a
        // message, it folds as soon as the icon is in.
        tray.hide();
        tray.keep_trying();
    }
}

void MainWindow::on_destroy() {
    // A screen reader may hold the object longer than the window and its meter live.
    accessibility.detach();
    shown_ = false;
    follow_showing();
    frame_dc_.release();
    // The tooltip, an owned window, is already gone.
    tooltip.forget();
    unseen.stop_watching();
    // A file another program holds is waited for a little: long enough for a
    // sync client's or an indexer's look, well within what Windows gives a
    // program at shutdown.
    settings.save_at_exit(hwnd, stored_options(), meter_settings(),
                          session_ending_ ? kSessionEndSaveMs : kExitSaveMs);
    if (shape.cut()) shape.drop(hwnd);
    tray.stop_trying();
    tray.hide();
    PostQuitMessage(0);
}

void MainWindow::on_command(WORD command) {
    switch (command) {
    case kExit:
        ignore_next_close_ = false;
        SendMessageA(hwnd, WM_CLOSE, 0, 0);
        break;
    case kTranslucent:
        translucency.toggle(hwnd);
        renew_frame_dc();
        save_settings();
        break;
    case kMeasureHigh:
        // Any program may send this; the meter has no use for it and ignores it.
        if (meter_form != nullptr) {
            meter_form->handle_message(
                "<MSG><COMMAND>MEASURE_HIGH</COMMAND><Threshold>60.0</Threshold></MSG>");
        }
        break;
    case kAutoHide:
        // An armed count is left to run out: the window hides once more at most.
        auto_hide.set_on(!auto_hide.on());
        save_settings();
        break;
    case kIconize: {
        const bool wanted = !iconized_;
        switch_folded(wanted);
        if (wanted && !iconized_) show_fold_failure();
        break;
    }
    case kMove:
        SendMessageA(hwnd, WM_SYSCOMMAND, SC_MOVE, 0);
        break;
    case kStartWithWindows: {
        // Asked afresh: the value may have changed since the menu was drawn. A
        // refusal leaves it as it was; the next menu shows what is there.
        const std::wstring program = ModuleFileName(instance);
        ChooseStartWithWindows(program);
        break;
    }
    default:
        break;
    }
}

void MainWindow::set_iconized(bool on, int show_command) {
    if (on) {
        tooltip.stop_watching();
        iconized_ = true;
        if (tray.show()) {
            tray.stop_trying();
            platform.window_manager.show_window(hwnd, SW_HIDE);
            return;
        }
        // Hidden without an icon the gadget could be neither reached nor
        // ended: it comes back where it was, whichever way the fold came.
        iconized_ = false;
        platform.window_manager.show_window(hwnd, show_command);
        KeepOnTop(hwnd);
        return;
    }
    iconized_ = false;
    tray.stop_trying();
    tray.hide();
    platform.window_manager.show_window(hwnd, show_command);
}

void MainWindow::fold_again() {
    set_iconized(true);
    if (!iconized_) tray.keep_trying();
}

void MainWindow::switch_folded(bool on) {
    const bool was = iconized_ || tray.trying();
    set_iconized(on);
    if ((iconized_ || tray.trying()) != was) save_settings();
}

LRESULT MainWindow::bring_forward(WPARAM key_low, LPARAM key_high) {
    const uint64_t key = (static_cast<uint64_t>(static_cast<uint32_t>(key_high)) << 32) |
                         static_cast<uint32_t>(key_low);
    // Other gadgets' files are not this one's business.
    if (key != settings.key()) return 0;
    // Asked to come forward, the gadget no longer waits to fold either.
    if (iconized_ || tray.trying()) switch_folded(false);
    // Hidden by auto-hide counts as well; the count starts anew.
    auto_hide.forget();
    platform.window_manager.show_window(hwnd, SW_SHOW);
    KeepOnTop(hwnd);
    SetForegroundWindow(hwnd);
    return kBroughtForward;
}

void MainWindow::keep_on_a_monitor() {
    const RECT place = restored_rect();
    if (IsRectEmpty(&place) || RectOnAnyMonitor(place)) return;
    const StartPosition start =
        DefaultWindowRect(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), scale());
    SetWindowPos(hwnd, nullptr, start.left, start.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    accessibility.location_changed();
}

void MainWindow::on_position_changed(const WINDOWPOS& position) {
    if (position.flags & SWP_SHOWWINDOW) shown_ = true;
    if (position.flags & SWP_HIDEWINDOW) shown_ = false;
    // Only what the change names: with SWP_NOMOVE or SWP_NOSIZE the record's
    // other fields need not hold the window's.
    if (!(position.flags & SWP_NOMOVE)) {
        place_ = RECT{position.x, position.y, position.x + place_.right - place_.left,
                      position.y + place_.bottom - place_.top};
    }
    if (!(position.flags & SWP_NOSIZE)) {
        place_.right = place_.left + position.cx;
        place_.bottom = place_.top + position.cy;
    }
    follow_showing();
}

RECT MainWindow::restored_rect() {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (!platform.window_manager.window_placement(hwnd, &placement)) return RECT{};
    return placement.rcNormalPosition;
}

void MainWindow::show_fold_failure() {
    platform.window_manager.message_box(hwnd, WideFromShiftJis(face_->fold_failed).c_str(),
                             WideFromShiftJis(kCaption).c_str(), MB_ICONEXCLAMATION);
}

void MainWindow::show_window_menu(LPARAM point) {
    // Client coordinates; the Applications key sends 0, the window's corner.
    POINT at = {LOWORD(point), HIWORD(point)};
    ClientToScreen(hwnd, &at);
    track_menu(IDR_WINDOW_MENU, at);
}

void MainWindow::show_tray_menu() {
    POINT at = {};
    platform.window_manager.cursor_pos(&at);
    // Without the foreground the menu would not close on a click elsewhere.
    SetForegroundWindow(hwnd);
    track_menu(IDR_TRAY_MENU, at);
    // Lets the menu open properly the next time as well.
    PostMessageA(hwnd, WM_NULL, 0, 0);
}

void MainWindow::track_menu(WORD resource, POINT at) {
    const HMENU menu = LoadFaceMenu(instance, resource, face_->menu_language);
    if (menu == nullptr) return;
    const HMENU popup = GetSubMenu(menu, 0);
    // Loaded fresh each time, so only the options that are on get a mark.
    MENUITEMINFOA checked = {};
    checked.cbSize = sizeof checked;
    checked.fMask = MIIM_STATE;
    checked.fState = MFS_CHECKED;
    if (translucency.on()) SetMenuItemInfoA(popup, kTranslucent, FALSE, &checked);
    if (auto_hide.on()) SetMenuItemInfoA(popup, kAutoHide, FALSE, &checked);
    // Only a value naming this very copy counts: one left by a copy that was
    // moved elsewhere shows unchecked, and choosing the item points it here.
    if (resource == IDR_WINDOW_MENU && StartsWithWindows(ModuleFileName(instance))) {
        SetMenuItemInfoA(popup, kStartWithWindows, FALSE, &checked);
    }
    platform.window_manager.track_popup_menu(popup, TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd, nullptr);
    DestroyMenu(menu);
}
