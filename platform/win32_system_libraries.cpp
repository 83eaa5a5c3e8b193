#include "platform/win32_system_libraries.h"

#include <cstring>

SystemLibraries system_libraries = {};

namespace {

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

template <typename Function>
void Find(HMODULE module, const char* name, Function& function) {
    // Through the catch-all function type: FARPROC's own signature matches nothing.
    function = reinterpret_cast<Function>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// For entry points that only work as a pair: one without the other would start
// what cannot be ended.
template <typename First, typename Second>
void BothOrNeither(First& first, Second& second) {
    if (first == nullptr || second == nullptr) {
        first = nullptr;
        second = nullptr;
    }
}

// A library without the entry points the program needs stays loaded, but unused,
// until FreeSystemLibraries frees it with the others.
void LoadWinmm(HMODULE module, WinmmLibrary& winmm) {
    winmm = {};
    winmm.module = module;
    if (module == nullptr) return;
    Find(module, "timeGetTime", winmm.time_get_time);
    Find(module, "timeBeginPeriod", winmm.time_begin_period);
    Find(module, "timeEndPeriod", winmm.time_end_period);
    // A request that could not be given back would hold the finer timer past
    // the program's end.
    BothOrNeither(winmm.time_begin_period, winmm.time_end_period);
}

void LoadPdh(HMODULE module, PdhLibrary& pdh) {
    pdh = {};
    pdh.module = module;
    if (module == nullptr) return;
    Find(module, "PdhOpenQueryA", pdh.open_query);
    Find(module, "PdhAddCounterA", pdh.add_counter);
    Find(module, "PdhAddEnglishCounterA", pdh.add_english_counter);
    Find(module, "PdhCollectQueryData", pdh.collect_query_data);
    Find(module, "PdhGetRawCounterValue", pdh.get_raw_counter_value);
    Find(module, "PdhCalculateCounterFromRawValue", pdh.calculate_counter_from_raw_value);
    Find(module, "PdhCloseQuery", pdh.close_query);
    if (pdh.open_query == nullptr || pdh.add_counter == nullptr ||
        pdh.collect_query_data == nullptr || pdh.get_raw_counter_value == nullptr ||
        pdh.calculate_counter_from_raw_value == nullptr || pdh.close_query == nullptr) {
        pdh = {};
        pdh.module = module;
    }
}

void LoadWtsapi(HMODULE module, WtsapiLibrary& wtsapi) {
    wtsapi = {};
    wtsapi.module = module;
    if (module == nullptr) return;
    Find(module, "WTSRegisterSessionNotification", wtsapi.register_session_notification);
    Find(module, "WTSUnRegisterSessionNotification", wtsapi.unregister_session_notification);
    // A registration that could not be undone would outlive the window.
    BothOrNeither(wtsapi.register_session_notification, wtsapi.unregister_session_notification);
}

}  // namespace

HMODULE LoadFromSystemFolder(const char* name) {
    const HMODULE module = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Systems without the search flags reject them as an invalid parameter.
    if (module != nullptr || GetLastError() != ERROR_INVALID_PARAMETER) return module;
    char path[MAX_PATH];
    const size_t length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + 1 + std::strlen(name) >= MAX_PATH) return nullptr;
    path[length] = '\\';
    std::strcpy(path + length + 1, name);
    // The library's own imports are then looked for in its folder first.
    return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void LoadSystemLibraries(HMODULE (*load)(const char* name)) {
    SetDefaultDllDirectoriesFunction set_default_directories = nullptr;
    Find(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories", set_default_directories);
    if (set_default_directories != nullptr) set_default_directories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    LoadWinmm(load("winmm.dll"), system_libraries.winmm);
    LoadPdh(load("pdh.dll"), system_libraries.pdh);
    LoadWtsapi(load("wtsapi32.dll"), system_libraries.wtsapi);
    // Mapped in every process already, and never freed.
    NewerSystemFunctions& newer = system_libraries.newer;
    const HMODULE user32 = GetModuleHandleA("user32.dll");
    const HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    Find(user32, "ChangeWindowMessageFilterEx", newer.change_window_message_filter_ex);
    Find(user32, "ChangeWindowMessageFilter", newer.change_window_message_filter);
    Find(kernel32, "GetActiveProcessorCount", newer.get_active_processor_count);
    Find(kernel32, "GetNativeSystemInfo", newer.get_native_system_info);
    Find(user32, "RegisterPowerSettingNotification", newer.register_power_setting_notification);
    Find(user32, "UnregisterPowerSettingNotification", newer.unregister_power_setting_notification);
    Find(user32, "GetDpiForWindow", newer.get_dpi_for_window);
    Find(user32, "GetSystemMetricsForDpi", newer.get_system_metrics_for_dpi);
    BothOrNeither(newer.register_power_setting_notification,
                  newer.unregister_power_setting_notification);
}

void FreeSystemLibraries() {
    WinmmLibrary& winmm = system_libraries.winmm;
    if (winmm.module != nullptr) FreeLibrary(winmm.module);
    winmm = {};
    system_libraries.newer = {};
    WtsapiLibrary& wtsapi = system_libraries.wtsapi;
    if (wtsapi.module != nullptr) FreeLibrary(wtsapi.module);
    wtsapi = {};
    PdhLibrary& pdh = system_libraries.pdh;
    if (pdh.still_used) return;
    if (pdh.module != nullptr) FreeLibrary(pdh.module);
    pdh = {};
}
