#include "app/tray_icon.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "text/string_helpers.h"

namespace {

// A shell whose answers the test scripts: each call takes the next answer
// (success when none is left) and is recorded with the record as it was sent.
struct Answer {
    BOOL result;
    DWORD error;
};

struct Call {
    DWORD message;
    UINT flags;
    HICON icon;
    std::string tip;
};

std::deque<Answer> answers;
std::vector<Call> calls;
std::vector<DWORD> pauses;
DWORD current_error = 0;
MEMORYSTATUSEX memory = {};
bool memory_readable = true;

BOOL ScriptedNotify(DWORD message, NOTIFYICONDATAA* data) {
    calls.push_back({message, data->uFlags, data->hIcon, data->szTip});
    Answer answer{TRUE, 0};
    if (!answers.empty()) {
        answer = answers.front();
        answers.pop_front();
    }
    current_error = answer.error;
    return answer.result;
}
DWORD ScriptedError() { return current_error; }
void RecordPause(DWORD milliseconds) { pauses.push_back(milliseconds); }
BOOL FixedMemory(MEMORYSTATUSEX* status) {
    status->ullTotalPhys = memory.ullTotalPhys;
    status->ullAvailPhys = memory.ullAvailPhys;
    return memory_readable;
}

const Answer kTimeout{FALSE, ERROR_TIMEOUT};
const Answer kFailed{FALSE, ERROR_ACCESS_DENIED};

const char kFreeMemory[] = "\x83\x81\x83\x82\x83\x8A\x8E\x63\x97\xCA:";  // "メモリ残量:"
const char kKatakanaMe[] = "\x83\x81";                                     // "メ"

class TrayIconTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_shell_ = shell_seam;
        saved_memory_ = memory_status_seam;
        shell_seam = {ScriptedNotify, ScriptedError, RecordPause};
        memory_status_seam = FixedMemory;
        answers.clear();
        calls.clear();
        pauses.clear();
        memory_readable = true;
        SetLoad(3, 4);  // load 0.25: green
    }
    void TearDown() override {
        shell_seam = saved_shell_;
        memory_status_seam = saved_memory_;
    }
    static void SetLoad(uint64_t available, uint64_t total) {
        memory.ullAvailPhys = available;
        memory.ullTotalPhys = total;
    }
    static std::vector<DWORD> Messages() {
        std::vector<DWORD> messages;
        for (const Call& call : calls) messages.push_back(call.message);
        return messages;
    }
    // A configured icon that the shell shows, with the call log emptied.
    void Show(TrayIcon& tray) {
        tray.configure(window_, 1433, WM_APP + 100, nullptr, "tip");
        ASSERT_TRUE(tray.add(5, 500));
        calls.clear();
    }

    HWND window_ = reinterpret_cast<HWND>(uintptr_t{0x1234});
    HINSTANCE module_ = GetModuleHandleA(nullptr);

private:
    ShellSeam saved_shell_;
    BOOL (*saved_memory_)(MEMORYSTATUSEX*);
};

TEST_F(TrayIconTest, AddBudgetAllowsOneAttemptLessThanItSays) {
    TrayIcon tray;
    for (int32_t budget : {0, 1, -1, -5}) {
        EXPECT_FALSE(tray.add(budget, 100)) << budget;
    }
    EXPECT_TRUE(calls.empty());

    answers = {kTimeout, kFailed};
    EXPECT_FALSE(tray.add(2, 100));
    EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD, NIM_MODIFY}));
    EXPECT_EQ(pauses, std::vector<DWORD>{100});

    calls.clear();
    pauses.clear();
    answers.assign(8, kTimeout);
    EXPECT_FALSE(tray.add(5, 500));
    EXPECT_EQ(calls.size(), 8u);
    EXPECT_EQ(pauses, std::vector<DWORD>(4, 500));
    EXPECT_EQ(tray.added, 0);
}

TEST_F(TrayIconTest, AnyFailureButATimeoutMeansTheShellHasTheIcon) {
    TrayIcon tray;
    answers = {kFailed};
    EXPECT_TRUE(tray.add(5, 500));
    EXPECT_EQ(tray.added, 1);
    EXPECT_EQ(Messages(), std::vector<DWORD>{NIM_ADD});
    EXPECT_TRUE(pauses.empty());
}

TEST_F(TrayIconTest, TimedOutAddCountsWhenTheFollowingModifyAnswersExactlyOne) {
    TrayIcon tray;
    answers = {kTimeout, kFailed, kTimeout, {2, 0}, kTimeout, {1, 0}};
    EXPECT_TRUE(tray.add(5, 500));
    EXPECT_EQ(tray.added, 1);
    EXPECT_EQ(pauses.size(), 3u);
    EXPECT_EQ(calls.size(), 6u);
}

