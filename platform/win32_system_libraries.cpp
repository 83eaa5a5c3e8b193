#include "platform/win32_system_libraries.h"

#include <cstring>

#include "platform/win32_platform.h"

SystemLibraries system_libraries = {};

namespace {

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
constexpr DWORD kApartmentThreaded = 0x2;  // COINIT_APARTMENTTHREADED

template <typename Function>
void Find(HMODULE module, const char* name, Function& function) {
    // Through the catch-all function type: FARPROC's own signature matches nothing.
    function = module != nullptr ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(
                                       GetProcAddress(module, name)))
                                 : nullptr;
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
    Find(module, "timeGetTime", winmm.time_get_time);
    Find(module, "timeBeginPeriod", winmm.time_begin_period);
    Find(module, "timeEndPeriod", winmm.time_end_period);
    // A request that could not be given back would hold the finer timer past
    // the program's end.
    BothOrNeither(winmm.time_begin_period, winmm.time_end_period);
}

void LoadPdh(HMODULE module, Platform::Performance& pdh) {
    pdh = {};
    Find(module, "PdhOpenQueryA", pdh.open_query);
    Find(module, "PdhAddCounterA", pdh.add_counter);
    Find(module, "PdhAddEnglishCounterA", pdh.add_english_counter);
    Find(module, "PdhCollectQueryData", pdh.collect_query_data);
    Find(module, "PdhGetRawCounterValue", pdh.get_raw_counter_value);
    Find(module, "PdhCalculateCounterFromRawValue", pdh.calculate_counter_from_raw_value);
    Find(module, "PdhCloseQuery", pdh.close_query);
    // Without them all the samplers measure from the kernel's processor times.
    if (pdh.open_query == nullptr || pdh.add_counter == nullptr ||
        pdh.collect_query_data == nullptr || pdh.get_raw_counter_value == nullptr ||
        pdh.calculate_counter_from_raw_value == nullptr || pdh.close_query == nullptr) {
        pdh = {};
    }
}

void LoadWtsapi(HMODULE module, Platform::Sessions& sessions) {
    Find(module, "WTSRegisterSessionNotification", sessions.register_notification);
    Find(module, "WTSUnRegisterSessionNotification", sessions.unregister_notification);
    // A registration that could not be undone would outlive the window.
    BothOrNeither(sessions.register_notification, sessions.unregister_notification);
    Find(module, "WTSQuerySessionInformationW", sessions.query_information);
    Find(module, "WTSFreeMemory", sessions.free_memory);
    BothOrNeither(sessions.query_information, sessions.free_memory);
}

void LoadAccessibility(HMODULE (*load)(const char* name), Platform::Accessibility& accessibility) {
    system_libraries.oleacc = load("oleacc.dll");
    system_libraries.oleaut32 = load("oleaut32.dll");
    system_libraries.ole32 = load("ole32.dll");
    Find(system_libraries.oleacc, "LresultFromObject", accessibility.lresult_from_object);
    Find(system_libraries.oleacc, "AccessibleObjectFromWindow", accessibility.object_from_window);
    Find(system_libraries.oleaut32, "SysAllocString", accessibility.alloc_string);
    Find(system_libraries.ole32, "CoInitializeEx", system_libraries.initialize_com);
    Find(system_libraries.ole32, "CoUninitialize", system_libraries.uninitialize_com);
    // Without any one of them the window keeps the system's default object.
    if (accessibility.lresult_from_object == nullptr || accessibility.object_from_window == nullptr ||
        accessibility.alloc_string == nullptr || system_libraries.initialize_com == nullptr ||
        system_libraries.uninitialize_com == nullptr) {
        accessibility = {};
        system_libraries.initialize_com = nullptr;
        system_libraries.uninitialize_com = nullptr;
    }
}

void Unload(HMODULE& module) {
    if (module != nullptr) FreeLibrary(module);
    module = nullptr;
}

void ForgetConditionVariables() {
    platform.threads.initialize_condition_variable = nullptr;
    platform.threads.sleep_condition_variable_cs = nullptr;
    platform.threads.wake_all_condition_variable = nullptr;
}

