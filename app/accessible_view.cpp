#include "app/accessible_view.h"

#include <cstdio>
#include <cstring>

#include "app/frame_text.h"
#include "text/string_helpers.h"

namespace {

constexpr uint32_t kAnnouncePause = 1000;
const char kClientName[] = "Vornelt Gauge";

int32_t MemoryChild(uint32_t processors) { return static_cast<int32_t>(processors) + 1; }

bool Inside(const ScreenBox& box, int32_t x, int32_t y) {
    return x >= box.left && x < box.left + box.width && y >= box.top && y < box.top + box.height;
}

}  // namespace

int32_t AccessibleChildCount(uint32_t processors) { return MemoryChild(processors); }

bool NodeForChild(int32_t child, uint32_t processors, AccessibleNode& node) {
    if (child == kClientChild) {
        node = AccessibleNode{AccessibleKind::kClient, 0};
    } else if (child > 0 && child <= static_cast<int32_t>(processors)) {
        node = AccessibleNode{AccessibleKind::kProcessor, static_cast<uint32_t>(child - 1)};
    } else if (child == MemoryChild(processors)) {
        node = AccessibleNode{AccessibleKind::kMemory, 0};
    } else {
        return false;
    }
    return true;
}

std::string AccessibleName(const AccessibleNode& node, const AccessibleReadings& readings) {
    switch (node.kind) {
    case AccessibleKind::kProcessor: {
        char name[16];
        std::snprintf(name, sizeof name, "CPU %lu", static_cast<unsigned long>(node.processor + 1));
        return name;
    }
    case AccessibleKind::kMemory:
        return readings.memory_caption();
    case AccessibleKind::kClient:
        break;
    }
    return kClientName;
}

bool AccessibleValue(const AccessibleNode& node, const AccessibleReadings& readings,
                     std::string& value) {
    switch (node.kind) {
    case AccessibleKind::kProcessor:
        // The picture right-aligns the figure with blanks; read aloud they are noise.
        value = Trim(readings.percent_text(node.processor));
        return true;
    case AccessibleKind::kMemory:
        value = readings.free_memory_text();
        return true;
    case AccessibleKind::kClient:
        break;
    }
    return false;
}

bool AccessibleDescription(const AccessibleNode& node, const AccessibleReadings& readings,
                           std::string& description) {
    if (node.kind == AccessibleKind::kMemory) {
        const double load = readings.memory_load();
        // Rounded; a load that compares with nothing reads as none rather than as garbage.
        const int percent =
            load >= 1.0 ? 100 : load > 0.0 ? static_cast<int>(load * 100.0 + 0.5) : 0;
        char text[64];
        std::snprintf(text, sizeof text, "%s%d%%", readings.face().memory_load_label, percent);
        description = text;
        return true;
    }
    if (node.kind == AccessibleKind::kClient &&
        readings.machine_processors() > readings.shown_processors()) {
        description = ProcessorCountText(readings.shown_processors(), readings.face(),
                                         readings.machine_processors());
        return true;
    }
    return false;
}

ScreenBox AccessibleBox(const AccessibleNode& node, const AccessibleReadings& readings) {
    const MeterScale& scale = readings.scale();
    int32_t x = 0, y = 0;
    readings.client_origin(x, y);
    switch (node.kind) {
    case AccessibleKind::kProcessor: {
        const SlotPlace slot = ProcessorSlot(node.processor, scale);
        return ScreenBox{x + slot.x, y + slot.y, scale.slot_width, scale.row_height};
    }
    case AccessibleKind::kMemory:
        return ScreenBox{x + scale.slot_width, y, scale.slot_width, 2 * scale.row_height};
    case AccessibleKind::kClient:
        break;
    }
    return ScreenBox{x, y, scale.width,
                     WindowHeightForProcessors(readings.shown_processors(), scale)};
}

int32_t AccessibleChildAt(int32_t x, int32_t y, const AccessibleReadings& readings) {
    const uint32_t processors = readings.shown_processors();
    if (!Inside(AccessibleBox(AccessibleNode{AccessibleKind::kClient, 0}, readings), x, y)) {
        return -1;
    }
    for (int32_t child = 1; child <= AccessibleChildCount(processors); ++child) {
        AccessibleNode node;
        if (NodeForChild(child, processors, node) && Inside(AccessibleBox(node, readings), x, y)) {
            return child;
        }
    }
    return kClientChild;
}

int32_t NavigateChildren(int32_t from, Navigation direction, uint32_t processors) {
    const int32_t last = AccessibleChildCount(processors);
    switch (direction) {
    case Navigation::kFirstChild:
        return from == kClientChild ? 1 : -1;
    case Navigation::kLastChild:
        return from == kClientChild ? last : -1;
    case Navigation::kNext:
        return from > kClientChild && from < last ? from + 1 : -1;
    case Navigation::kPrevious:
        return from > 1 && from <= last ? from - 1 : -1;
    }
    return -1;
}

bool ChangeAnnouncer::due(int32_t child, const std::string& value, uint32_t now_ms) {
    if (child < 0 || static_cast<size_t>(child) >= sizeof children_ / sizeof children_[0]) {
        return false;
    }
    Announced& announced = children_[child];
    // What a reader finds when it first looks is no change. The difference is
    // modular: the millisecond clock wraps every 49.7 days.
    const bool changed = announced.seen && std::strcmp(value.c_str(), announced.value) != 0;
    const bool due = changed && now_ms - announced.at >= kAnnouncePause;
    const bool waiting = changed && !due;
    waiting_ += static_cast<int32_t>(waiting) - static_cast<int32_t>(announced.waiting);
    announced.waiting = waiting;
    if (due || !announced.seen) {
        std::snprintf(announced.value, sizeof announced.value, "%s", value.c_str());
        announced.at = now_ms;
        announced.seen = true;
    }
    return due;
}

bool ChangeAnnouncer::waiting() const { return waiting_ > 0; }
