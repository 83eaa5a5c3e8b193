// The gadget as screen readers and UI Automation know it. Answers WM_GETOBJECT
// for the window's client with the gadget's own accessible object (one for the
// window's life), announces a child's changed value at most once a second and
// only for frames that were drawn, tells when the picture moved, and cuts the
// object off the window when the window goes. Without the accessibility
// libraries (platform.accessibility) it answers nothing, and the window keeps
// the system's default object. Events go out through
// platform.window_manager.notify_win_event.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "app/accessible_view.h"
#include "app/face.h"
#include "app/win32_accessible.h"

class MeterForm;

// The readings over the meter and the window that shows it. The accessible
// object's calls arrive on the window's thread, the one that draws the meter,
// so the figures are read without a lock and never half-updated.
class MeterReadings final : public AccessibleReadings {
public:
    void attach(HWND window, const MeterForm* meter, const Face* face, uint32_t machine_processors);
    void detach();

    uint32_t shown_processors() const override;
    uint32_t machine_processors() const override;
    std::string percent_text(uint32_t processor) const override;
    std::string memory_caption() const override;
    std::string free_memory_text() const override;
    double memory_load() const override;
    const Face& face() const override;
    const MeterScale& scale() const override;
    void client_origin(int32_t& x, int32_t& y) const override;
    bool shown() const override;
    uint32_t printed_revision() const override;

private:
    HWND window_ = nullptr;
    const MeterForm* meter_ = nullptr;
    const Face* face_ = &kEnglishFace;
    uint32_t machine_processors_ = 0;
};

class Accessibility {
public:
    Accessibility() = default;
    ~Accessibility();

    // Once the window exists; `meter` and `face` must outlive detach().
    void attach(HWND window, const MeterForm* meter, const Face* face,
                uint32_t machine_processors);
    // WM_GETOBJECT: true with `result` for the client when the object could be
    // handed over; false leaves the message to the default handling.
    bool answer(WPARAM wparam, LPARAM lparam, LRESULT& result);
    // After each drawn frame, with whether the window's own messages say it is
    // shown (nothing is announced for a hidden one). The values are looked at
    // (and the clock read) only when a printed text changed since the last
    // look, or a change still waits for its second.
    void frame_drawn(bool shown);
    // After a move, a change of scale or a change of shape.
    void location_changed();
    // When the window is destroyed: the object, which clients may still hold,
    // answers as disconnected from now on.
    void detach();

private:
    Accessibility(const Accessibility&) = delete;
    Accessibility& operator=(const Accessibility&) = delete;

    MeterReadings readings_;
    HWND window_ = nullptr;
    GadgetAccessible* object_ = nullptr;
    ChangeAnnouncer announcer_;
    bool looked_ = false;
    uint32_t looked_revision_ = 0;
};
