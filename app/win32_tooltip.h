// The hover tooltip over the processor column: the processor's name and how
// many there are, and the installed physical memory on a second line, in the
// face's language.
//
// Contract: create() once the owner window exists; the control is owned by that
// window and destroyed with it, so forget() when the owner goes. The text is
// composed once, on creation; set_area follows a change of scale.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>

#include "app/face.h"

// The processors of the whole machine: a 32-bit program is told of at most 32,
// and the machine may have more (in one group, or in several from Windows 7 on).
uint32_t MachineProcessorCount(uint32_t shown);

class Tooltip {
public:
    Tooltip() = default;

    // Shows the tooltip over `area` of `owner`'s client area, telling of
    // `processor_count` processors shown (and of the machine's, when it has more).
    void create(HWND owner, HINSTANCE instance, uint32_t processor_count, const Face& face,
                const RECT& area);
    void set_area(const RECT& area);
    // The owner is destroyed, and the control with it.
    void forget();
    HWND window() const;

private:
    Tooltip(const Tooltip&) = delete;
    Tooltip& operator=(const Tooltip&) = delete;

    HWND window_ = nullptr;
    TOOLINFOW tool_ = {};
    // The text the tool points at for the control's lifetime.
    std::wstring text_;
};