TEST_F(TrayIconTest, ConfigureFillsTheRecordAndOnlyTakesDownAShownIcon) {
    TrayIcon tray;
    EXPECT_EQ(tray.data.cbSize, static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE));
    const HICON icon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));
    EXPECT_EQ(tray.configure(window_, 1433, WM_APP + 100, icon, "x"), 1);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(tray.data.hWnd, window_);
    EXPECT_EQ(tray.data.uID, 1433u);
    EXPECT_EQ(tray.data.uCallbackMessage, static_cast<UINT>(WM_APP + 100));
    EXPECT_EQ(tray.data.uFlags, static_cast<UINT>(NIF_TIP | NIF_MESSAGE | NIF_ICON));

    tray.configure(window_, 7, 0, nullptr, "");
    EXPECT_EQ(tray.data.uFlags, static_cast<UINT>(NIF_TIP));
    EXPECT_STREQ(tray.data.szTip, "");

    ASSERT_TRUE(tray.add(5, 500));
    calls.clear();
    answers = {kFailed};
    tray.configure(window_, 7, 0, nullptr, "");
    EXPECT_EQ(Messages(), std::vector<DWORD>{NIM_DELETE});
    EXPECT_EQ(tray.added, 1);  // the shell refused: still shown
    tray.configure(window_, 7, 0, nullptr, "");
    EXPECT_EQ(tray.added, 0);
}

TEST_F(TrayIconTest, ConstructorWithAWindowAddsAtOnce) {
    TrayIcon empty;
    EXPECT_TRUE(calls.empty());
    TrayIcon shown(window_, 1433, WM_APP + 100, nullptr, "tip");
    EXPECT_EQ(Messages(), std::vector<DWORD>{NIM_ADD});
    EXPECT_EQ(shown.added, 1);
    EXPECT_STREQ(shown.data.szTip, "tip");
}

TEST_F(TrayIconTest, RemoveKeepsTheFlagWhenTheShellRefuses) {
    TrayIcon tray;
    tray.remove_if_added();
    EXPECT_TRUE(calls.empty());
    Show(tray);
    answers = {kFailed};
    EXPECT_EQ(tray.remove(), 0);
    EXPECT_EQ(tray.added, 1);
    EXPECT_EQ(tray.remove(), 1);
    EXPECT_EQ(tray.added, 0);
    // A delete is sent whatever the flag says.
    EXPECT_EQ(tray.remove(), 1);
    EXPECT_EQ(calls.size(), 3u);
}

TEST_F(TrayIconTest, TipIsCutAtTheRecordsSizeWithoutSplittingACharacter) {
    TrayIcon tray;
    tray.set_tip(std::string(100, 'a'), false);
    EXPECT_EQ(std::string(tray.data.szTip), std::string(63, 'a'));

    // A two-byte character that would end at byte 64 is left out whole.
    tray.set_tip(std::string(62, 'a') + kKatakanaMe, false);
    EXPECT_EQ(std::string(tray.data.szTip), std::string(62, 'a'));
    tray.set_tip(std::string(61, 'a') + kKatakanaMe + "b", false);
    EXPECT_EQ(std::string(tray.data.szTip), std::string(61, 'a') + kKatakanaMe);
    // Half-width katakana are single bytes.
    tray.set_tip(std::string(70, '\xB1'), false);
    EXPECT_EQ(std::string(tray.data.szTip), std::string(63, '\xB1'));

    tray.configure(window_, 1, 0, nullptr, std::string(40, 'b') + std::string(30, '\xE0'));
    EXPECT_EQ(std::string(tray.data.szTip), std::string(40, 'b') + std::string(22, '\xE0'));
}

TEST_F(TrayIconTest, EmptyTipOrNullIconClearsTheFlagsSoAModifyChangesNothing) {
    TrayIcon tray;
    Show(tray);
    const HICON icon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));
    EXPECT_EQ(tray.set_icon(icon, true), nullptr);
    EXPECT_EQ(tray.set_tip("", true), 1);
    EXPECT_EQ(tray.data.uFlags, 0u);
    EXPECT_STREQ(tray.data.szTip, "tip");
    EXPECT_EQ(tray.set_icon(nullptr, true), icon);
    EXPECT_EQ(tray.data.hIcon, icon);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].flags, static_cast<UINT>(NIF_TIP | NIF_MESSAGE | NIF_ICON));
    EXPECT_EQ(calls[1].flags, 0u);
    EXPECT_EQ(calls[2].flags, 0u);
    for (const Call& call : calls) EXPECT_EQ(call.message, static_cast<DWORD>(NIM_MODIFY));

    tray.set_tip("new", false);
    EXPECT_EQ(tray.data.uFlags, static_cast<UINT>(NIF_TIP));
    EXPECT_EQ(calls.size(), 3u);
}

