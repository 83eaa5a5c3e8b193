// The system libraries the program uses beyond those it imports (the multimedia
// timer, the performance-data helper and the session notifications). They are
// loaded from the system folder only, in one place, and freed in one place, so
// that a library of the same name beside the program never runs in it.
#pragma once

#include <windows.h>
#include <pdh.h>

// Each library's module, owned by the table, and its entry points: null when the
// library could not be loaded or lacks them.
struct WinmmLibrary {
    HMODULE module;
    DWORD(WINAPI* time_get_time)();
    UINT(WINAPI* time_begin_period)(UINT milliseconds);
    UINT(WINAPI* time_end_period)(UINT milliseconds);
};

// All entry points or none, but add_english_counter (which older systems lack);
// without them the samplers measure from the kernel's processor times.
struct PdhLibrary {
    HMODULE module;
    PDH_STATUS(WINAPI* open_query)(LPCSTR source, DWORD_PTR user_data, PDH_HQUERY* query);
    PDH_STATUS(WINAPI* add_counter)(PDH_HQUERY query, LPCSTR path, DWORD_PTR user_data,
                                    PDH_HCOUNTER* counter);
    PDH_STATUS(WINAPI* add_english_counter)(PDH_HQUERY query, LPCSTR path, DWORD_PTR user_data,
                                            PDH_HCOUNTER* counter);
    PDH_STATUS(WINAPI* collect_query_data)(PDH_HQUERY query);
    PDH_STATUS(WINAPI* get_raw_counter_value)(PDH_HCOUNTER counter, LPDWORD type,
                                              PPDH_RAW_COUNTER value);
    PDH_STATUS(WINAPI* calculate_counter_from_raw_value)(PDH_HCOUNTER counter, DWORD format,
                                                         PPDH_RAW_COUNTER newer,
                                                         PPDH_RAW_COUNTER older,
                                                         PPDH_FMT_COUNTERVALUE value);
    PDH_STATUS(WINAPI* close_query)(PDH_HQUERY query);
    // Set when a sampler may still be inside the library at the end: its code
    // then stays mapped until the process ends.
    bool still_used;
};

// Session change notifications (XP on); without them a locked session still
// gets frames.
struct WtsapiLibrary {
    HMODULE module;
    BOOL(WINAPI* register_session_notification)(HWND window, DWORD flags);
    BOOL(WINAPI* unregister_session_notification)(HWND window);
};

// Entry points that only newer versions of libraries every process has mapped
// (kernel32, user32) offer; null where the system lacks them.
struct NewerSystemFunctions {
    // Windows 7: lets one message from less privileged programs reach a window.
    BOOL(WINAPI* change_window_message_filter_ex)(HWND window, UINT message, DWORD action,
                                                  void* status);
    // Vista: the same for the whole process.
    BOOL(WINAPI* change_window_message_filter)(UINT message, DWORD flag);
    // Windows 7: the processors of every group.
    DWORD(WINAPI* get_active_processor_count)(WORD group);
    // XP: the machine's own system information, not the 32-bit emulation's.
    void(WINAPI* get_native_system_info)(SYSTEM_INFO* info);
    // Vista: power setting changes (the display going off and on).
    HANDLE(WINAPI* register_power_setting_notification)(HANDLE recipient, const GUID* setting,
                                                         DWORD flags);
    BOOL(WINAPI* unregister_power_setting_notification)(HANDLE notification);
    // Windows 10 (1607): the DPI of a window's monitor, and metrics at a DPI.
    UINT(WINAPI* get_dpi_for_window)(HWND window);
    int(WINAPI* get_system_metrics_for_dpi)(int index, UINT dpi);
};

struct SystemLibraries {
    WinmmLibrary winmm;
    PdhLibrary pdh;
    WtsapiLibrary wtsapi;
    NewerSystemFunctions newer;
};
extern SystemLibraries system_libraries;

// LoadLibraryExA searching the system folder only; on systems that do not know
// that restriction, the library's full path in the system folder.
HMODULE LoadFromSystemFolder(const char* name);

// Once, first thing at start: takes the program's folder and the current
// directory out of every later library search where the system allows it, then
// fills system_libraries through `load` (tests pass one that refuses a library).
void LoadSystemLibraries(HMODULE (*load)(const char* name) = LoadFromSystemFolder);
// Once, at the very end: frees what LoadSystemLibraries loaded and empties the table.
void FreeSystemLibraries();
