#include "tools/probe/probe_load.h"

#include <psapi.h>

#include "resources/resource_ids.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// Longer than any one message may take on a machine busy with other work; a
// gadget that needs more is hung.
constexpr UINT kHungMs = 20000;

// xorshift32: the same seed replays the same storm.
class Random {
public:
    explicit Random(uint32_t seed) : state_(seed != 0 ? seed : 0x9E3779B9u) {}
    uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    uint32_t below(uint32_t n) { return next() % n; }
    template <typename T, size_t N>
    T pick(const T (&values)[N]) { return values[below(N)]; }

private:
    uint32_t state_;
};

struct Message {
    UINT id;
    WPARAM wparam;
    LPARAM lparam;
};

// The commands of the menus and their neighbours, and now and then any number.
// Exit would end the storm; the keyboard move waits for the user and folding
// takes the shell seconds under Wine: both are sent apart.
Message RandomCommand(Random& random) {
    static const WORD kIds[] = {kTranslucent,     kMeasureHigh,  kAutoHide,    0,
                                1,                kExit - 1,     kTranslucent - 1,
                                kTranslucent + 1, kMeasureHigh + 1, kAutoHide + 1,
                                kIconize + 1,     kMove - 1,     kMove + 1,    0xFFFF};
    WORD id = random.below(4) == 0 ? static_cast<WORD>(random.next()) : random.pick(kIds);
    if (id == kExit || id == kMove || id == kIconize) id = kMeasureHigh;
    const WPARAM notification = random.below(3) == 0 ? random.next() & 0xFFFF : 0;
    return {WM_COMMAND, (notification << 16) | id, static_cast<LPARAM>(random.next())};
}

// The tray callback with its own identifier or another, and any mouse event but
// the right-button release, which opens the tray menu, and the double click,
// which unfolds (both sent apart).
Message RandomTrayEvent(Random& random) {
    static const UINT kEvents[] = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE,
                                   WM_RBUTTONDOWN, WM_RBUTTONDBLCLK, WM_CONTEXTMENU, WM_USER};
    const WPARAM id = random.below(2) == 0 ? kTrayId : random.next();
    LPARAM event = random.below(4) == 0 ? static_cast<LPARAM>(random.next()) : random.pick(kEvents);
    if (id == kTrayId && (event == WM_RBUTTONUP || event == WM_LBUTTONDBLCLK)) event = WM_RBUTTONDOWN;
    return {kTrayMessage, id, event};
}

// Input and housekeeping messages a window meets anyway, with odd values.
Message RandomWindowMessage(Random& random, HDC foreign_dc) {
    const WPARAM garbage = static_cast<WPARAM>(random.next()) | 0x10000;
    switch (random.below(9)) {
    case 0: return {WM_NCHITTEST, 0, static_cast<LPARAM>(random.next())};
    case 1: {
        WPARAM key = random.below(256);
        if (key == VK_APPS) key = VK_ESCAPE;  // VK_APPS opens the menu: sent apart
        return {WM_KEYDOWN, key, static_cast<LPARAM>(random.next())};
    }
    case 2: return {WM_KEYUP, random.below(256), static_cast<LPARAM>(random.next())};
    case 3: return {WM_MOUSEMOVE, random.below(16), static_cast<LPARAM>(random.next())};
    // A timer message with a procedure address would run that address.
    case 4: return {WM_TIMER, random.next(), 0};
    case 5: return {WM_PAINT, 0, 0};
    case 6: return {WM_ERASEBKGND, garbage, 0};
    case 7: return {WM_SIZE, random.below(5), static_cast<LPARAM>(random.next())};
    default: {
        // No device context, one of another process and a made-up handle.
        const WPARAM dcs[] = {0, reinterpret_cast<WPARAM>(foreign_dc), garbage};
        return {WM_PRINTCLIENT, random.pick(dcs), static_cast<LPARAM>(random.next())};
    }
    }
}

// The gadget handles sent messages only between frames (it sleeps out each
// frame's rest), but drains posted ones back to back. So the storm posts its
// messages and every few of them sends one that must be answered in time: a
// hang, or a crash that takes the window, shows within a few messages.
class Storm {
public:
    Storm(HWND hwnd, uint32_t seed)
        : hwnd_(hwnd), thread_(GetWindowThreadProcessId(hwnd, nullptr)), random_(seed),
          taskbar_created_(RegisterWindowMessageA(VG_TASKBAR_CREATED_MESSAGE)),
          foreign_dc_(CreateCompatibleDC(nullptr)) {}
    ~Storm() {
        if (foreign_dc_ != nullptr) DeleteDC(foreign_dc_);
    }
    Storm(const Storm&) = delete;
    Storm& operator=(const Storm&) = delete;

    // `count` random messages, with one fold half-way; false as soon as the
    // gadget does not answer in time.
    bool run(uint32_t count) {
        for (uint32_t i = 0; i < count; ++i) {
            if (i == count / 2 && !fold_step()) return false;
            if (!step()) return false;
        }
        return answers();
    }

    void report(const char* outcome) const {
        std::printf("outcome=%s\nposted=%lu\nchecks=%lu\nmodal=%lu\nmodal_entered=%lu\nfolds=%lu\n"
                    "alive=%d\n", outcome,
                    static_cast<unsigned long>(posted_), static_cast<unsigned long>(checks_),
                    static_cast<unsigned long>(modal_), static_cast<unsigned long>(modal_entered_),
                    static_cast<unsigned long>(folds_),
                    IsWindow(hwnd_) ? 1 : 0);
        std::printf("last=0x%x 0x%llx 0x%llx\n", last_.id,
                    static_cast<unsigned long long>(last_.wparam),
                    static_cast<unsigned long long>(last_.lparam));
    }

private:
    bool post(const Message& m) {
        last_ = m;
        ++posted_;
        if (PostMessageA(hwnd_, m.id, m.wparam, m.lparam)) return posted_ % 16 != 0 || answers();
        // A full queue empties once the gadget answers; a missing window does not.
        return answers() && PostMessageA(hwnd_, m.id, m.wparam, m.lparam);
    }

