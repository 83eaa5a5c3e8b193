#include "app/win32_tray.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "platform/win32_platform.h"
#include "resources/resource_ids.h"
#include "text/string_helpers.h"
#include "text/win32_wide_text.h"
#include "tests/app/win32_icon_width.h"

namespace {

// A shell whose answers the test scripts: each call takes the next answer
// (success when none is left) and is recorded as it was sent.
struct Answer {
    BOOL result;
    DWORD error;
};
struct Call {
    DWORD message;
    UINT flags;
    HICON icon;
};

std::deque<Answer> answers;
std::vector<Call> calls;
std::vector<DWORD> pauses;
MEMORYSTATUSEX memory = {};
bool memory_readable = true;

// The error is left as the thread's last one, as the shell's own call does.
BOOL WINAPI ScriptedNotify(DWORD message, PNOTIFYICONDATAW data) {
    calls.push_back({message, data->uFlags, data->hIcon});
    const Answer answer = answers.empty() ? Answer{TRUE, 0} : answers.front();
    if (!answers.empty()) answers.pop_front();
    SetLastError(answer.error);
    return answer.result;
}
void WINAPI RecordPause(DWORD milliseconds) { pauses.push_back(milliseconds); }
bool taskbar = true;
bool Taskbar() { return taskbar; }
BOOL WINAPI FixedMemory(LPMEMORYSTATUSEX status) {
    status->ullTotalPhys = memory.ullTotalPhys;
    status->ullAvailPhys = memory.ullAvailPhys;
    return memory_readable;
}

const Answer kTimeout{FALSE, ERROR_TIMEOUT};
const Answer kFailed{FALSE, ERROR_ACCESS_DENIED};
const char kKatakanaMe[] = "\x83\x81";  // "メ"

std::wstring Widened(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

std::vector<DWORD> Messages() {
    std::vector<DWORD> messages;
    for (const Call& call : calls) messages.push_back(call.message);
    return messages;
}

class TrayIconTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform.shell = {ScriptedNotify, Taskbar};
        platform.clock.sleep = RecordPause;
        taskbar = true;
        platform.memory.status = FixedMemory;
        answers.clear();
        calls.clear();
        pauses.clear();
        memory_readable = true;
        SetLoad(3, 4);  // load 0.25: green
        tray_.prepare(window_, module_, kJapaneseFace, 16);
        // A record without a picture yet, and a tip of the test's.
        icon_.configure(window_, kTrayId, kTrayMessage, nullptr, "tip");
    }
    static void SetLoad(uint64_t available, uint64_t total) {
        memory.ullAvailPhys = available;
        memory.ullTotalPhys = total;
    }
    void Show() {
        ASSERT_TRUE(icon_.add(5, 500));
        calls.clear();
    }
    std::wstring Tip() const { return icon_.data.szTip; }

    ScopedPlatform platform_;
    HWND window_ = reinterpret_cast<HWND>(uintptr_t{0x1234});
    HINSTANCE module_ = GetModuleHandleA(nullptr);
    Tray tray_;
    TrayIcon& icon_ = tray_.icon();
};

TEST_F(TrayIconTest, AddMakesOneAttemptLessThanItsBudget) {
    for (int32_t budget : {0, 1, -1}) EXPECT_FALSE(icon_.add(budget, 100)) << budget;
    EXPECT_TRUE(calls.empty());

    answers = {kTimeout, kFailed};
    EXPECT_FALSE(icon_.add(2, 100));
    EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD, NIM_MODIFY}));
    EXPECT_EQ(pauses, std::vector<DWORD>{100});

    calls.clear();
    pauses.clear();
    answers.assign(8, kTimeout);
    EXPECT_FALSE(icon_.add(5, 500));
    EXPECT_EQ(calls.size(), 8u);
    EXPECT_EQ(pauses, std::vector<DWORD>(4, 500));
    EXPECT_EQ(icon_.added, 0);
}

TEST_F(TrayIconTest, ARefusedAddCountsOnlyWhenAModifyConfirmsIt) {
    // Refused outright (at sign-in the shell says 0 or "file not found"): the
    // modify decides, at once and without a pause.
    for (DWORD error : {DWORD{0}, DWORD{ERROR_FILE_NOT_FOUND}}) {
        for (BOOL modified : {FALSE, TRUE}) {
            SCOPED_TRACE(testing::Message() << error << (modified ? " modified" : " not modified"));
            icon_.added = 0;
            calls.clear();
            answers = {{FALSE, error}, {modified, error}};
            EXPECT_EQ(icon_.add(5, 500), modified == TRUE);
            EXPECT_EQ(icon_.added, modified ? 1 : 0);
            EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD, NIM_MODIFY}));
            EXPECT_TRUE(pauses.empty());
        }
    }
    // A busy shell is waited for: three timeouts, then the modify answers one.
    icon_.added = 0;
    calls.clear();
    answers = {kTimeout, kFailed, kTimeout, {2, 0}, kTimeout, {1, 0}};
    EXPECT_TRUE(icon_.add(5, 500));
    EXPECT_EQ(icon_.added, 1);
    EXPECT_EQ(pauses.size(), 3u);
    EXPECT_EQ(calls.size(), 6u);
}

