// Looks at and pokes the running gadget from outside, for the end-to-end tests:
// one subcommand per run, results on stdout as key=value lines. Exit code 0 on
// success, 1 on a usage error or a failed call, 2 when the gadget's window is
// not there.
#include <windows.h>
#include <commctrl.h>

#include "resources/resource_ids.h"
#include "tools/probe/probe_accessible.h"
#include "tools/probe/probe_load.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kNoWindow = 2;

HWND FindGadget() { return FindWindowA(VG_WINDOW_CLASS, nullptr); }

struct Symbol {
    const char* name;
    UINT value;
};

const Symbol kMessages[] = {
    {"WM_CLOSE", WM_CLOSE},           {"WM_COMMAND", WM_COMMAND},
    {"WM_NCHITTEST", WM_NCHITTEST},   {"WM_KEYDOWN", WM_KEYDOWN},
    {"WM_KEYUP", WM_KEYUP},           {"WM_RBUTTONUP", WM_RBUTTONUP},
    {"WM_LBUTTONDOWN", WM_LBUTTONDOWN}, {"WM_LBUTTONDBLCLK", WM_LBUTTONDBLCLK},
    {"WM_QUERYENDSESSION", WM_QUERYENDSESSION}, {"WM_ENDSESSION", WM_ENDSESSION},
    {"WM_PRINTCLIENT", WM_PRINTCLIENT}, {"TRAY", kTrayMessage},
    {"WM_WTSSESSION_CHANGE", WM_WTSSESSION_CHANGE}, {"WM_POWERBROADCAST", WM_POWERBROADCAST},
};

// A decimal or 0x-hexadecimal number, or one of the symbols above.
bool ParseValue(const char* text, uintptr_t& value) {
    for (const Symbol& symbol : kMessages) {
        if (std::strcmp(text, symbol.name) == 0) {
            value = symbol.value;
            return true;
        }
    }
    char* end = nullptr;
    const bool negative = text[0] == '-';
    const unsigned long long magnitude = std::strtoull(text + (negative ? 1 : 0), &end, 0);
    if (end == text || *end != '\0') return false;
    value = static_cast<uintptr_t>(negative ? 0 - magnitude : magnitude);
    return true;
}

DWORD TimeoutArgument(int argc, char** argv, int index, DWORD fallback) {
    return argc > index ? static_cast<DWORD>(std::strtoul(argv[index], nullptr, 0)) : fallback;
}

void PrintWindow(HWND hwnd) {
    char title[256] = "";
    GetWindowTextA(hwnd, title, sizeof title);
    RECT rect = {};
    GetWindowRect(hwnd, &rect);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    std::printf("hwnd=0x%llx\ntitle=%s\nleft=%ld\ntop=%ld\nright=%ld\nbottom=%ld\n",
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(hwnd)), title,
                rect.left, rect.top, rect.right, rect.bottom);
    const LONG ex_style = GetWindowLongA(hwnd, GWL_EXSTYLE);
    std::printf("visible=%d\nstyle=0x%08lx\nexstyle=0x%08lx\npid=%lu\ntopmost=%d\n",
                IsWindowVisible(hwnd) ? 1 : 0,
                static_cast<unsigned long>(GetWindowLongA(hwnd, GWL_STYLE)),
                static_cast<unsigned long>(ex_style), static_cast<unsigned long>(pid),
                (ex_style & WS_EX_TOPMOST) != 0 ? 1 : 0);
    // The opacity the system holds for a layered window; -1 when it is not layered.
    BYTE alpha = 0;
    DWORD flags = 0;
    const bool layered = (ex_style & WS_EX_LAYERED) != 0 &&
                         GetLayeredWindowAttributes(hwnd, nullptr, &alpha, &flags) &&
                         (flags & LWA_ALPHA) != 0;
    std::printf("alpha=%d\n", layered ? alpha : -1);
    // Whether the window's thread is in the system's move loop (a drag).
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    const bool moving = GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &thread) &&
                        (thread.flags & GUI_INMOVESIZE) != 0;
    std::printf("moving=%d\n", moving ? 1 : 0);
    // The session the gadget runs in: a posted WM_WTSSESSION_CHANGE must name it.
    DWORD session = 0;
    std::printf("session=%lu\n", ProcessIdToSessionId(pid, &session) ? session : 0ul);
}

