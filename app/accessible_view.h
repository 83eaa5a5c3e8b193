// What the gadget tells screen readers and UI Automation: under the client of
// its window one child per shown processor and one for the memory, with their
// names, values, descriptions and places on the screen, and which of their
// changes are worth announcing. The COM object (win32_accessible) only carries
// these answers across; everything here is plain text and arithmetic.
//
// Child ids: 0 is the client itself, 1 to n the n shown processors in order,
// n + 1 the memory.
#pragma once

#include <cstdint>
#include <string>

#include "app/face.h"
#include "meter/meter_layout.h"

// A rectangle on the screen in physical pixels, as accessibility reports places.
struct ScreenBox {
    int32_t left;
    int32_t top;
    int32_t width;
    int32_t height;
};

// What the window shows, read at the moment a client asks. Every text is the
// picture's own (Shift-JIS, like everything the gadget draws).
class AccessibleReadings {
public:
    virtual ~AccessibleReadings() = default;
    virtual uint32_t shown_processors() const = 0;
    // The machine's count where it has more than are shown; else the shown one.
    virtual uint32_t machine_processors() const = 0;
    // The percentage as its slot shows it, alignment blanks and all: «  5%».
    virtual std::string percent_text(uint32_t processor) const = 0;
    virtual std::string memory_caption() const = 0;
    virtual std::string free_memory_text() const = 0;
    virtual double memory_load() const = 0;  // used fraction, 0..1
    virtual const Face& face() const = 0;
    virtual const MeterScale& scale() const = 0;
    // Where the top-left corner of the window's picture is on the screen.
    virtual void client_origin(int32_t& x, int32_t& y) const = 0;
    // Whether the window is on the screen at all (not folded or auto-hidden).
    virtual bool shown() const = 0;
    // Changes whenever a text the values come from changes: while it stays,
    // every value reads as it did.
    virtual uint32_t printed_revision() const = 0;
};

constexpr int32_t kClientChild = 0;

enum class AccessibleKind { kClient, kProcessor, kMemory };

struct AccessibleNode {
    AccessibleKind kind;
    uint32_t processor;  // for kProcessor: 0-based
};

// The processors and the memory.
int32_t AccessibleChildCount(uint32_t processors);
// False for an id that names nothing.
bool NodeForChild(int32_t child, uint32_t processors, AccessibleNode& node);

// "Vornelt Gauge", "CPU 1" (in either face), the memory's caption as shown.
std::string AccessibleName(const AccessibleNode& node, const AccessibleReadings& readings);
// A processor's percentage as shown without its alignment («30%»), the free
// memory as shown («23.17GB»); false for the client, which has none.
bool AccessibleValue(const AccessibleNode& node, const AccessibleReadings& readings,
                     std::string& value);
// The memory load in whole percent (rounded); for the client, on a machine
// with more processors than are shown, how many there are and are shown, as
// the tooltip says it. False where there is nothing to add.
bool AccessibleDescription(const AccessibleNode& node, const AccessibleReadings& readings,
                           std::string& description);

// The client: the whole picture. A processor: its slot. The memory: its text
// row and its bar, the right-hand cells of the first two rows.
ScreenBox AccessibleBox(const AccessibleNode& node, const AccessibleReadings& readings);
// The child at a screen point, the client where the point is on the picture
// but in no child; -1 off the picture.
int32_t AccessibleChildAt(int32_t x, int32_t y, const AccessibleReadings& readings);

// Numbered as accessibility numbers these directions (NAVDIR_*), so the
// object hands them on as they come.
enum class Navigation { kNext = 5, kPrevious = 6, kFirstChild = 7, kLastChild = 8 };
// The child reached from `from` in reading order; -1 where there is none
// (past the ends, or first/last child asked of a child, which has none).
int32_t NavigateChildren(int32_t from, Navigation direction, uint32_t processors);

// Tells when a child's shown value changed enough to announce: not at first
// sight, and at most once a second per child, so a screen reader is not
// flooded by a meter that moves thirty times a second. A change within the
// second after an announcement waits for the second to pass, and is
// announced then if the value still differs from the one announced.
class ChangeAnnouncer {
public:
    // Called for each child with its value at every drawn frame; true when its
    // change is to be announced now.
    bool due(int32_t child, const std::string& value, uint32_t now_ms);
    // Whether some child's last value differed from the one announced and
    // waits for its second to pass: until then the values are to be looked
    // at again even when none of them changed.
    bool waiting() const;

private:
    // Every value the meter prints fits («100%», «1023.99GB»).
    struct Announced {
        char value[24] = "";
        uint32_t at = 0;
        bool seen = false;
        bool waiting = false;
    };
    Announced children_[kMaxProcessors + 2];
    // How many children wait: asked every frame, so counted rather than searched.
    int32_t waiting_ = 0;
};