TEST_F(TrayIconTest, AnIconWhoseUpdatesAreRefusedFiveTimesInARowCountsAsLost) {
    Show();
    uint64_t available = 3000;
    // Each refresh with another amount to tell the shell.
    auto refresh = [&]() {
        SetLoad(available += 100, 4000);
        return tray_.refresh();
    };
    // Four refused updates and one taken start the count afresh.
    answers.assign(4, kFailed);
    for (int round = 0; round < 5; ++round) EXPECT_TRUE(refresh());
    answers.assign(5, kFailed);
    for (int round = 0; round < 4; ++round) EXPECT_TRUE(refresh());
    EXPECT_EQ(icon_.added, 1);
    EXPECT_FALSE(refresh());
    EXPECT_EQ(icon_.added, 0);
}

TEST_F(TrayIconTest, RecordChangesReachTheShellOnlyAsTold) {
    EXPECT_EQ(icon_.data.cbSize, static_cast<DWORD>(NOTIFYICONDATAW_V1_SIZE));
    EXPECT_EQ(icon_.data.uFlags, static_cast<UINT>(NIF_TIP | NIF_MESSAGE));
    EXPECT_TRUE(calls.empty());
    Show();
    // A refused delete leaves the icon counted as shown; configure retries it.
    answers = {kFailed};
    EXPECT_EQ(icon_.remove(), 0);
    EXPECT_EQ(icon_.added, 1);
    const HICON icon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));
    icon_.configure(window_, 7, 0, icon, "x");
    EXPECT_EQ(icon_.added, 0);
    EXPECT_EQ(icon_.data.uFlags, static_cast<UINT>(NIF_TIP | NIF_ICON));
    EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_DELETE, NIM_DELETE}));
    icon_.remove_if_added();
    EXPECT_EQ(calls.size(), 2u);
}

TEST_F(TrayIconTest, AnIconStillShownGoesWithItsRecord) {
    {
        TrayIcon shown;
        shown.configure(window_, kTrayId, kTrayMessage, nullptr, "tip");
        ASSERT_TRUE(shown.add(5, 500));
        TrayIcon never_shown;
        calls.clear();
    }
    EXPECT_EQ(Messages(), std::vector<DWORD>{NIM_DELETE});
}

TEST_F(TrayIconTest, TipIsCutAtTheRecordsSizeWithoutSplittingACharacter) {
    icon_.set_tip(std::string(100, 'a'), false);
    EXPECT_EQ(Tip(), std::wstring(63, L'a'));
    // The record counts characters, not bytes: a two-byte one is one of 63.
    icon_.set_tip(std::string(62, 'a') + kKatakanaMe + "b", false);
    EXPECT_EQ(Tip(), std::wstring(62, L'a') + L"メ");
    // Half-width katakana are single bytes, read as code page 932 whatever the user's is.
    icon_.configure(window_, 1, 0, nullptr, std::string(40, 'b') + std::string(30, '\xB1'));
    EXPECT_EQ(Tip(), std::wstring(40, L'b') + std::wstring(23, L'\xFF71'));
    // A pair of surrogates is kept whole or left out whole.
    wchar_t record[4];
    CopyWideBounded(record, 4, L"ab\xD83D\xDE00");
    EXPECT_EQ(std::wstring(record), L"ab");
    CopyWideBounded(record, 4, L"a\xD83D\xDE00");
    EXPECT_EQ(std::wstring(record), L"a\xD83D\xDE00");
}

TEST_F(TrayIconTest, EmptyTipClearsTheFlagsButANullIconKeepsPictureAndCallback) {
    Show();
    const HICON icon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));
    EXPECT_EQ(icon_.set_icon(icon, true), nullptr);
    EXPECT_EQ(icon_.set_icon(nullptr, true), icon);
    EXPECT_EQ(icon_.data.hIcon, icon);
    icon_.set_tip("", true);
    EXPECT_EQ(Tip(), L"tip");
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].flags, static_cast<UINT>(NIF_TIP | NIF_MESSAGE | NIF_ICON));
    EXPECT_EQ(calls[1].flags, static_cast<UINT>(NIF_TIP | NIF_MESSAGE | NIF_ICON));
    EXPECT_EQ(calls[2].flags, 0u);
    EXPECT_EQ(Messages(), std::vector<DWORD>(3, NIM_MODIFY));
}