// The visible popup menu of the gadget's thread, if one is open.
HWND FindOpenMenu(HWND gadget) {
    const DWORD thread = GetWindowThreadProcessId(gadget, nullptr);
    HWND found = nullptr;
    for (HWND menu = FindWindowExA(nullptr, nullptr, "#32768", nullptr); menu != nullptr;
         menu = FindWindowExA(nullptr, menu, "#32768", nullptr)) {
        if (IsWindowVisible(menu) && GetWindowThreadProcessId(menu, nullptr) == thread) found = menu;
    }
    return found;
}

// Waits for a popup menu of the gadget to be open and prints its place and, as
// far as this process can read the menu, its items with their check marks.
int Menu(HWND hwnd, int argc, char** argv) {
    const DWORD timeout = TimeoutArgument(argc, argv, 2, 5000);
    const DWORD start = GetTickCount();
    HWND menu = nullptr;
    while ((menu = FindOpenMenu(hwnd)) == nullptr) {
        if (GetTickCount() - start >= timeout) {
            std::printf("menu=none\n");
            return kFailed;
        }
        Sleep(50);
    }
    RECT rect = {};
    GetWindowRect(menu, &rect);
    std::printf("menu=0x%llx\nleft=%ld\ntop=%ld\nright=%ld\nbottom=%ld\n",
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(menu)), rect.left,
                rect.top, rect.right, rect.bottom);
    const HMENU items = reinterpret_cast<HMENU>(SendMessageA(menu, 0x01E1 /* MN_GETHMENU */, 0, 0));
    const int count = items != nullptr ? GetMenuItemCount(items) : -1;
    std::printf("items=%d\n", count);
    for (int i = 0; i < count; ++i) {
        char text[128] = "";
        GetMenuStringA(items, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        const UINT state = GetMenuState(items, static_cast<UINT>(i), MF_BYPOSITION);
        std::printf("item%d=%u %d %s\n", i, GetMenuItemID(items, i), (state & MF_CHECKED) ? 1 : 0,
                    text);
    }
    return kOk;
}

// Holds a file open without sharing, as an editor or a virus scanner may, so that
// nobody else can open it meanwhile; with "shared", open for reading and writing
// and letting others read and write, as a search indexer or a sync client does.
int HoldFile(HWND, int argc, char** argv) {
    if (argc < 4) return kFailed;
    const bool shared = argc > 4 && std::strcmp(argv[4], "shared") == 0;
    const HANDLE file =
        CreateFileA(argv[2], shared ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ,
                    shared ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::printf("held=0\n");
        return kFailed;
    }
    std::printf("held=1\n");
    std::fflush(stdout);
    Sleep(static_cast<DWORD>(std::strtoul(argv[3], nullptr, 0)));
    CloseHandle(file);
    return kOk;
}

// The gadget's tooltip control, or null.
HWND FindTooltip(HWND gadget) {
    DWORD process = 0;
    GetWindowThreadProcessId(gadget, &process);
    for (HWND tip = FindWindowExA(nullptr, nullptr, TOOLTIPS_CLASSA, nullptr); tip != nullptr;
         tip = FindWindowExA(nullptr, tip, TOOLTIPS_CLASSA, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(tip, &owner);
        if (owner == process) return tip;
    }
    return nullptr;
}

// The lines the tooltip shows now. The control answers WM_GETTEXT with its
// current text, which the system carries across processes.
int TipLines(HWND tip, char (&utf8)[8192], char* lines[16]) {
    wchar_t text[2048] = L"";
    const LRESULT length = SendMessageW(tip, WM_GETTEXT, sizeof text / sizeof text[0],
                                        reinterpret_cast<LPARAM>(text));
    utf8[0] = '\0';
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), utf8,
                                          sizeof utf8 - 1, nullptr, nullptr);
    utf8[bytes > 0 ? bytes : 0] = '\0';
    if (utf8[0] == '\0') return 0;
    int count = 0;
    for (char* start = utf8; start != nullptr && count < 16;) {
        char* end = std::strchr(start, '\n');
        if (end != nullptr) *end = '\0';
        const size_t cut = std::strlen(start);
        if (cut > 0 && start[cut - 1] == '\r') start[cut - 1] = '\0';
        lines[count++] = start;
        start = end != nullptr ? end + 1 : nullptr;
    }
    return count;
}

