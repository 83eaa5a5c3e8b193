// The one table of the system calls that tests replace, grouped by what they
// reach. The program makes each of these calls through its entry here and
// nowhere else, so a test that swaps an entry (or the whole table, with
// ScopedPlatform) sees every use of that call.
//
// Adding an entry: declare it in the group of what it reaches, with the real
// function as its default (a call the program imports, or a small function of
// this folder); an entry point looked up at run time defaults to null, is
// filled by LoadSystemLibraries (platform/win32_system_libraries.cpp) and is
// emptied again by FreeSystemLibraries; its callers check it for null, which
// is what a system without it gives. Then make every caller go through it.
#pragma once

#include <windows.h>
#include <pdh.h>
#include <process.h>
#include <shellapi.h>
#include <wtsapi32.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32_clock.h"
#include "platform/win32_files.h"
#include "platform/win32_monitors.h"
#include "platform/win32_registry.h"

struct IUnknown;

// The kernel's own system information query (NtQuerySystemInformation).
using QuerySystemInformationFunction = LONG(WINAPI*)(ULONG kind, PVOID buffer, ULONG size,
                                                     PULONG length);

struct Platform {
    // The desktop (user32, and the user interface language): what a test
    // cannot let happen for real (modal menus, message boxes) or cannot see.
    struct WindowManager {
        BOOL(WINAPI* track_popup_menu)(HMENU menu, UINT flags, int x, int y, int reserved,
                                       HWND owner, const RECT* rect) = TrackPopupMenu;
        int(WINAPI* message_box)(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) = MessageBoxW;
        BOOL(WINAPI* cursor_pos)(LPPOINT point) = GetCursorPos;
        BOOL(WINAPI* window_placement)(HWND window, WINDOWPLACEMENT* placement) = GetWindowPlacement;
        BOOL(WINAPI* show_window)(HWND window, int command) = ShowWindow;
        HDC(WINAPI* get_dc)(HWND window) = GetDC;
        int(WINAPI* release_dc)(HWND window, HDC dc) = ReleaseDC;
        BOOL(WINAPI* monitor_info)(HMONITOR monitor, LPMONITORINFO info) = GetMonitorInfoA;
        LANGID(WINAPI* ui_language)() = GetUserDefaultUILanguage;
        // What screen readers are told of the window's accessible parts.
        void(WINAPI* notify_win_event)(DWORD event, HWND window, LONG object_id,
                                       LONG child) = NotifyWinEvent;

        // Newer user32 only, at run time:
        // Windows 7: lets one message from less privileged programs reach a window.
        BOOL(WINAPI* change_window_message_filter_ex)(HWND window, UINT message, DWORD action,
                                                      void* status) = nullptr;
        // Vista: the same for the whole process.
        BOOL(WINAPI* change_window_message_filter)(UINT message, DWORD flag) = nullptr;
        // Vista: power setting changes (the display going off and on); both or neither.
        HANDLE(WINAPI* register_power_setting_notification)(HANDLE recipient, const GUID* setting,
                                                             DWORD flags) = nullptr;
        BOOL(WINAPI* unregister_power_setting_notification)(HANDLE notification) = nullptr;
        // Windows 10 (1607): the DPI of a window's monitor, and metrics at a DPI.
        UINT(WINAPI* dpi_for_window)(HWND window) = nullptr;
        int(WINAPI* system_metrics_for_dpi)(int index, UINT dpi) = nullptr;
        // Windows 8.1 (shcore.dll): a monitor's DPI, where the window's is missing.
        HRESULT(WINAPI* dpi_for_monitor)(HMONITOR monitor, int kind, UINT* dpi_x,
                                         UINT* dpi_y) = nullptr;
        // Vista (the common controls 6): an icon at any size, scaled down from
        // the next larger image rather than up from a smaller one.
        HRESULT(WINAPI* load_icon_with_scale_down)(HINSTANCE module, PCWSTR name, int width,
                                                   int height, HICON* icon) = nullptr;
    };

