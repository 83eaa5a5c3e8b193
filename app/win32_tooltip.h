// The hover tooltip over the processor column: the processor's name and how
// many there are, and the installed physical memory on a second line, in the
// face's language; while it is shown, a third line names the process that
// used the most processor time over the last second.
//
// Contract: create() once the owner window exists; the control is owned by that
// window and destroyed with it, so forget() when the owner goes. The first two
// lines are composed once, on creation; set_area follows a change of scale.
// The third line is watched only between shown() (TTN_SHOW) and stop_watching()
// (TTN_POP, or the window going out of sight): once a second, on the owner's
// timer kBusiestTimer, watch_tick() lists the processes and changes the line in
// place. Nothing is listed, and no timer runs, at any other time.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>

#include "app/face.h"
#include "measure/win32_process_list.h"

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

    // The tooltip came up: the first list is taken and the timer started.
    void shown();
    // A second of the timer: the busiest process since the last list.
    void watch_tick();
    // The tooltip went, or the window is out of sight: the timer stops, the
    // lists are dropped and the text is back to its first two lines.
    void stop_watching();

private:
    Tooltip(const Tooltip&) = delete;
    Tooltip& operator=(const Tooltip&) = delete;

    // Puts `text` into the control, in place, unless it is already there.
    void show_text(const std::wstring& text);

    HWND window_ = nullptr;
    TOOLINFOW tool_ = {};
    // The text the tool points at for the control's lifetime.
    std::wstring text_;
    // The processor and memory lines, as composed on creation.
    std::wstring first_lines_;
    const Face* face_ = nullptr;
    uint32_t machine_processors_ = 1;
    ProcessLoadWatch busiest_;
    bool watching_ = false;
};
