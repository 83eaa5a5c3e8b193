// The system libraries the program uses beyond those it imports (the multimedia
// timer, the performance-data helper, the session notifications, the
// monitors' scale and what answers screen readers), and the
// entry points that only newer versions of the libraries every process has
// mapped offer. They are loaded from the system folder only, in one place, and
// freed in one place, so that a library of the same name beside the program
// never runs in it.
//
// Contract: LoadSystemLibraries runs once, first thing at start, and fills the
// run-time entries of the platform table (platform/win32_platform.h): those of
// the performance data, the sessions, the system, the accessibility, the
// newer window manager and the threads' condition variables.
// Each is null where its library or entry point is missing, and entries that
// only work as a pair are both null when one is. FreeSystemLibraries, once at
// the very end, frees the libraries and empties those entries again, but keeps
// the performance-data helper (entries and code) when a sampler may still be
// inside it (platform.performance.still_used), and ends COM on its thread
// when PrepareAccessibility started it.
#pragma once

#include <windows.h>

// The multimedia timer, the clock's own (platform/win32_clock.h): its module,
// owned here, and its entry points; null when the library could not be loaded
// or lacks them.
struct WinmmLibrary {
    HMODULE module;
    DWORD(WINAPI* time_get_time)();
    UINT(WINAPI* time_begin_period)(UINT milliseconds);
    UINT(WINAPI* time_end_period)(UINT milliseconds);
};

// The modules loaded at run time; null when not loaded.
struct SystemLibraries {
    WinmmLibrary winmm;
    HMODULE pdh;
    HMODULE wtsapi;
    HMODULE oleacc;
    HMODULE oleaut32;
    HMODULE ole32;
    HMODULE shcore;
    // COM for the accessible object, started on the window's thread by
    // PrepareAccessibility; null without the rest of the accessibility entries.
    HRESULT(WINAPI* initialize_com)(void* reserved, DWORD model);
    void(WINAPI* uninitialize_com)();
    bool com_started;
};
extern SystemLibraries system_libraries;

// LoadLibraryExA searching the system folder only; on systems that do not know
// that restriction, the library's full path in the system folder.
HMODULE LoadFromSystemFolder(const char* name);

// Takes the program's folder and the current directory out of every later
// library search where the system allows it, then loads through `load` (tests
// pass one that refuses a library).
void LoadSystemLibraries(HMODULE (*load)(const char* name) = LoadFromSystemFolder);
void FreeSystemLibraries();

// On the window's thread, when a screen reader first asks: starts COM there,
// single-threaded, so the accessible object's calls come in through the
// message loop. False when the accessibility entries are missing or COM would
// not start.
bool PrepareAccessibility();