    // The shell's notification area. A refused request leaves its reason as
    // the thread's last error, as Shell_NotifyIconW does.
    struct Shell {
        BOOL(WINAPI* notify_icon)(DWORD message, PNOTIFYICONDATAW data) = Shell_NotifyIconW;
        bool (*taskbar_exists)() = TaskbarExists;
    };

    // Where the settings file may live, and replacing it.
    struct Files {
        BOOL(WINAPI* replace)(LPCWSTR from, LPCWSTR to, DWORD flags) = MoveFileExW;
        std::wstring (*app_data_folder)() = AppDataFolder;
        bool (*writable_beside)(const std::wstring& file) = WritableBeside;
    };

    // The gadget's value under the user's Run key, and the Startup page's record of it.
    struct Registry {
        bool (*read_run_value)(std::wstring& data) = ReadRunValue;
        bool (*write_run_value)(const std::wstring& data) = WriteRunValue;
        bool (*remove_run_value)() = RemoveRunValue;
        bool (*read_startup_record)(DWORD& type, std::vector<uint8_t>& data) = ReadStartupRecord;
        bool (*write_startup_record)(DWORD type, const std::vector<uint8_t>& data) = WriteStartupRecord;
        bool (*remove_startup_record)() = RemoveStartupRecord;
    };

    // Time and waiting. `time` runs the frames, the meter's movements and the
    // samplers' turns.
    struct Clock {
        DWORD(WINAPI* time)() = MillisecondClock;
        void(WINAPI* sleep)(DWORD milliseconds) = Sleep;
        UINT(WINAPI* begin_period)(UINT milliseconds) = BeginTimerPeriod;
        UINT(WINAPI* end_period)(UINT milliseconds) = EndTimerPeriod;
        bool(WINAPI* wait_for_messages)(DWORD milliseconds) = WaitForMessages;
    };

    // The physical memory: the meter, the tray and the tooltip read it alike.
    struct Memory {
        BOOL(WINAPI* status)(LPMEMORYSTATUSEX status) = GlobalMemoryStatusEx;
    };

    // The debugger output, the one diagnostic the program writes (the processor report).
    struct Debugger {
        void(WINAPI* output)(LPCSTR text) = OutputDebugStringA;
    };

    // Threads and the kernel objects they wait on.
    struct Threads {
        uintptr_t(__cdecl* begin_thread)(void* security, unsigned stack_size,
                                         unsigned(__stdcall* start)(void*), void* argument,
                                         unsigned flags, unsigned* id) = _beginthreadex;
        HANDLE(WINAPI* create_event)(LPSECURITY_ATTRIBUTES attributes, BOOL manual_reset,
                                     BOOL initially_set, LPCWSTR name) = CreateEventW;
        HANDLE(WINAPI* create_mutex)(LPSECURITY_ATTRIBUTES attributes, BOOL owned,
                                     LPCSTR name) = CreateMutexA;

        // Vista, at run time: condition variables (kernel32), all three or none.
        // The headers of the oldest supported system declare the type but not
        // these functions.
        void(WINAPI* initialize_condition_variable)(PCONDITION_VARIABLE condition) = nullptr;
        BOOL(WINAPI* sleep_condition_variable_cs)(PCONDITION_VARIABLE condition,
                                                  PCRITICAL_SECTION lock,
                                                  DWORD milliseconds) = nullptr;
        void(WINAPI* wake_all_condition_variable)(PCONDITION_VARIABLE condition) = nullptr;
    };