TEST_F(TrayIconTest, PushingAnIconThatIsNotShownAddsIt) {
    TrayIcon tray;
    tray.configure(window_, 1433, WM_APP + 100, nullptr, "tip");
    tray.set_tip("other", true);
    EXPECT_EQ(Messages(), std::vector<DWORD>{NIM_ADD});
    EXPECT_EQ(tray.added, 1);
}

TEST(MemoryLoadLevel, RedStartsAtTheSinglePrecisionEightTenths) {
    EXPECT_EQ(MemoryLoadLevel(0.0), 0);
    EXPECT_EQ(MemoryLoadLevel(0.4999999), 0);
    EXPECT_EQ(MemoryLoadLevel(0.5), 1);
    EXPECT_EQ(MemoryLoadLevel(0.8), 1);
    EXPECT_EQ(MemoryLoadLevel(0.80000002), 2);
    EXPECT_EQ(MemoryLoadLevel(1.0), 2);
}

TEST_F(TrayIconTest, RefreshShowsTheLevelPictureAndTheFreeMemory) {
    TrayIcon tray;
    Show(tray);
    int32_t level = 10;
    SetLoad(1, 2);  // load exactly 0.5
    RefreshTray(tray, level, module_);
    EXPECT_EQ(level, 1);
    ASSERT_NE(tray.data.hIcon, nullptr);
    EXPECT_EQ(tray.owned_icon, tray.data.hIcon);
    EXPECT_EQ(std::string(tray.data.szTip), kFreeMemory + FormatByteSize(1));
    EXPECT_EQ(tray.data.uFlags, static_cast<UINT>(NIF_TIP | NIF_MESSAGE | NIF_ICON));
    ASSERT_EQ(calls.size(), 2u);  // the picture, then the tip
    EXPECT_EQ(calls[0].icon, tray.data.hIcon);

    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(tray.data.hIcon, &info));
    BITMAP colour = {};
    GetObjectA(info.hbmColor, sizeof colour, &colour);
    EXPECT_EQ(colour.bmWidth, 16);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);

    // 0.8 as a double stays yellow; the tip follows every frame.
    calls.clear();
    SetLoad(1, 5);
    RefreshTray(tray, level, module_);
    EXPECT_EQ(level, 1);
    EXPECT_EQ(Messages(), std::vector<DWORD>{NIM_MODIFY});
    EXPECT_EQ(std::string(tray.data.szTip), kFreeMemory + FormatByteSize(1));

    const HICON yellow = tray.data.hIcon;
    SetLoad(19999998, 100000000);  // load 0.80000002
    RefreshTray(tray, level, module_);
    EXPECT_EQ(level, 2);
    EXPECT_NE(tray.data.hIcon, yellow);
    ICONINFO gone = {};
    EXPECT_FALSE(GetIconInfo(yellow, &gone));  // the replaced picture was ours and is freed
}

TEST_F(TrayIconTest, FoldingAgainWithTheSameLevelKeepsThePicture) {
    TrayIcon tray;
    Show(tray);
    int32_t level = 10;
    RefreshTray(tray, level, module_);
    const HICON green = tray.data.hIcon;
    EXPECT_EQ(level, 0);
    tray.remove();
    ASSERT_TRUE(tray.add(5, 500));
    calls.clear();
    RefreshTray(tray, level, module_);
    EXPECT_EQ(tray.data.hIcon, green);
    EXPECT_EQ(Messages(), std::vector<DWORD>{NIM_MODIFY});
}

TEST_F(TrayIconTest, PictureThatCannotBeLoadedIsNotRetriedUntilTheLevelChanges) {
    TrayIcon tray;
    Show(tray);
    int32_t level = 10;
    const HINSTANCE without_pictures = GetModuleHandleA("kernel32.dll");
    RefreshTray(tray, level, without_pictures);
    EXPECT_EQ(level, 0);
    EXPECT_EQ(tray.data.hIcon, nullptr);
    EXPECT_EQ(tray.data.uFlags, static_cast<UINT>(NIF_TIP));
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].flags, 0u);  // the picture's modify changes nothing

    RefreshTray(tray, level, module_);
    EXPECT_EQ(tray.data.hIcon, nullptr);
    SetLoad(0, 4);
    RefreshTray(tray, level, module_);
    EXPECT_NE(tray.data.hIcon, nullptr);
}

TEST_F(TrayIconTest, RefreshWithoutAMemoryReadingChangesNothing) {
    TrayIcon tray;
    Show(tray);
    int32_t level = 10;
    memory_readable = false;
    RefreshTray(tray, level, module_);
    SetLoad(0, 0);
    memory_readable = true;
    RefreshTray(tray, level, module_);
    EXPECT_EQ(level, 10);
    EXPECT_TRUE(calls.empty());
    EXPECT_STREQ(tray.data.szTip, "tip");
}

}  // namespace
