#include "main_window_harness.h"

#include <cstdio>

Fakes fakes;

namespace {

BOOL WINAPI RecordMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*) {
    MenuSeen seen{{}, flags, x, y, owner};
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[128] = L"";
        GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
        const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
        seen.items.push_back({GetMenuItemID(menu, i), text, (state & MF_CHECKED) != 0,
                              (state & MF_SEPARATOR) != 0});
    }
    fakes.menus.push_back(seen);
    return FALSE;  // dismissed without a choice
}

int WINAPI RecordMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    fakes.message_boxes.push_back({owner, text, caption, type});
    return IDOK;
}

BOOL WINAPI FakeCursor(LPPOINT point) {
    ++fakes.cursor_reads;
    *point = fakes.cursor;
    return TRUE;
}

std::wstring TestSettingsPath(HINSTANCE) { return fakes.settings_path; }
LANGID WINAPI TestUiLanguage() { return fakes.ui_language; }

BOOL WINAPI RecordShow(HWND window, int command) {
    fakes.show_commands.push_back(command);
    return ShowWindow(window, command);
}

BOOL RecordShell(DWORD message, NOTIFYICONDATAW* data) {
    fakes.shell_calls.push_back(
        {message, data->uID, data->uCallbackMessage, data->hIcon, data->szTip});
    return message == NIM_DELETE ? TRUE : fakes.shell_result;
}
DWORD ShellError() { return fakes.shell_error; }
bool Taskbar() { return fakes.taskbar; }
void NoPause(DWORD) {}

unsigned __stdcall EndAtOnce(void*) { return 0; }

bool ReadRunValue(std::wstring& data) {
    if (fakes.run_value_present) data = fakes.run_value;
    return fakes.run_value_present;
}
bool WriteRunValue(const std::wstring& data) {
    if (!fakes.run_key_writable) return false;
    fakes.run_value_present = true;
    fakes.run_value = data;
    return true;
}
bool RemoveRunValue() {
    if (!fakes.run_key_writable) return false;
    fakes.run_value_present = false;
    return true;
}

// The destructor of every MainWindow takes the sampler lock.
struct SampleLock {
    SampleLock() { InitializeCriticalSection(&sample_lock); }
};
const SampleLock sample_lock_ready;

int created_windows = 0;

}  // namespace

Harness::Harness(LANGID ui_language)
    : saved_desktop_(desktop_seam), saved_run_key_(run_key_seam), saved_shell_(shell_seam),
      saved_sampler_(sampler_body) {
    fakes = Fakes{};
    fakes.ui_language = ui_language;
    wchar_t directory[MAX_PATH];
    GetTempPathW(MAX_PATH, directory);
    fakes.settings_path = std::wstring(directory) + L"vg_main_window_" +
                          std::to_wstring(GetCurrentProcessId()) + L".txt";
    DeleteFileW(fakes.settings_path.c_str());
    desktop_seam = {RecordMenu,         RecordMessageBox, FakeCursor,
                    GetWindowPlacement, TestSettingsPath, TestUiLanguage,
                    RecordShow};
    shell_seam = {RecordShell, ShellError, NoPause, Taskbar};
    run_key_seam = {ReadRunValue, WriteRunValue, RemoveRunValue};
    sampler_body = EndAtOnce;
    window = new MainWindow();
    const std::string caption = window->meter_form->default_caption;
    delete window->meter_form;
    window->meter_form = new RecordingForm(window->processor_count);
    window->meter_form->default_caption = caption;
}

Harness::~Harness() {
    if (window->hwnd != nullptr) DestroyWindow(window->hwnd);
    delete window;
    DrainQueue();
    DeleteFileW(fakes.settings_path.c_str());
    sampler_body = saved_sampler_;
    shell_seam = saved_shell_;
    run_key_seam = saved_run_key_;
    desktop_seam = saved_desktop_;
}

bool Harness::create(int32_t x, int32_t y) {
    // A class name can be registered once per process.
    static char class_names[64][32];
    char* name = class_names[created_windows++ % 64];
    std::snprintf(name, 32, "GadgetUnderTest%d", created_windows);
    return window->create(GetModuleHandleA(nullptr), nullptr, name, x, y, kMeterWidth,
                          WindowHeightForProcessors(window->processor_count), "Vornelt Gauge",
                          0x86090000, 0x88, nullptr, nullptr);
}

MSG TakePosted(HWND hwnd, UINT message) {
    MSG taken = {};
    if (!PeekMessageA(&taken, hwnd, message, message, PM_REMOVE)) taken.message = 0;
    return taken;
}

void DrainQueue() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message != WM_QUIT) DispatchMessageA(&message);
    }
}
