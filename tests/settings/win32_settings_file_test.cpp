#include "settings/win32_settings_file.h"

#include <gtest/gtest.h>

#include <string>

#include "app/main_window.h"

namespace {

// The start-up code prepares the samplers' lock before any MainWindow exists.
struct SampleLockReady {
    SampleLockReady() { InitializeCriticalSection(&sample_lock); }
} const sample_lock_ready;

const std::string kMeterDefaults =
    "<MSG00>MS UI Gothic</MSG00><MSG01>\x83\x81\x83\x82\x83\x8A\x8E\x63\x82\xE8</MSG01>";

// A fresh directory per test, removed with everything left in it.
class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        directory_ = std::string(temp) + "vg_settings_" + std::to_string(GetCurrentProcessId()) +
                     "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        ASSERT_TRUE(CreateDirectoryA(directory_.c_str(), nullptr));
        path_ = directory_ + "\\Pollstate.txt";
    }
    void TearDown() override {
        for (const std::string& file : {path_, path_ + ".tmp"}) {
            SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(file.c_str());
        }
        EXPECT_TRUE(RemoveDirectoryA(directory_.c_str())) << "a file was left behind";
    }

    static void Put(const std::string& path, const std::string& bytes) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD count = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &count, nullptr);
        CloseHandle(file);
    }
    // The raw bytes, NULs included.
    static std::string Get(const std::string& path) {
        std::string bytes;
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return "<missing>";
        char buffer[4096];
        DWORD count = 0;
        while (ReadFile(file, buffer, sizeof buffer, &count, nullptr) && count > 0) {
            bytes.append(buffer, count);
        }
        CloseHandle(file);
        return bytes;
    }
    // A borderless tool window like the gadget's, at (x, y), 240 x 24.
    static HWND MakeWindow(int x, int y) {
        WNDCLASSA window_class = {};
        window_class.lpfnWndProc = DefWindowProcA;
        window_class.hInstance = GetModuleHandleA(nullptr);
        window_class.lpszClassName = "VgSettingsTest";
        RegisterClassA(&window_class);
        return CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "VgSettingsTest", "", WS_POPUP, x,
                               y, 240, 24, nullptr, nullptr, window_class.hInstance, nullptr);
    }
    bool Exists(const std::string& path) const {
        return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    std::string directory_;
    std::string path_;
};

TEST_F(SettingsFileTest, ReadStopsAtTheFirstNulByte) {
    Put(path_, std::string("<ICON>1</ICON>\0<TRANS>1</TRANS>", 31));
    std::string text = "old";
    EXPECT_TRUE(ReadWholeFile(path_, text));
    EXPECT_EQ(text, "<ICON>1</ICON>");

    Put(path_, "");
    EXPECT_TRUE(ReadWholeFile(path_, text));
    EXPECT_EQ(text, "");
}