// Its maximum width (-1, unset, makes the common controls of Windows ignore
// line breaks), whether it is shown and where, and its lines in UTF-8 as
// line0=, line1=, ...
void PrintTooltip(HWND tip) {
    std::printf("tooltip=0x%llx\nmax_width=%ld\n",
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(tip)),
                static_cast<long>(SendMessageA(tip, TTM_GETMAXTIPWIDTH, 0, 0)));
    RECT rect = {};
    GetWindowRect(tip, &rect);
    std::printf("shown=%d\nleft=%ld\ntop=%ld\nright=%ld\nbottom=%ld\n",
                IsWindowVisible(tip) ? 1 : 0, rect.left, rect.top, rect.right, rect.bottom);
    char utf8[8192];
    char* lines[16];
    const int count = TipLines(tip, utf8, lines);
    for (int i = 0; i < count; ++i) std::printf("line%d=%s\n", i, lines[i]);
}

int Tooltip(HWND hwnd, int, char**) {
    const HWND tip = FindTooltip(hwnd);
    if (tip == nullptr) {
        std::printf("tooltip=none\n");
        return kFailed;
    }
    PrintTooltip(tip);
    return kOk;
}

// Waits for the tooltip to be shown with at least LINES lines, and prints how
// long that took from the first moment it was seen shown (it comes up only
// after the cursor rested a moment), then the tooltip as above. Polled within
// this process, so the time is not that of starting a probe.
int TooltipWait(HWND hwnd, int argc, char** argv) {
    if (argc < 3) return kFailed;
    const int wanted = std::atoi(argv[2]);
    const DWORD timeout = TimeoutArgument(argc, argv, 3, 5000);
    const DWORD start = GetTickCount();
    bool seen_shown = false;
    DWORD shown_at = 0;
    for (;;) {
        const HWND tip = FindTooltip(hwnd);
        const bool shown = tip != nullptr && IsWindowVisible(tip);
        if (shown && !seen_shown) shown_at = GetTickCount();
        seen_shown = seen_shown || shown;
        char utf8[8192];
        char* lines[16];
        if (shown && TipLines(tip, utf8, lines) >= wanted) {
            std::printf("waited_ms=%lu\n", static_cast<unsigned long>(GetTickCount() - shown_at));
            PrintTooltip(tip);
            return kOk;
        }
        if (GetTickCount() - start >= timeout) {
            std::printf("waited_ms=none\nseen_shown=%d\n", seen_shown ? 1 : 0);
            if (tip != nullptr) PrintTooltip(tip);
            return kFailed;
        }
        Sleep(20);
    }
}

// Closes whatever menu the gadget has open, as a click elsewhere would.
int CloseMenu(HWND hwnd, int, char**) {
    return PostMessageA(hwnd, WM_CANCELMODE, 0, 0) ? kOk : kFailed;
}

// Waits for the window's process to end; it is opened while the window still
// names it, before anything asks the gadget to close.
class ProcessWaiter {
public:
    explicit ProcessWaiter(HWND hwnd) {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        process_ = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
    }
    ~ProcessWaiter() {
        if (process_ != nullptr) CloseHandle(process_);
    }
    ProcessWaiter(const ProcessWaiter&) = delete;
    ProcessWaiter& operator=(const ProcessWaiter&) = delete;

