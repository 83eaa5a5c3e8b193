#include "settings/win32_settings_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "app/win32_main_window.h"
#include "platform/win32_monitors.h"
#include "platform/win32_platform.h"
#include "settings/win32_settings_keeper.h"
#include "settings/win32_settings_place.h"
#include "text/win32_wide_text.h"

namespace {

const std::string kWindowPart =
    "<POSITION><x1>100</x1><x2>340</x2><y1>50</y1><y2>74</y2></POSITION>"
    "<FRAME_RATE>30</FRAME_RATE><AUTO_HIDE>0</AUTO_HIDE><TRANS>1</TRANS>"
    "<TRANSRATE>128</TRANSRATE><ICON>0</ICON>";
const std::string kMeterDefaults =
    "<MSG00>MS UI Gothic</MSG00><MSG01>\x83\x81\x83\x82\x83\x8A\x8E\x63\x82\xE8</MSG01>";

void Put(const std::wstring& path, const std::string& bytes) {
    std::ofstream(path.c_str(), std::ios::binary) << bytes;
}
std::string Get(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}
bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A borderless tool window like the gadget's, 240 x 24.
HWND MakeWindow(int x, int y) {
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = DefWindowProcA;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = "VgSettingsTest";
    RegisterClassA(&window_class);
    return CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "VgSettingsTest", "", WS_POPUP, x, y,
                           240, 24, nullptr, nullptr, window_class.hInstance, nullptr);
}

// A fresh directory per test, which must be empty again at the end.
class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        directory_ = std::wstring(temp) + L"vg_settings_" + std::to_wstring(GetCurrentProcessId()) +
                     L"_" + WideFromShiftJis(::testing::UnitTest::GetInstance()->current_test_info()->name());
        ASSERT_TRUE(CreateDirectoryW(directory_.c_str(), nullptr));
        path_ = directory_ + L"\\Pollstate.txt";
    }
    void TearDown() override {
        SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path_.c_str());
        EXPECT_TRUE(RemoveDirectoryW(directory_.c_str())) << "a file was left behind";
    }

    std::wstring directory_;
    std::wstring path_;
};

TEST_F(SettingsFileTest, ReadTakesTheTextUpToTheFirstNulAndNothingTooLarge) {
    std::string text = "old";
    EXPECT_FALSE(ReadWholeFile(path_, text));
    EXPECT_EQ(text, "");
    Put(path_, std::string("<ICON>1</ICON>\0<TRANS>1</TRANS>", 31));
    EXPECT_TRUE(ReadWholeFile(path_, text));
    EXPECT_EQ(text, "<ICON>1</ICON>");

    Put(path_, std::string(kMaxSettingsFileBytes, ' '));
    EXPECT_TRUE(ReadWholeFile(path_, text));
    EXPECT_EQ(text.size(), kMaxSettingsFileBytes);
    Put(path_, std::string(10 * kMaxSettingsFileBytes, ' '));
    EXPECT_FALSE(ReadWholeFile(path_, text));
    EXPECT_EQ(text, "");
}

