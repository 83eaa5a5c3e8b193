#include "app/win32_accessibility.h"

#include <new>

#include "meter/meter_values.h"
#include "meter/win32_meter_form.h"
#include "platform/win32_platform.h"
#include "platform/win32_system_libraries.h"
#include "text/string_helpers.h"

void MeterReadings::attach(HWND window, const MeterForm* meter, const Face* face,
                           uint32_t machine_processors) {
    window_ = window;
    meter_ = meter;
    face_ = face;
    machine_processors_ = machine_processors;
}

void MeterReadings::detach() {
    window_ = nullptr;
    meter_ = nullptr;
}

uint32_t MeterReadings::shown_processors() const { return meter_->processor_count; }

uint32_t MeterReadings::machine_processors() const {
    return machine_processors_ > meter_->processor_count ? machine_processors_
                                                         : meter_->processor_count;
}

std::string MeterReadings::percent_text(uint32_t processor) const {
    // What the slot holds; before the first frame has drawn it, what it will show.
    const std::string& printed = meter_->printed_usage[processor];
    return printed.empty() ? PercentText(meter_->shown_usage[processor]) : printed;
}

std::string MeterReadings::memory_caption() const { return meter_->memory_caption; }

std::string MeterReadings::free_memory_text() const {
    // What the picture prints, formatted once per reading: this is asked every
    // frame to see whether the value changed.
    const std::string& printed = meter_->printed_memory;
    return printed.empty() ? FormatByteSize(meter_->available_memory) : printed;
}

double MeterReadings::memory_load() const { return meter_->memory_load; }

const Face& MeterReadings::face() const { return *face_; }

const MeterScale& MeterReadings::scale() const { return meter_->scale; }

void MeterReadings::client_origin(int32_t& x, int32_t& y) const {
    // The gadget is aware of each monitor's scale: these are physical pixels.
    POINT corner = {0, 0};
    ClientToScreen(window_, &corner);
    x = corner.x;
    y = corner.y;
}

bool MeterReadings::shown() const { return IsWindowVisible(window_) != FALSE; }

uint32_t MeterReadings::printed_revision() const { return meter_->printed_revision(); }

Accessibility::~Accessibility() { detach(); }

void Accessibility::attach(HWND window, const MeterForm* meter, const Face* face,
                           uint32_t machine_processors) {
    window_ = window;
    looked_ = false;
    readings_.attach(window, meter, face, machine_processors);
}

bool Accessibility::answer(WPARAM wparam, LPARAM lparam, LRESULT& result) {
    // The object id arrives as 32 bits, whatever the width of LPARAM.
    if (static_cast<DWORD>(lparam) != static_cast<DWORD>(OBJID_CLIENT)) return false;
    if (window_ == nullptr || !PrepareAccessibility()) return false;
    const auto lresult_from_object = platform.accessibility.lresult_from_object;
    if (object_ == nullptr) {
        object_ = new (std::nothrow) GadgetAccessible(window_, &readings_);
        if (object_ == nullptr) return false;
    }
    const LRESULT reference = lresult_from_object(__uuidof(IAccessible), wparam, object_);
    // A failure is a COM error, negative: the system's default object stands in.
    if (reference < 0) return false;
    result = reference;
    return true;
}

void Accessibility::frame_drawn(bool shown) {
    if (window_ == nullptr || !shown) return;
    const uint32_t revision = readings_.printed_revision();
    if (looked_ && revision == looked_revision_ && !announcer_.waiting()) return;
    looked_ = true;
    looked_revision_ = revision;
    const uint32_t now_ms = platform.clock.time();
    const uint32_t processors = readings_.shown_processors();
    for (int32_t child = 1; child <= AccessibleChildCount(processors); ++child) {
        AccessibleNode node;
        std::string value;
        if (!NodeForChild(child, processors, node) || !AccessibleValue(node, readings_, value)) {
            continue;
        }
        if (announcer_.due(child, value, now_ms)) {
            platform.window_manager.notify_win_event(EVENT_OBJECT_VALUECHANGE, window_,
                                                     OBJID_CLIENT, child);
        }
    }
}

void Accessibility::location_changed() {
    if (window_ == nullptr) return;
    platform.window_manager.notify_win_event(EVENT_OBJECT_LOCATIONCHANGE, window_, OBJID_CLIENT,
                                             CHILDID_SELF);
}

void Accessibility::detach() {
    if (object_ != nullptr) {
        object_->disconnect();
        // The window's own reference; clients' references keep the object alive
        // as long as they hold it.
        object_->Release();
        object_ = nullptr;
    }
    readings_.detach();
    window_ = nullptr;
}
