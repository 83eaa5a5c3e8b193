#include "app/win32_tip_measure.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "app/busiest_line.h"

namespace {

// A tooltip set up as the gadget's: at most as wide as the virtual screen.
class TipMeasureTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitCommonControls();
        owner_ = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 100, 100, 240, 24,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        tip_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner_, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(tip_, nullptr);
        tool_.cbSize = TTTOOLINFOW_V2_SIZE;
        tool_.uFlags = TTF_TRACK | TTF_ABSOLUTE;
        tool_.hwnd = owner_;
        tool_.rect = RECT{0, 0, 120, 24};
        tool_.lpszText = const_cast<wchar_t*>(L"x");
        SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool_));
        SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, GetSystemMetrics(SM_CXVIRTUALSCREEN));
    }
    void TearDown() override {
        DestroyWindow(tip_);
        DestroyWindow(owner_);
    }

    // The tooltip's size when shown with `text`.
    SIZE Shown(const std::wstring& text) {
        std::wstring copy = text;
        tool_.lpszText = &copy[0];
        SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool_));
        SendMessageW(tip_, TTM_TRACKPOSITION, 0, MAKELPARAM(0, 0));
        SendMessageW(tip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool_));
        RECT rect = {};
        GetWindowRect(tip_, &rect);
        SendMessageW(tip_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool_));
        return SIZE{rect.right - rect.left, rect.bottom - rect.top};
    }

    HWND owner_ = nullptr;
    HWND tip_ = nullptr;
    TOOLINFOW tool_ = {};
};

TEST_F(TipMeasureTest, ALongNameIsShortenedToOneLineWithinTheScreen) {
    const TipMeasure measure(tip_);
    EXPECT_GT(measure.width(VG_UTF16("WWWWWWWW")), measure.width(VG_UTF16("WWWW")));
    EXPECT_EQ(measure.width(VG_UTF16("")), 0);
    const int32_t screen = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const Utf16Text name = Utf16Text(400, VG_UTF16('W')) + VG_UTF16(".exe");

    // The tooltip is shown when the line is composed.
    const Utf16Text short_line = VG_UTF16("Busiest: W.exe 42%");
    const SIZE one_line = Shown(short_line);
    SendMessageW(tip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool_));
    const Utf16Text line = ComposeBusiestLine(kEnglishFace, name, 42, TipMeasure::WidthOf, &measure,
                                                   measure.limit());
    ASSERT_LT(line.size(), name.size());
    const SIZE shortened = Shown(line);
    EXPECT_LE(shortened.cx, screen);
    EXPECT_EQ(shortened.cx - measure.width(line), one_line.cx - measure.width(short_line))
        << "the whole line shows, with the control's margins";
    EXPECT_GT(shortened.cx, screen * 3 / 4) << "no more shortened than needed";
    EXPECT_EQ(shortened.cy, one_line.cy) << "still one line";
}

}  // namespace