    // The performance-data helper (pdh.dll), at run time: all entry points or
    // none, but add_english_counter, which older systems lack.
    struct Performance {
        PDH_STATUS(WINAPI* open_query)(LPCSTR source, DWORD_PTR user_data,
                                       PDH_HQUERY* query) = nullptr;
        PDH_STATUS(WINAPI* add_counter)(PDH_HQUERY query, LPCSTR path, DWORD_PTR user_data,
                                        PDH_HCOUNTER* counter) = nullptr;
        PDH_STATUS(WINAPI* add_english_counter)(PDH_HQUERY query, LPCSTR path,
                                                DWORD_PTR user_data,
                                                PDH_HCOUNTER* counter) = nullptr;
        PDH_STATUS(WINAPI* collect_query_data)(PDH_HQUERY query) = nullptr;
        PDH_STATUS(WINAPI* get_raw_counter_value)(PDH_HCOUNTER counter, LPDWORD type,
                                                  PPDH_RAW_COUNTER value) = nullptr;
        PDH_STATUS(WINAPI* calculate_counter_from_raw_value)(PDH_HCOUNTER counter, DWORD format,
                                                             PPDH_RAW_COUNTER newer,
                                                             PPDH_RAW_COUNTER older,
                                                             PPDH_FMT_COUNTERVALUE value) = nullptr;
        PDH_STATUS(WINAPI* close_query)(PDH_HQUERY query) = nullptr;
        // Set when a sampler may still be inside the library at the end: its
        // code then stays mapped, and these entries filled, until the process ends.
        bool still_used = false;
    };

    // Session change notifications (wtsapi32.dll, XP on), at run time; both or
    // neither. A refused registration leaves its reason as the last error.
    struct Sessions {
        BOOL(WINAPI* register_notification)(HWND window, DWORD flags) = nullptr;
        BOOL(WINAPI* unregister_notification)(HWND window) = nullptr;
        // A session's state, in memory the second entry frees; both or neither.
        BOOL(WINAPI* query_information)(HANDLE server, DWORD session, WTS_INFO_CLASS kind,
                                        LPWSTR* buffer, DWORD* bytes) = nullptr;
        void(WINAPI* free_memory)(PVOID memory) = nullptr;
    };

    // The machine, at run time.
    struct System {
        // ntdll: the kernel's per-processor times (not part of the documented interface).
        QuerySystemInformationFunction query_system_information = nullptr;
        // Windows 7: the processors of every group.
        DWORD(WINAPI* active_processor_count)(WORD group) = nullptr;
        // XP: the machine's own system information, not the 32-bit emulation's.
        void(WINAPI* native_system_info)(SYSTEM_INFO* info) = nullptr;
        // ntdll: Windows' true version, whatever a program without a
        // compatibility manifest is told.
        LONG(WINAPI* version)(RTL_OSVERSIONINFOW* info) = nullptr;
    };

    // Screen readers and UI Automation, at run time: the accessibility library
    // (oleacc.dll) that hands the gadget's own object over and the strings the
    // object answers in (oleaut32.dll); COM for it (ole32.dll) is the loader's
    // own (PrepareAccessibility). All or none.
    struct Accessibility {
        LRESULT(WINAPI* lresult_from_object)(const GUID& interface_id, WPARAM wparam,
                                             IUnknown* object) = nullptr;
        HRESULT(WINAPI* object_from_window)(HWND window, DWORD object_id, const GUID& interface_id,
                                            void** object) = nullptr;
        wchar_t*(WINAPI* alloc_string)(const wchar_t* text) = nullptr;
    };

    WindowManager window_manager;
    Shell shell;
    Files files;
    Registry registry;
    Clock clock;
    Memory memory;
    Debugger debugger;
    Threads threads;
    Performance performance;
    Sessions sessions;
    System system;
    Accessibility accessibility;
};

extern Platform platform;

// Keeps the whole table as it was and puts it back when it goes: a test changes
// any entries in between and leaves nothing behind.
class ScopedPlatform {
public:
    ScopedPlatform() : saved_(platform) {}
    ~ScopedPlatform() { platform = saved_; }

private:
    ScopedPlatform(const ScopedPlatform&) = delete;
    ScopedPlatform& operator=(const ScopedPlatform&) = delete;
    const Platform saved_;
};