TEST_F(TrayIconTest, RefreshShowsTheLevelPictureAndTheFreeMemory) {
    Show();
    SetLoad(1, 2);  // load exactly 0.5
    tray_.refresh();
    EXPECT_EQ(tray_.level(), 1);
    ASSERT_NE(icon_.data.hIcon, nullptr);
    EXPECT_EQ(Tip(), L"メモリ残量:" + Widened(FormatByteSize(1)));
    ASSERT_EQ(calls.size(), 2u);  // the picture, then the tip
    EXPECT_EQ(calls[0].icon, icon_.data.hIcon);
    EXPECT_EQ(IconWidth(icon_.data.hIcon), 16);

    // 0.8 as a double is still yellow: only the tip goes out.
    calls.clear();
    SetLoad(2, 10);
    tray_.refresh();
    EXPECT_EQ(tray_.level(), 1);
    EXPECT_EQ(Messages(), std::vector<DWORD>{NIM_MODIFY});

    const HICON yellow = icon_.data.hIcon;
    SetLoad(19999998, 100000000);  // load 0.80000002
    tray_.refresh();
    EXPECT_EQ(tray_.level(), 2);
    EXPECT_NE(icon_.data.hIcon, yellow);
    EXPECT_EQ(IconWidth(yellow), -1);  // the replaced picture was freed
}

TEST_F(TrayIconTest, FoldingAgainWithTheSameLevelKeepsThePicture) {
    Show();
    tray_.refresh();
    const HICON green = icon_.data.hIcon;
    EXPECT_EQ(tray_.level(), 0);
    icon_.remove();
    Show();
    tray_.refresh();
    EXPECT_EQ(icon_.data.hIcon, green);
    EXPECT_EQ(Messages(), std::vector<DWORD>{NIM_MODIFY});
}

TEST_F(TrayIconTest, PictureThatCannotBeLoadedKeepsTheOldOneAndIsNotRetriedUntilTheLevelChanges) {
    const HICON first = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));
    // A module without the pictures.
    tray_.prepare(window_, GetModuleHandleA("kernel32.dll"), kJapaneseFace, 16);
    icon_.configure(window_, kTrayId, kTrayMessage, first, "tip");
    Show();
    tray_.refresh();
    EXPECT_EQ(tray_.level(), 0);
    EXPECT_EQ(icon_.data.hIcon, first);
    EXPECT_EQ(icon_.data.uFlags, static_cast<UINT>(NIF_TIP | NIF_MESSAGE | NIF_ICON));
    // Every record the shell saw could still be clicked.
    const UINT clickable = NIF_MESSAGE | NIF_ICON;
    ASSERT_FALSE(calls.empty());
    for (const Call& call : calls) EXPECT_EQ(call.flags & clickable, clickable);
    // The pictures there now, the level the same: nothing is loaded again.
    tray_.prepare(window_, module_, kJapaneseFace, 16);
    icon_.configure(window_, kTrayId, kTrayMessage, first, "tip");
    Show();
    tray_.refresh();
    EXPECT_EQ(icon_.data.hIcon, first);
    SetLoad(0, 4);
    tray_.refresh();
    EXPECT_NE(icon_.data.hIcon, first);
    EXPECT_NE(icon_.data.hIcon, nullptr);
}

