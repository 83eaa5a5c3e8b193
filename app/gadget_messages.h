// What other programs may send the gadget's window: the notification-area
// icon's callback and the menu commands. The probe that drives the gadget in
// tests speaks the same numbers.
#pragma once

#include <cstdint>

// The icon's identifier and its callback message (WM_APP + 100).
constexpr uint32_t kTrayId = 1433;
constexpr uint32_t kTrayMessage = 0x8000 + 100;

// WM_COMMAND identifiers of the menus (and 40009, which no menu offers).
enum Command : uint16_t {
    kExit = 40005,
    kTranslucent = 40007,
    kMeasureHigh = 40009,
    kAutoHide = 40011,
    kIconize = 40013,
    kMove = 40017,
    // Switches the gadget's value in the user's Run key.
    kStartWithWindows = 40019,
};