    // Also prints how long the process took to end, from the call on: the
    // caller asks the gadget to end just before.
    int wait(DWORD timeout_ms) {
        if (process_ == nullptr) return kFailed;
        LARGE_INTEGER frequency, start, end;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        const bool ended = WaitForSingleObject(process_, timeout_ms) == WAIT_OBJECT_0;
        QueryPerformanceCounter(&end);
        std::printf("elapsed_ms=%.1f\n",
                    static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 /
                        static_cast<double>(frequency.QuadPart));
        if (!ended) {
            std::printf("exited=0\n");
            return kFailed;
        }
        DWORD code = 0;
        GetExitCodeProcess(process_, &code);
        std::printf("exited=1\nexit_code=%lu\n", static_cast<unsigned long>(code));
        return kOk;
    }

private:
    HANDLE process_ = nullptr;
};

int WaitWindow(HWND, int argc, char** argv) {
    const DWORD timeout = TimeoutArgument(argc, argv, 2, 10000);
    const DWORD start = GetTickCount();
    for (;;) {
        HWND hwnd = FindGadget();
        if (hwnd != nullptr) {
            std::printf("hwnd=0x%llx\n", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(hwnd)));
            return kOk;
        }
        if (GetTickCount() - start >= timeout) {
            std::printf("window=none\n");
            return kNoWindow;
        }
        Sleep(50);
    }
}

// Every gadget window on the desktop, whichever folder it was started from.
int Windows(HWND, int, char**) {
    int count = 0;
    for (HWND window = FindWindowExA(nullptr, nullptr, VG_WINDOW_CLASS, nullptr); window != nullptr;
         window = FindWindowExA(nullptr, window, VG_WINDOW_CLASS, nullptr)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        std::printf("window%d=pid %lu visible %d\n", count++, static_cast<unsigned long>(pid),
                    IsWindowVisible(window) ? 1 : 0);
    }
    std::printf("count=%d\n", count);
    return kOk;
}

int Info(HWND hwnd, int, char**) {
    PrintWindow(hwnd);
    return kOk;
}

// MSG WPARAM LPARAM from argv[2..4].
bool MessageArguments(int argc, char** argv, uintptr_t values[3]) {
    if (argc < 5) return false;
    for (int i = 0; i < 3; ++i) {
        if (!ParseValue(argv[2 + i], values[i])) return false;
    }
    return true;
}

int Send(HWND hwnd, int argc, char** argv) {
    uintptr_t v[3];
    if (!MessageArguments(argc, argv, v)) return kFailed;
    const LRESULT result = SendMessageA(hwnd, static_cast<UINT>(v[0]), v[1], static_cast<LPARAM>(v[2]));
    std::printf("result=%lld\n", static_cast<long long>(result));
    return kOk;
}

int Post(HWND hwnd, int argc, char** argv) {
    uintptr_t v[3];
    if (!MessageArguments(argc, argv, v)) return kFailed;
    return PostMessageA(hwnd, static_cast<UINT>(v[0]), v[1], static_cast<LPARAM>(v[2])) ? kOk : kFailed;
}

int Command(HWND hwnd, int argc, char** argv) {
    uintptr_t id;
    if (argc < 3 || !ParseValue(argv[2], id)) return kFailed;
    return PostMessageA(hwnd, WM_COMMAND, id, 0) ? kOk : kFailed;
}

int TaskbarCreated(HWND hwnd, int, char**) {
    const UINT message = RegisterWindowMessageA(VG_TASKBAR_CREATED_MESSAGE);
    std::printf("message=0x%x\n", message);
    return PostMessageA(hwnd, message, 0, 0) ? kOk : kFailed;
}

int Tray(HWND hwnd, int argc, char** argv) {
    uintptr_t event;
    if (argc < 3 || !ParseValue(argv[2], event)) return kFailed;
    return PostMessageA(hwnd, kTrayMessage, kTrayId, static_cast<LPARAM>(event)) ? kOk : kFailed;
}

int WaitExit(HWND hwnd, int argc, char** argv) {
    ProcessWaiter waiter(hwnd);
    return waiter.wait(TimeoutArgument(argc, argv, 2, 10000));
}

int CloseAndWait(HWND hwnd, int argc, char** argv) {
    ProcessWaiter waiter(hwnd);
    if (!PostMessageA(hwnd, WM_CLOSE, 0, 0)) return kFailed;
    return waiter.wait(TimeoutArgument(argc, argv, 2, 10000));
}

