#include "win32_main_window_harness.h"

#include <process.h>

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

LANGID WINAPI TestUiLanguage() { return fakes.ui_language; }

HDC WINAPI RecordGetDc(HWND window) {
    const HDC dc = GetDC(window);
    fakes.dcs_got.push_back(dc);
    return dc;
}

int WINAPI RecordReleaseDc(HWND window, HDC dc) {
    fakes.dcs_released.push_back(dc);
    return ReleaseDC(window, dc);
}

BOOL WINAPI RecordShow(HWND window, int command) {
    fakes.show_commands.push_back(command);
    return ShowWindow(window, command);
}

// A refusal leaves its reason as the thread's last error, as the shell's does.
BOOL WINAPI RecordShell(DWORD message, PNOTIFYICONDATAW data) {
    fakes.shell_calls.push_back(
        {message, data->uID, data->uCallbackMessage, data->hIcon, data->szTip});
    if (message == NIM_DELETE) return TRUE;
    BOOL result = fakes.shell_result;
    DWORD error = fakes.shell_error;
    if (!fakes.shell_script.empty()) {
        result = fakes.shell_script.front().first;
        error = fakes.shell_script.front().second;
        fakes.shell_script.pop_front();
    }
    if (!result) SetLastError(error);
    return result;
}
bool Taskbar() { return fakes.taskbar; }
void WINAPI NoPause(DWORD) {}

unsigned __stdcall EndAtOnce(void*) { return 0; }
uintptr_t __cdecl StartEndingAtOnce(void* security, unsigned stack, unsigned(__stdcall*)(void*),
                                    void* argument, unsigned flags, unsigned* id) {
    return _beginthreadex(security, stack, EndAtOnce, argument, flags, id);
}

bool FakeReadRunValue(std::wstring& data) {
    if (fakes.run_value_present) data = fakes.run_value;
    return fakes.run_value_present;
}
bool FakeWriteRunValue(const std::wstring& data) {
    if (!fakes.run_key_writable) return false;
    fakes.run_value_present = true;
    fakes.run_value = data;
    return true;
}
bool FakeRemoveRunValue() {
    if (!fakes.run_key_writable) return false;
    fakes.run_value_present = false;
    return true;
}

bool FakeReadRecord(DWORD& type, std::vector<uint8_t>& data) {
    type = fakes.startup_record_type;
    data = fakes.startup_record;
    return fakes.startup_record_present;
}
bool FakeWriteRecord(DWORD type, const std::vector<uint8_t>& data) {
    fakes.startup_record_present = true;
    fakes.startup_record_type = type;
    fakes.startup_record = data;
    return true;
}
bool FakeRemoveRecord() {
    if (!fakes.startup_record_removable) return false;
    fakes.startup_record_present = false;
    return true;
}

int created_windows = 0;

}  // namespace

Harness::Harness(LANGID ui_language, uint32_t processor_count) {
    fakes = Fakes{};
    fakes.ui_language = ui_language;
    wchar_t directory[MAX_PATH];
    GetTempPathW(MAX_PATH, directory);
    fakes.settings_path = std::wstring(directory) + L"vg_main_window_" +
                          std::to_wstring(GetCurrentProcessId()) + L".txt";
    DeleteFileW(fakes.settings_path.c_str());
    Platform::WindowManager& windows = platform.window_manager;
    windows.track_popup_menu = RecordMenu;
    windows.message_box = RecordMessageBox;
    windows.cursor_pos = FakeCursor;
    windows.ui_language = TestUiLanguage;
    windows.show_window = RecordShow;
    windows.get_dc = RecordGetDc;
    windows.release_dc = RecordReleaseDc;
    platform.shell = {RecordShell, Taskbar};
    platform.clock.sleep = NoPause;  // the shell's pauses between attempts
    platform.registry = {FakeReadRunValue, FakeWriteRunValue, FakeRemoveRunValue,
                         FakeReadRecord,   FakeWriteRecord,   FakeRemoveRecord};
    platform.threads.begin_thread = StartEndingAtOnce;
    window = new MainWindow(fakes.settings_path, processor_count);
    const std::string caption = window->meter_form->default_caption;
    delete window->meter_form;
    window->meter_form = new RecordingForm(window->processor_count());
    window->meter_form->default_caption = caption;
}

Harness::~Harness() {
    if (window->hwnd != nullptr) DestroyWindow(window->hwnd);
    delete window;
    DrainQueue();
    DeleteFileW(fakes.settings_path.c_str());
}

bool Harness::create(int32_t x, int32_t y) {
    // A class name can be registered once per process.
    static char class_names[64][32];
    char* name = class_names[created_windows++ % 64];
    std::snprintf(name, 32, "GadgetUnderTest%d", created_windows);
    return window->create(GetModuleHandleA(nullptr), nullptr, name, x, y, kMeterWidth,
                          WindowHeightForProcessors(window->processor_count()), VG_WINDOW_TITLE,
                          kGadgetStyle, kGadgetExStyle, nullptr, nullptr);
}

void StartFolded(MainWindow& window) {
    const HANDLE file = CreateFileW(fakes.settings_path.c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const char text[] = "<ICON>1</ICON>";
    DWORD written = 0;
    WriteFile(file, text, sizeof text - 1, &written, nullptr);
    CloseHandle(file);
    bool position_found = false;
    window.load_settings(fakes.settings_path, position_found);
}

void ArmAutoHide(MainWindow& window) {
    const bool was_on = window.auto_hide.on();
    window.auto_hide.set_on(true);
    window.auto_hide.hit_test();
    window.auto_hide.set_on(was_on);
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