TEST_F(TrayIconTest, EveryPictureHoldsEverySmallIconSizeAndTheRecordGetsTheOneAskedFor) {
    // Each level picture has its own image at each size the shell draws small
    // icons at, from 100 % to 300 % scale: none is a stretched copy.
    for (WORD picture : {101, 103, 104, 105}) {
        const HRSRC group = FindResourceA(module_, MAKEINTRESOURCEA(picture), RT_GROUP_ICON);
        ASSERT_NE(group, nullptr) << picture;
        auto* directory = static_cast<BYTE*>(LockResource(LoadResource(module_, group)));
        for (int size : {16, 20, 24, 32, 40, 48}) {
            const int id = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
            const HRSRC image = FindResourceA(module_, MAKEINTRESOURCEA(id), RT_ICON);
            ASSERT_NE(image, nullptr) << picture << " " << size;
            // A bitmap's header, or a PNG's (its width big-endian after the signature).
            const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module_, image)));
            const bool compressed = std::memcmp(data, "\x89PNG", 4) == 0;
            const int32_t width =
                compressed ? data[16] << 24 | data[17] << 16 | data[18] << 8 | data[19]
                           : reinterpret_cast<const BITMAPINFOHEADER*>(data)->biWidth;
            EXPECT_EQ(width, size) << picture;
            // The sizes every shell reads are bitmaps.
            if (size == 16 || size == 32) {
                EXPECT_FALSE(compressed) << picture << " " << size;
            }
        }
    }
    Show();
    EXPECT_TRUE(tray_.set_icon_size(24));
    tray_.refresh();
    EXPECT_EQ(IconWidth(icon_.data.hIcon), 24);
    EXPECT_FALSE(tray_.set_icon_size(24));
    EXPECT_TRUE(tray_.set_icon_size(40));  // as after a change of scale
    EXPECT_EQ(tray_.level(), Tray::kNoLevel);
    tray_.refresh();
    EXPECT_EQ(IconWidth(icon_.data.hIcon), 40);
}

std::vector<int> scaled_down;  // the sizes asked for
HICON scaled_picture = nullptr;
HRESULT WINAPI FakeScaleDown(HINSTANCE, PCWSTR, int width, int height, HICON* icon) {
    scaled_down.push_back(width == height ? width : -1);
    *icon = scaled_picture;
    return scaled_picture != nullptr ? S_OK : E_FAIL;
}

TEST_F(TrayIconTest, PicturesAtSizesTheImagesLackAreScaledDownByWindows) {
    platform.window_manager.load_icon_with_scale_down = FakeScaleDown;
    scaled_down.clear();
    scaled_picture = CreateIcon(nullptr, 28, 28, 1, 1, std::vector<BYTE>(28 * 4, 0xFF).data(),
                                std::vector<BYTE>(28 * 4, 0).data());
    Show();
    ASSERT_TRUE(tray_.set_icon_size(28));  // 175 %
    tray_.refresh();
    EXPECT_EQ(scaled_down, std::vector<int>{28});
    EXPECT_EQ(icon_.data.hIcon, scaled_picture);
    // Where Windows cannot, the image of that size is made from the nearest.
    scaled_picture = nullptr;
    ASSERT_TRUE(tray_.set_icon_size(36));  // 225 %
    tray_.refresh();
    EXPECT_EQ(IconWidth(icon_.data.hIcon), 36);
}

TEST_F(TrayIconTest, RefreshSendsTheTipWhenItsTextChangesOrTheShellMayHaveMissedIt) {
    Show();
    for (int frame = 0; frame < 30; ++frame) tray_.refresh();
    EXPECT_EQ(Messages(), std::vector<DWORD>(2, NIM_MODIFY));  // the picture, the tip once
    calls.clear();
    SetLoad(30, 40);  // the same level, another amount: sent on its frame, alone
    tray_.refresh();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].flags, static_cast<UINT>(NIF_TIP));
    EXPECT_EQ(icon_.data.uFlags, static_cast<UINT>(NIF_TIP | NIF_MESSAGE | NIF_ICON));
    EXPECT_EQ(Tip(), L"メモリ残量:" + Widened(FormatByteSize(30)));

    // A refused request is sent again, even when the amount is back to what
    // the shell last took: a timed-out request may still have arrived.
    calls.clear();
    answers = {kFailed, kTimeout};
    SetLoad(31, 40);
    tray_.refresh();
    SetLoad(30, 40);
    for (int frame = 0; frame < 3; ++frame) tray_.refresh();
    EXPECT_EQ(calls.size(), 3u);
    EXPECT_EQ(Tip(), L"メモリ残量:" + Widened(FormatByteSize(30)));

    // A taskbar restart or a second fold adds the icon anew; the shell may keep
    // an older record, so the next frame sends tip and picture all the same.
    calls.clear();
    ASSERT_TRUE(icon_.add(5, 500));
    for (int frame = 0; frame < 3; ++frame) tray_.refresh();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(calls[1].flags, static_cast<UINT>(NIF_TIP | NIF_MESSAGE | NIF_ICON));
}

TEST_F(TrayIconTest, RefreshWithoutAMemoryReadingChangesNothing) {
    Show();
    memory_readable = false;
    tray_.refresh();
    SetLoad(0, 0);
    memory_readable = true;
    tray_.refresh();
    EXPECT_EQ(tray_.level(), Tray::kNoLevel);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(Tip(), L"tip");
}

}  // namespace
