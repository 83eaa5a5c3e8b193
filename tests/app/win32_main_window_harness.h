// A MainWindow under test: the desktop, shell, registry and sampler threads of
// the platform table replaced by recording fakes, a meter form that records
// every text it is handed, and a settings file of the test's own.
#pragma once

#include <windows.h>

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "app/win32_main_window.h"
#include "meter/win32_meter_form.h"
#include "platform/win32_platform.h"

// Hands every text on to the real meter, and keeps a copy.
class RecordingForm : public MeterForm {
public:
    explicit RecordingForm(uint32_t processor_count) : MeterForm(processor_count) {}
    std::string handle_message(const std::string& text) override {
        texts.push_back(text);
        return MeterForm::handle_message(text);
    }
    std::vector<std::string> texts;
};

struct MenuItemSeen {
    UINT id;
    std::wstring text;  // as GetMenuStringW returns it
    bool checked;
    bool separator;
};

// One TrackPopupMenu call as the desktop would have seen it.
struct MenuSeen {
    std::vector<MenuItemSeen> items;
    UINT flags;
    int x;
    int y;
    HWND owner;
};

struct ShellCall {
    DWORD message;
    UINT id;
    UINT callback_message;
    HICON icon;
    std::wstring tip;
};

struct MessageBoxSeen {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;
};

// What the fakes saw and what they answer; reset by every Harness.
struct Fakes {
    std::vector<MenuSeen> menus;
    std::vector<MessageBoxSeen> message_boxes;
    std::vector<ShellCall> shell_calls;
    BOOL shell_result = TRUE;
    DWORD shell_error = 0;
    // Answers (result, error) taken first, one a request, by adds and modifies.
    std::deque<std::pair<BOOL, DWORD>> shell_script;
    POINT cursor = {0, 0};
    int cursor_reads = 0;
    std::vector<int> show_commands;  // in order
    // The window's DCs as got and as released, in order (the real ones).
    std::vector<HDC> dcs_got;
    std::vector<HDC> dcs_released;
    std::wstring settings_path;
    LANGID ui_language = 0x0411;  // Japanese
    // The Run key's value of the gadget, and whether the registry takes a change.
    bool run_value_present = false;
    std::wstring run_value;
    bool run_key_writable = true;
    // The Startup page's record of it, and whether the registry lets it go.
    bool startup_record_present = false;
    DWORD startup_record_type = REG_BINARY;
    std::vector<uint8_t> startup_record;
    bool startup_record_removable = true;
    bool taskbar = true;
};
extern Fakes fakes;

// Installs the fakes for its lifetime and owns the MainWindow under test. The
// sampler threads run a body that ends at once, so the test scripts the slots
// itself. The window speaks the face of the user interface language given and
// shows `processor_count` processors (0: the machine's).
class Harness {
public:
    explicit Harness(LANGID ui_language = 0x0411, uint32_t processor_count = 0);
    ~Harness();
    // Creates the window at (x, y), 240 wide, as tall as the processor count needs.
    bool create(int32_t x = 100, int32_t y = 200);
    RecordingForm& form() { return *static_cast<RecordingForm*>(window->meter_form); }

    MainWindow* window = nullptr;

private:
    ScopedPlatform platform_;
    Harness(const Harness&) = delete;
    Harness& operator=(const Harness&) = delete;
};

// The window starts folded, as the settings file says: to be called before
// the harness creates the window.
void StartFolded(MainWindow& window);

// Arms the auto-hide's count as a hit test with the option on does, and leaves
// the option as it was.
void ArmAutoHide(MainWindow& window);

// Removes and returns the first posted message of that kind for the window;
// message 0 when there is none. Nothing is dispatched.
MSG TakePosted(HWND hwnd, UINT message);
// Dispatches every waiting message but the quit message.
void DrainQueue();