// From libraries mapped in every process already, and never freed.
void FindNewerEntryPoints() {
    const HMODULE user32 = GetModuleHandleA("user32.dll");
    const HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    Platform::WindowManager& windows = platform.window_manager;
    Find(user32, "ChangeWindowMessageFilterEx", windows.change_window_message_filter_ex);
    Find(user32, "ChangeWindowMessageFilter", windows.change_window_message_filter);
    Find(user32, "RegisterPowerSettingNotification", windows.register_power_setting_notification);
    Find(user32, "UnregisterPowerSettingNotification",
         windows.unregister_power_setting_notification);
    BothOrNeither(windows.register_power_setting_notification,
                  windows.unregister_power_setting_notification);
    Find(user32, "GetDpiForWindow", windows.dpi_for_window);
    Find(user32, "GetSystemMetricsForDpi", windows.system_metrics_for_dpi);
    // The common controls the program imports are the side-by-side version 6
    // its manifest names: the one that has this.
    Find(GetModuleHandleA("comctl32.dll"), "LoadIconWithScaleDown", windows.load_icon_with_scale_down);
    Platform::System& system = platform.system;
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    Find(ntdll, "NtQuerySystemInformation", system.query_system_information);
    Find(kernel32, "GetActiveProcessorCount", system.active_processor_count);
    Find(kernel32, "GetNativeSystemInfo", system.native_system_info);
    Find(ntdll, "RtlGetVersion", system.version);
    Platform::Threads& threads = platform.threads;
    Find(kernel32, "InitializeConditionVariable", threads.initialize_condition_variable);
    Find(kernel32, "SleepConditionVariableCS", threads.sleep_condition_variable_cs);
    Find(kernel32, "WakeAllConditionVariable", threads.wake_all_condition_variable);
    // A variable that cannot be made, waited on or woken is no use at all.
    if (threads.initialize_condition_variable == nullptr ||
        threads.sleep_condition_variable_cs == nullptr ||
        threads.wake_all_condition_variable == nullptr) {
        ForgetConditionVariables();
    }
}

void ForgetNewerEntryPoints() {
    Platform::WindowManager& windows = platform.window_manager;
    windows.change_window_message_filter_ex = nullptr;
    windows.change_window_message_filter = nullptr;
    windows.register_power_setting_notification = nullptr;
    windows.unregister_power_setting_notification = nullptr;
    windows.dpi_for_window = nullptr;
    windows.system_metrics_for_dpi = nullptr;
    windows.load_icon_with_scale_down = nullptr;
    platform.system = {};
    ForgetConditionVariables();
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
    system_libraries.pdh = load("pdh.dll");
    LoadPdh(system_libraries.pdh, platform.performance);
    system_libraries.wtsapi = load("wtsapi32.dll");
    LoadWtsapi(system_libraries.wtsapi, platform.sessions);
    LoadAccessibility(load, platform.accessibility);
    system_libraries.shcore = load("shcore.dll");
    Find(system_libraries.shcore, "GetDpiForMonitor", platform.window_manager.dpi_for_monitor);
    FindNewerEntryPoints();
}

void FreeSystemLibraries() {
    // Ending COM lets go of what screen readers still hold of the gadget's object.
    if (system_libraries.com_started) system_libraries.uninitialize_com();
    system_libraries.com_started = false;
    system_libraries.initialize_com = nullptr;
    system_libraries.uninitialize_com = nullptr;
    platform.accessibility = {};
    Unload(system_libraries.oleacc);
    Unload(system_libraries.oleaut32);
    Unload(system_libraries.ole32);
    WinmmLibrary& winmm = system_libraries.winmm;
    if (winmm.module != nullptr) FreeLibrary(winmm.module);
    winmm = {};
    ForgetNewerEntryPoints();
    platform.sessions = {};
    if (system_libraries.wtsapi != nullptr) FreeLibrary(system_libraries.wtsapi);
    system_libraries.wtsapi = nullptr;
    platform.window_manager.dpi_for_monitor = nullptr;
    if (system_libraries.shcore != nullptr) FreeLibrary(system_libraries.shcore);
    system_libraries.shcore = nullptr;
    if (platform.performance.still_used) return;
    platform.performance = {};
    if (system_libraries.pdh != nullptr) FreeLibrary(system_libraries.pdh);
    system_libraries.pdh = nullptr;
}

bool PrepareAccessibility() {
    if (platform.accessibility.lresult_from_object == nullptr ||
        system_libraries.initialize_com == nullptr) {
        return false;
    }
    if (system_libraries.com_started) return true;
    // S_FALSE (already started on this thread) counts as well and is ended the
    // same way; a thread in the other model cannot host the object.
    system_libraries.com_started =
        SUCCEEDED(system_libraries.initialize_com(nullptr, kApartmentThreaded));
    return system_libraries.com_started;
}