    bool answers(UINT timeout_ms = kHungMs) {
        ++checks_;
        DWORD_PTR result = 0;
        return SendMessageTimeoutA(hwnd_, WM_NULL, 0, 0, SMTO_NORMAL, timeout_ms, &result) != 0;
    }

    bool step() {
        // Modal loops take a few hundred milliseconds each: a few dozen per storm.
        if (random_.below(128) == 0) return modal_step();
        switch (random_.below(15)) {
        case 0: case 1: case 2: case 3: return post(RandomCommand(random_));
        case 4: case 5: case 6: return post(RandomTrayEvent(random_));
        case 7: {
            // A restarted taskbar announces itself to every window, often twice.
            for (uint32_t n = 1 + random_.below(8); n > 0; --n) {
                if (!post({taskbar_created_, 0, 0})) return false;
            }
            return true;
        }
        default: return post(RandomWindowMessage(random_, foreign_dc_));
        }
    }

    // Folded, the gadget meets a restarted taskbar (it puts its icon back) and
    // the usual traffic, then a double click on its icon unfolds it.
    bool fold_step() {
        ++folds_;
        if (!post({WM_COMMAND, kIconize, 0}) || !post({taskbar_created_, 0, 0}) ||
            !post({taskbar_created_, 0, 0})) {
            return false;
        }
        for (int i = 0; i < 50; ++i) {
            if (!post(RandomWindowMessage(random_, foreign_dc_))) return false;
        }
        return post({kTrayMessage, kTrayId, WM_LBUTTONDBLCLK}) && answers();
    }

    uint32_t modal_flags() const {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        if (!GetGUIThreadInfo(thread_, &info)) return 0;
        return info.flags & (GUI_INMENUMODE | GUI_INMOVESIZE | GUI_POPUPMENUMODE);
    }

    // Waits until the gadget's thread is (or is no longer) in a modal loop.
    bool wait_modal(bool in_loop, DWORD timeout_ms) const {
        const DWORD start = GetTickCount();
        while ((modal_flags() != 0) != in_loop) {
            if (GetTickCount() - start >= timeout_ms) return false;
            Sleep(10);
        }
        return true;
    }

    // Something that runs a modal loop inside the gadget (a menu, the keyboard
    // move), ended as the system ends it: cancel mode, then Escape. The loop
    // must be over within the limit and the gadget answer again.
    bool modal_step() {
        static const Message kModal[] = {
            {WM_COMMAND, kMove, 0},
            {kTrayMessage, kTrayId, WM_RBUTTONUP},
            {WM_RBUTTONUP, 0, 0},
            {WM_KEYDOWN, VK_APPS, 0},
        };
        ++modal_;
        if (!post(random_.pick(kModal)) || !answers()) return false;
        if (wait_modal(true, 500)) ++modal_entered_;  // a menu may fail to open: no fault
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(hwnd_, WM_CANCELMODE, 0, 0, SMTO_NORMAL, kHungMs, &result)) {
            return false;
        }
        PostMessageA(hwnd_, WM_KEYDOWN, VK_ESCAPE, 0);
        return wait_modal(false, kHungMs) && answers();
    }

    HWND hwnd_;
    DWORD thread_;
    Random random_;
    UINT taskbar_created_;
    HDC foreign_dc_;
    uint32_t posted_ = 0;
    uint32_t checks_ = 0;
    uint32_t modal_ = 0;
    uint32_t modal_entered_ = 0;
    uint32_t folds_ = 0;
    Message last_ = {};
};

}  // namespace

int StormSubcommand(HWND hwnd, int argc, char** argv) {
    if (argc < 4) return 1;
    Storm storm(hwnd, static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 0)));
    const bool answered = storm.run(static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 0)));
    storm.report(answered ? "answered" : (IsWindow(hwnd) ? "hung" : "gone"));
    return answered && IsWindow(hwnd) ? 0 : 1;
}

int StatsSubcommand(HWND hwnd, int, char**) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (process == nullptr) return 1;
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    const bool got = GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                                          sizeof memory) != 0;
    DWORD handles = 0;
    GetProcessHandleCount(process, &handles);
    // Processor time spent so far, kernel and user together, in milliseconds.
    FILETIME created, exited, kernel, user;
    unsigned long long cpu_ms = 0;
    if (GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        const auto ticks = [](const FILETIME& t) {
            return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
        };
        cpu_ms = (ticks(kernel) + ticks(user)) / 10000;
    }
    std::printf("cpu_ms=%llu\n", cpu_ms);
    std::printf("pid=%lu\nprivate_bytes=%llu\nworking_set=%llu\ngdi_objects=%lu\nuser_objects=%lu\n"
                "kernel_handles=%lu\n",
                static_cast<unsigned long>(pid), static_cast<unsigned long long>(memory.PrivateUsage),
                static_cast<unsigned long long>(memory.WorkingSetSize),
                static_cast<unsigned long>(GetGuiResources(process, GR_GDIOBJECTS)),
                static_cast<unsigned long>(GetGuiResources(process, GR_USEROBJECTS)),
                static_cast<unsigned long>(handles));
    CloseHandle(process);
    return got ? 0 : 1;
}

int TerminateSubcommand(HWND hwnd, int, char**) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (process == nullptr) return 1;
    const bool ended = TerminateProcess(process, 9) && WaitForSingleObject(process, 5000) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended ? 0 : 1;
}
