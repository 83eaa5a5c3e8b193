/* Every number and name the gadget is known by, defined once: its resources,
 * the commands of its menus, the notification-area icon and its callback, the
 * private and registered messages, the timers, and what other programs look
 * for (the window's class and title). The resource scripts, the menu generator's
 * output, the program, the probe that drives it in tests, and the tests all
 * take them from here.
 *
 * Plain #defines, so that windres reads them too; the C++ names below stand for
 * the same values. The numbers are the gadget's outside interface: programs send
 * the commands (40009 is in no menu, and any program may send it), and the
 * end-to-end tests speak them as numbers. Change none of them. */
#ifndef VG_RESOURCE_IDS_H
#define VG_RESOURCE_IDS_H

/* Icons: the program's (also the tray's first picture), and the tray's pictures
 * by memory load, green, yellow and red in this order. */
#define IDI_PROGRAM 101
#define IDI_TRAY_GREEN 103
#define IDI_TRAY_YELLOW 104
#define IDI_TRAY_RED 105

/* The popup menus: the window's and the notification-area icon's. */
#define IDR_WINDOW_MENU 102
#define IDR_TRAY_MENU 106

/* WM_COMMAND identifiers. */
#define IDM_EXIT 40005
#define IDM_TRANSLUCENT 40007
#define IDM_MEASURE_HIGH 40009
#define IDM_AUTO_HIDE 40011
#define IDM_ICONIZE 40013
#define IDM_MOVE 40017
#define IDM_START_WITH_WINDOWS 40019

/* The notification-area icon's identifier and its callback message (WM_APP + 100). */
#define VG_TRAY_ID 1433
#define VG_TRAY_MESSAGE (0x8000 + 100)

/* The timers that retry a save another program kept out, a fold the shell
 * has not taken yet, and a session registration refused early at sign-in. */
#define VG_SAVE_RETRY_TIMER 0x5653
#define VG_FOLD_RETRY_TIMER 0x5654
#define VG_SESSION_RETRY_TIMER 0x5655
/* The timer of the tooltip's busiest-process line, running only while it is shown. */
#define VG_BUSIEST_TIMER 0x5656

/* Registered messages: the shell's, when a taskbar (re)starts, and the gadget's
 * own, with which a second start asks a running gadget to come forward. */
#define VG_TASKBAR_CREATED_MESSAGE "TaskbarCreated"
#define VG_BRING_FORWARD_MESSAGE "VorneltGauge.BringForward"

/* The gadget's window, as other programs find it. */
#define VG_WINDOW_CLASS "Vornel"
#define VG_WINDOW_TITLE "Vornelt Gauge"

#if defined(__cplusplus) && !defined(RC_INVOKED)
#include <cstdint>

constexpr uint32_t kTrayId = VG_TRAY_ID;
constexpr uint32_t kTrayMessage = VG_TRAY_MESSAGE;
constexpr uintptr_t kSaveRetryTimer = VG_SAVE_RETRY_TIMER;
constexpr uintptr_t kFoldRetryTimer = VG_FOLD_RETRY_TIMER;
constexpr uintptr_t kSessionRetryTimer = VG_SESSION_RETRY_TIMER;
constexpr uintptr_t kBusiestTimer = VG_BUSIEST_TIMER;

// WM_COMMAND identifiers of the menus (and the one no menu offers).
enum Command : uint16_t {
    kExit = IDM_EXIT,
    kTranslucent = IDM_TRANSLUCENT,
    kMeasureHigh = IDM_MEASURE_HIGH,
    kAutoHide = IDM_AUTO_HIDE,
    kIconize = IDM_ICONIZE,
    kMove = IDM_MOVE,
    // Switches the gadget's value in the user's Run key.
    kStartWithWindows = IDM_START_WITH_WINDOWS,
};
#endif

#endif