// A menu command, Exit (40005) for one, and the wait for the process to end.
int CommandAndWait(HWND hwnd, int argc, char** argv) {
    uintptr_t id;
    if (argc < 3 || !ParseValue(argv[2], id)) return kFailed;
    ProcessWaiter waiter(hwnd);
    if (!PostMessageA(hwnd, WM_COMMAND, id, 0)) return kFailed;
    return waiter.wait(TimeoutArgument(argc, argv, 3, 10000));
}

// The Applications key makes the gadget swallow the next close; the flood after
// it must still end the gadget once, cleanly, with the rest finding no window.
int CloseFlood(HWND hwnd, int argc, char** argv) {
    ProcessWaiter waiter(hwnd);
    const unsigned long count = argc > 2 ? std::strtoul(argv[2], nullptr, 0) : 100;
    PostMessageA(hwnd, WM_KEYUP, VK_APPS, 0);
    for (unsigned long i = 0; i < count; ++i) PostMessageA(hwnd, WM_CLOSE, 0, 0);
    return waiter.wait(TimeoutArgument(argc, argv, 3, 10000));
}

struct Subcommand {
    const char* name;
    bool needs_window;  // the window must exist before the handler runs
    int (*run)(HWND hwnd, int argc, char** argv);
    const char* usage;
};

const Subcommand kSubcommands[] = {
    {"wait-window", false, WaitWindow, "wait-window [timeout_ms]"},
    {"info", true, Info, "info"},
    {"windows", false, Windows, "windows (counts and lists every gadget window)"},
    {"send", true, Send, "send MSG WPARAM LPARAM"},
    {"post", true, Post, "post MSG WPARAM LPARAM"},
    {"command", true, Command, "command ID"},
    {"taskbar-created", true, TaskbarCreated, "taskbar-created"},
    {"tray", true, Tray, "tray EVENT (WM_LBUTTONDBLCLK, WM_RBUTTONUP or a number)"},
    {"wait-exit", true, WaitExit, "wait-exit [timeout_ms]"},
    {"close-and-wait", true, CloseAndWait, "close-and-wait [timeout_ms]"},
    {"command-and-wait", true, CommandAndWait, "command-and-wait ID [timeout_ms]"},
    {"menu", true, Menu, "menu [timeout_ms] (waits for an open popup menu and lists it)"},
    {"close-menu", true, CloseMenu, "close-menu"},
    {"tooltip", true, Tooltip, "tooltip (the gadget's tooltip control: maximum width, place, the lines it shows)"},
    {"tooltip-wait", true, TooltipWait, "tooltip-wait LINES [timeout_ms] (until it is shown with that many lines)"},
    {"hold-file", false, HoldFile, "hold-file PATH MS [shared] (keeps the file open, unshared or shared)"},
    {"close-flood", true, CloseFlood, "close-flood [count] [timeout_ms]"},
    {"storm", true, StormSubcommand, "storm SEED COUNT (random messages; fails when one hangs)"},
    {"stats", true, StatsSubcommand, "stats (memory and handle figures of the gadget's process)"},
    {"terminate", true, TerminateSubcommand, "terminate (ends the gadget at once, exit code 9)"},
    {"accessible", true, AccessibleSubcommand,
     "accessible (the client object and its children as a screen reader reads them)"},
};

int Usage() {
    std::fprintf(stderr, "usage: probe SUBCOMMAND ...\n");
    for (const Subcommand& subcommand : kSubcommands) std::fprintf(stderr, "  %s\n", subcommand.usage);
    return kFailed;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    for (const Subcommand& subcommand : kSubcommands) {
        if (std::strcmp(argv[1], subcommand.name) != 0) continue;
        HWND hwnd = nullptr;
        if (subcommand.needs_window) {
            hwnd = FindGadget();
            if (hwnd == nullptr) {
                std::printf("window=none\n");
                return kNoWindow;
            }
        }
        const int code = subcommand.run(hwnd, argc, argv);
        std::fflush(stdout);
        return code;
    }
    return Usage();
}