TEST_F(SettingsFileTest, WriteReplacesTheWholeFileOrLeavesTheOldOneAsItWas) {
    EXPECT_TRUE(WriteWholeFile(path_, "<ICON>1</ICON>"));
    EXPECT_TRUE(WriteWholeFile(path_, "<A>"));
    EXPECT_EQ(Get(path_), "<A>");

    ASSERT_TRUE(SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(WriteWholeFile(path_, "new"));
    SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    const HANDLE holder =
        CreateFileW(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(WriteWholeFile(path_, "new"));
    CloseHandle(holder);
    EXPECT_EQ(Get(path_), "<A>");
    EXPECT_FALSE(Exists(path_ + L".tmp"));

    EXPECT_FALSE(WriteWholeFile(directory_ + L"\\missing\\Pollstate.txt", "new"));

    // No temporary file can be made beside it: the writable file is written in
    // place, and cut to the new length; a missing one is not created.
    ASSERT_TRUE(CreateDirectoryW((path_ + L".tmp").c_str(), nullptr));
    EXPECT_TRUE(WriteWholeFile(path_, "<B>"));
    EXPECT_EQ(Get(path_), "<B>");
    DeleteFileW(path_.c_str());
    EXPECT_FALSE(WriteWholeFile(path_, "<C>"));
    EXPECT_FALSE(Exists(path_));
    RemoveDirectoryW((path_ + L".tmp").c_str());
}

// A replace as Windows answers it while another program holds the target
// without sharing deletion (Wine renames over it all the same), for the reason
// the test gives.
DWORD replace_refusal = ERROR_SHARING_VIOLATION;
BOOL WINAPI ReplaceRefused(LPCWSTR, LPCWSTR, DWORD) {
    SetLastError(replace_refusal);
    return FALSE;
}

// A sync client's way: reading and writing, letting others read and write.
HANDLE HoldSharingWrites(const std::wstring& path) {
    return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, 0, nullptr);
}

TEST_F(SettingsFileTest, AFileOthersHoldIsWrittenInPlaceWhenTheyShareWritingAndIsBusyOtherwise) {
    ScopedPlatform scoped;
    platform.files.replace = ReplaceRefused;
    // Every answer that means another program has the file open.
    for (DWORD refusal : {ERROR_SHARING_VIOLATION, ERROR_ACCESS_DENIED, ERROR_LOCK_VIOLATION}) {
        replace_refusal = refusal;
        Put(path_, "<OLD>0123456789</OLD>");
        const HANDLE holder = HoldSharingWrites(path_);
        ASSERT_NE(holder, INVALID_HANDLE_VALUE);
        EXPECT_EQ(ReplaceFileText(path_, "<NEW>"), SaveOutcome::kSaved) << refusal;
        CloseHandle(holder);
        EXPECT_EQ(Get(path_), "<NEW>") << refusal;  // cut to the new length
    }
    // Sharing nothing: the change has to wait, and the old text stays whole.
    HANDLE holder = CreateFileW(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReplaceFileText(path_, "<LATER>"), SaveOutcome::kBusy);
    CloseHandle(holder);
    EXPECT_EQ(Get(path_), "<NEW>");
    EXPECT_FALSE(Exists(path_ + L".tmp"));

    // Refused for another reason, the file is not written over even where it
    // could be: the change waits for the retry, which brings it in once the
    // replace goes through.
    replace_refusal = ERROR_DISK_FULL;
    holder = HoldSharingWrites(path_);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const HWND window = MakeWindow(100, 50);
    SettingsKeeper keeper(path_);
    StoredSettings options;
    options.translucent = true;
    keeper.save(window, options, "");
    CloseHandle(holder);
    EXPECT_EQ(Get(path_), "<NEW>");
    EXPECT_TRUE(keeper.pending() && keeper.retrying());
    platform.files.replace = MoveFileExW;
    keeper.retry(window, options, "");
    DestroyWindow(window);
    EXPECT_FALSE(keeper.pending() || keeper.retrying());
    const std::string saved = Get(path_);
    EXPECT_NE(saved.find("<TRANS>1</TRANS>"), std::string::npos);
    // A read-only file is pinned, not busy: nothing to try again.
    ASSERT_TRUE(SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(ReplaceFileText(path_, "<X>"), SaveOutcome::kPinned);
    EXPECT_EQ(Get(path_), saved);
}

// The test display's one monitor with a taskbar along its bottom 40 pixels.
BOOL WINAPI MonitorWithTaskbar(HMONITOR monitor, LPMONITORINFO info) {
    if (!GetMonitorInfoA(monitor, info)) return FALSE;
    info->rcWork.bottom = info->rcMonitor.bottom - 40;
    return TRUE;
}

TEST_F(SettingsFileTest, PositionCountsWhenAnyPartOfTheWindowIsOnAScreen) {
    // The test display is one 1024 x 768 screen.
    EXPECT_TRUE(RectOnAnyMonitor(RECT{900, 20, 1140, 44}));
    EXPECT_TRUE(RectOnAnyMonitor(RECT{-239, 744, 1, 768}));
    EXPECT_FALSE(RectOnAnyMonitor(RECT{-300, 20, -60, 44}));
    EXPECT_FALSE(RectOnAnyMonitor(RECT{100, 768, 340, 792}));

    std::string text;
    ReadOutcome read;
    Put(path_, "<POSITION><x1>5000</x1><y1>20</y1></POSITION><TRANSRATE>9</TRANSRATE>");
    StoredSettings s = LoadSettingsFile(path_, 2, text, read);
    EXPECT_FALSE(s.position_found);
    EXPECT_EQ(s.alpha, 9);
    EXPECT_EQ(text, Get(path_));
    Put(path_, "<POSITION><x1>900</x1><y1>20</y1></POSITION>");
    s = LoadSettingsFile(path_, 2, text, read);
    EXPECT_TRUE(s.position_found);
    EXPECT_EQ(s.left, 900);

    // A window parked on the taskbar is still on the screen.
    ScopedPlatform scoped;
    platform.window_manager.monitor_info = MonitorWithTaskbar;
    EXPECT_TRUE(RectOnAnyMonitor(RECT{100, 740, 340, 764}));
    Put(path_, "<POSITION><x1>100</x1><y1>740</y1></POSITION>");
    s = LoadSettingsFile(path_, 2, text, read);
    EXPECT_TRUE(s.position_found);
    EXPECT_EQ(s.top, 740);
}

TEST_F(SettingsFileTest, SaveWritesTheRestoredRectangleEvenOfAHiddenWindow) {
    const HWND window = MakeWindow(100, 50);
    StoredSettings s;
    s.translucent = true;
    EXPECT_EQ(SaveSettingsFile(path_, window, s, kMeterDefaults), SaveOutcome::kSaved);
    EXPECT_EQ(Get(path_), kWindowPart + kMeterDefaults);

    ShowWindow(window, SW_SHOWNOACTIVATE);
    SetWindowPos(window, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(window, SW_HIDE);
    EXPECT_EQ(SaveSettingsFile(path_, window, s, ""), SaveOutcome::kSaved);
    EXPECT_NE(Get(path_).find("<x1>300</x1><x2>540</x2><y1>200</y1><y2>224</y2>"),
              std::string::npos);
    DestroyWindow(window);
}

TEST_F(SettingsFileTest, GadgetTakesItsOptionsFromTheFileAndWritesThemBack) {
    Put(path_,
        "<POSITION><x1>100</x1><y1>50</y1></POSITION><FRAME_RATE>0</FRAME_RATE>"
        "<AUTO_HIDE>1</AUTO_HIDE><TRANS>2</TRANS><TRANSRATE>300</TRANSRATE><ICON>1</ICON>");
    MainWindow gadget(path_);
    bool found = false;
    const RECT rect = gadget.load_settings(path_, found);
    EXPECT_TRUE(found);
    EXPECT_EQ(rect.bottom, 50 + WindowHeightForProcessors(gadget.processor_count()));
    EXPECT_EQ(gadget.frame_rate(), 30);
    EXPECT_EQ(gadget.translucency.alpha(), 255);
    EXPECT_TRUE(gadget.auto_hide.on() && gadget.translucency.on() && gadget.iconized());

    // Written back as taken: flags as 0 or 1, the opacity clamped, the meter's
    // own elements after them.
    gadget.hwnd = MakeWindow(rect.left, rect.top);
    gadget.save_settings();
    const std::string written =
        "<POSITION><x1>100</x1><x2>340</x2><y1>50</y1><y2>74</y2></POSITION>"
        "<FRAME_RATE>30</FRAME_RATE><AUTO_HIDE>1</AUTO_HIDE><TRANS>1</TRANS>"
        "<TRANSRATE>255</TRANSRATE><ICON>1</ICON>";
    EXPECT_EQ(Get(path_).substr(0, written.size()), written);
    DestroyWindow(gadget.hwnd);
    gadget.hwnd = nullptr;

    DeleteFileW(path_.c_str());
    gadget.load_settings(path_, found);
    EXPECT_FALSE(found);
    EXPECT_EQ(gadget.translucency.alpha(), 128);
    EXPECT_FALSE(gadget.translucency.on() || gadget.auto_hide.on() || gadget.iconized());
}

TEST_F(SettingsFileTest, AFileHeldOpenIsReadAndOneThatCannotBeReadIsNeverSavedOver) {
    const std::string stored = "<POSITION><x1>100</x1><y1>50</y1></POSITION><TRANS>1</TRANS>";
    Put(path_, stored);
    std::string text;
    // A sync client or an indexer that reads and writes it, letting others do so.
    HANDLE holder = CreateFileW(path_.c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReadFileText(path_, text), ReadOutcome::kRead);
    EXPECT_EQ(text, stored);
    CloseHandle(holder);

    // Held by one that shares nothing: the gadget starts from its defaults and,
    // once the file is free again, no save of the run (a change's, the exit's,
    // a retry's) goes over it.
    holder = CreateFileW(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReadFileText(path_, text), ReadOutcome::kFailed);
    SettingsKeeper keeper(path_);
    const StoredSettings loaded = keeper.load(path_, 2, text);
    CloseHandle(holder);
    EXPECT_TRUE(keeper.withheld());
    EXPECT_FALSE(loaded.position_found || loaded.translucent);
    const HWND window = MakeWindow(300, 200);
    keeper.save(window, loaded, "");
    keeper.retry(window, loaded, "");
    EXPECT_FALSE(keeper.pending());
    EXPECT_EQ(Get(path_), stored);
    DestroyWindow(window);

    EXPECT_EQ(ReadFileText(directory_ + L"\\missing\\Pollstate.txt", text), ReadOutcome::kNoFile);
    DeleteFileW(path_.c_str());
    EXPECT_EQ(ReadFileText(path_, text), ReadOutcome::kNoFile);
}

std::wstring test_app_data;
std::wstring TestAppData() { return test_app_data; }
bool NotWritable(const std::wstring&) { return false; }

TEST_F(SettingsFileTest, AProgramFolderThatCannotBeWrittenKeepsItsSettingsInTheApplicationData) {
    const std::wstring program = directory_ + L"\\program\\";
    const std::wstring beside = program + L"Pollstate.txt";
    test_app_data = directory_ + L"\\data";
    const std::wstring copy = test_app_data + L"\\Vornelt Gauge\\Pollstate.txt";
    ASSERT_TRUE(CreateDirectoryW(program.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(test_app_data.c_str(), nullptr));
    // Tried for real: a folder takes the file, leaving nothing behind; a "folder"
    // that is a file does not.
    EXPECT_TRUE(platform.files.writable_beside(beside));
    Put(path_, "");
    EXPECT_FALSE(platform.files.writable_beside(path_ + L"\\Pollstate.txt"));

    ScopedPlatform scoped;
    platform.files.app_data_folder = TestAppData;
    platform.files.writable_beside = NotWritable;
    Put(beside, "<POSITION><x1>100</x1><y1>50</y1></POSITION><TRANS>1</TRANS>");
    const std::wstring save = SettingsFileToSave(program);
    EXPECT_EQ(save, copy);
    // The first start reads the file beside the program and saves a copy.
    SettingsKeeper keeper(save);
    std::string text;
    StoredSettings loaded = keeper.load(SettingsFileToLoad(save, program), 2, text);
    EXPECT_TRUE(loaded.position_found && loaded.translucent);
    EXPECT_EQ(loaded.left, 100);
    const HWND window = MakeWindow(300, 200);
    keeper.save(window, loaded, "");
    DestroyWindow(window);
    EXPECT_EQ(Get(beside), "<POSITION><x1>100</x1><y1>50</y1></POSITION><TRANS>1</TRANS>");
    // From the next start on, the copy is the settings.
    EXPECT_EQ(SettingsFileToLoad(save, program), copy);
    loaded = keeper.load(SettingsFileToLoad(save, program), 2, text);
    EXPECT_EQ(loaded.left, 300);
    // A file the user pinned stays the settings wherever it lies.
    SetFileAttributesW(beside.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(SettingsFileToSave(program), beside);
    platform.files = Platform::Files{};
    EXPECT_EQ(SettingsFileToSave(program), beside);

    SetFileAttributesW(beside.c_str(), FILE_ATTRIBUTE_NORMAL);
    for (const std::wstring& file : {beside, copy}) DeleteFileW(file.c_str());
    for (const std::wstring& folder : {program, test_app_data + L"\\Vornelt Gauge", test_app_data}) {
        RemoveDirectoryW(folder.c_str());
    }
}

TEST_F(SettingsFileTest, AKeeperWithoutAFileKeepsNothing) {
    // As for a window made without settings: not even a temporary file appears.
    ASSERT_TRUE(SetCurrentDirectoryW(directory_.c_str()));
    SettingsKeeper keeper;
    StoredSettings options;
    options.translucent = true;
    keeper.save(nullptr, options, "<MSG00>x</MSG00>");
    EXPECT_FALSE(keeper.pending() || keeper.retrying());
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((directory_ + L"\\*.*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    int entries = 0;
    do {
        ++entries;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    EXPECT_EQ(entries, 2) << "only . and ..";
    SetCurrentDirectoryW(L"..");
}

TEST(SettingsPlace, AFolderBeyondTheClassicPathLimitIsNamedInItsExtendedForm) {
    const std::wstring deep = L"\\" + std::wstring(MAX_PATH - 64, L'\uac8c') + L"\\";
    EXPECT_EQ(RoomyFolder(L"C:" + deep), L"\\\\?\\C:" + deep);
    EXPECT_EQ(RoomyFolder(L"\\\\server" + deep), L"\\\\?\\UNC\\server" + deep);
    EXPECT_EQ(RoomyFolder(L"\\\\?\\C:" + deep), L"\\\\?\\C:" + deep);
    EXPECT_EQ(RoomyFolder(L"C:\\Tools\\"), L"C:\\Tools\\");
}

}  // namespace