TEST_F(SettingsFileTest, ReadFailsWithoutAFileOrWhenItIsHeldOpen) {
    std::string text = "old";
    EXPECT_FALSE(ReadWholeFile(path_, text));
    EXPECT_EQ(text, "");

    Put(path_, "<ICON>1</ICON>");
    HANDLE holder = CreateFileA(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    text = "old";
    EXPECT_FALSE(ReadWholeFile(path_, text));
    EXPECT_EQ(text, "");
    CloseHandle(holder);
}

TEST_F(SettingsFileTest, OversizedFileIsNotRead) {
    std::string text;
    Put(path_, "<ICON>1</ICON>" + std::string(kMaxSettingsFileBytes - 14, ' '));
    EXPECT_TRUE(ReadWholeFile(path_, text));
    EXPECT_EQ(text.size(), kMaxSettingsFileBytes);
    Put(path_, "<ICON>1</ICON>" + std::string(10 * kMaxSettingsFileBytes, ' '));
    EXPECT_FALSE(ReadWholeFile(path_, text));
    EXPECT_EQ(text, "");
}

TEST_F(SettingsFileTest, WriteCreatesOrReplacesTheWholeFile) {
    EXPECT_TRUE(WriteWholeFile(path_, "<ICON>1</ICON>"));
    EXPECT_EQ(Get(path_), "<ICON>1</ICON>");
    EXPECT_TRUE(WriteWholeFile(path_, "<A>"));
    EXPECT_EQ(Get(path_), "<A>");
    EXPECT_TRUE(WriteWholeFile(path_, ""));
    EXPECT_EQ(Get(path_), "");
    EXPECT_FALSE(Exists(path_ + ".tmp"));
}

TEST_F(SettingsFileTest, FailedWriteLeavesThePreviousFileAsItWas) {
    const std::string previous = "<POSITION><x1>1</x1></POSITION>";
    Put(path_, previous);

    ASSERT_TRUE(SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(WriteWholeFile(path_, "new"));
    EXPECT_EQ(Get(path_), previous);
    EXPECT_FALSE(Exists(path_ + ".tmp"));
    SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);

    HANDLE holder = CreateFileA(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(WriteWholeFile(path_, "new"));
    EXPECT_FALSE(Exists(path_ + ".tmp"));
    CloseHandle(holder);
    EXPECT_EQ(Get(path_), previous);

    EXPECT_FALSE(WriteWholeFile(directory_ + "\\missing\\Pollstate.txt", "new"));
}

TEST_F(SettingsFileTest, PositionCountsWhenAnyPartOfTheWindowIsOnAScreen) {
    // The test display is one 1024 x 768 screen.
    EXPECT_TRUE(RectOnAnyMonitor(RECT{100, 50, 340, 74}));
    EXPECT_TRUE(RectOnAnyMonitor(RECT{900, 20, 1140, 44}));
    EXPECT_TRUE(RectOnAnyMonitor(RECT{-239, 744, 1, 768}));
    EXPECT_FALSE(RectOnAnyMonitor(RECT{5000, 20, 5240, 44}));
    EXPECT_FALSE(RectOnAnyMonitor(RECT{-300, 20, -60, 44}));
    EXPECT_FALSE(RectOnAnyMonitor(RECT{100, 768, 340, 792}));
}

TEST_F(SettingsFileTest, LoadIgnoresAPositionOnNoScreenButKeepsTheRest) {
    std::string text;
    Put(path_, "<POSITION><x1>5000</x1><y1>20</y1></POSITION><TRANSRATE>9</TRANSRATE>");
    StoredSettings s = LoadSettingsFile(path_, 2, text);
    EXPECT_FALSE(s.position_found);
    EXPECT_EQ(s.alpha, 9);
    EXPECT_EQ(text, Get(path_));

    Put(path_, "<POSITION><x1>900</x1><y1>20</y1></POSITION>");
    s = LoadSettingsFile(path_, 2, text);
    EXPECT_TRUE(s.position_found);
    EXPECT_EQ(s.left, 900);
    EXPECT_EQ(s.right, 1140);

    DeleteFileA(path_.c_str());
    s = LoadSettingsFile(path_, 2, text);
    EXPECT_FALSE(s.position_found);
    EXPECT_EQ(s.alpha, 128);
    EXPECT_EQ(text, "");
}

TEST_F(SettingsFileTest, SaveWritesTheRestoredRectangleOfTheWindow) {
    const HWND window = MakeWindow(100, 50);
    ASSERT_NE(window, nullptr);
    StoredSettings s;
    s.translucent = true;
    EXPECT_TRUE(SaveSettingsFile(path_, window, s, kMeterDefaults));
    EXPECT_EQ(Get(path_),
              "<POSITION><x1>100</x1><x2>340</x2><y1>50</y1><y2>74</y2></POSITION>"
              "<FRAME_RATE>30</FRAME_RATE><AUTO_HIDE>0</AUTO_HIDE><TRANS>1</TRANS>"
              "<TRANSRATE>128</TRANSRATE><ICON>0</ICON>" +
                  kMeterDefaults);

    // Folded away: the window is hidden, its place is still saved.
    ShowWindow(window, SW_SHOWNOACTIVATE);
    SetWindowPos(window, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(window, SW_HIDE);
    s.iconized = true;
    EXPECT_TRUE(SaveSettingsFile(path_, window, s, ""));
    std::string text;
    s = LoadSettingsFile(path_, 2, text);
    EXPECT_TRUE(s.position_found);
    EXPECT_EQ(s.left, 300);
    EXPECT_EQ(s.top, 200);
    EXPECT_TRUE(s.iconized);
    EXPECT_NE(text.find("<x2>540</x2><y1>200</y1><y2>224</y2>"), std::string::npos);
    DestroyWindow(window);
}

TEST_F(SettingsFileTest, MainWindowTakesItsOptionsFromTheFileAndWritesThemBack) {
    Put(path_,
        "<POSITION><x1>100</x1><x2>1</x2><y1>50</y1><y2>1</y2></POSITION><FRAME_RATE>0"
        "</FRAME_RATE><AUTO_HIDE>1</AUTO_HIDE><TRANS>2</TRANS><TRANSRATE>300</TRANSRATE>"
        "<ICON>1</ICON>");
    MainWindow gadget;
    bool found = false;
    const RECT rect = gadget.load_settings(path_, found);
    const int32_t height = WindowHeightForProcessors(gadget.processor_count);
    EXPECT_TRUE(found);
    EXPECT_EQ(rect.left, 100);
    EXPECT_EQ(rect.top, 50);
    EXPECT_EQ(rect.right, 340);
    EXPECT_EQ(rect.bottom, 50 + height);
    EXPECT_EQ(gadget.frame_rate, 30);
    EXPECT_TRUE(gadget.auto_hide);
    EXPECT_TRUE(gadget.translucent);
    EXPECT_EQ(gadget.alpha, 255);
    EXPECT_TRUE(gadget.iconized);

    gadget.hwnd = MakeWindow(rect.left, rect.top);
    SetWindowPos(gadget.hwnd, nullptr, 0, 0, 240, height, SWP_NOMOVE | SWP_NOZORDER);
    gadget.save_settings(path_);
    const std::string expected = "<POSITION><x1>100</x1><x2>340</x2><y1>50</y1><y2>" +
                                 std::to_string(50 + height) +
                                 "</y2></POSITION><FRAME_RATE>30</FRAME_RATE><AUTO_HIDE>1"
                                 "</AUTO_HIDE><TRANS>1</TRANS><TRANSRATE>255</TRANSRATE>"
                                 "<ICON>1</ICON>";
    // The meter's own elements follow.
    EXPECT_EQ(Get(path_).substr(0, expected.size()), expected);

    DeleteFileA(path_.c_str());
    gadget.load_settings(path_, found);
    EXPECT_FALSE(found);
    EXPECT_EQ(gadget.alpha, 128);
    EXPECT_FALSE(gadget.translucent || gadget.auto_hide || gadget.iconized);
}

}  // namespace
