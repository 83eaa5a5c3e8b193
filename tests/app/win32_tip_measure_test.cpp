#include "app/win32_tip_measure.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "app/busiest_line.h"
#include "text/win32_wide_text.h"

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
    EXPECT_GT(measure.width(u"WWWWWWWW"), measure.width(u"WWWW"));
    EXPECT_EQ(measure.width(u""), 0);
    const int32_t screen = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const std::u16string name = std::u16string(400, u'W') + u".exe";
    const auto width = [&measure](const std::u16string& text) { return measure.width(text); };

    // The tooltip is shown when the line is composed.
    const std::u16string short_line = u"Busiest: W.exe 42%";
    const SIZE one_line = Shown(WideFromUtf16(short_line));
    SendMessageW(tip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool_));
    const std::u16string line = ComposeBusiestLine(kEnglishFace, name, 42, width, measure.limit());
    ASSERT_LT(line.size(), name.size());
    const SIZE shortened = Shown(WideFromUtf16(line));
    EXPECT_LE(shortened.cx, screen);
    EXPECT_EQ(shortened.cx - measure.width(line), one_line.cx - measure.width(short_line))
        << "the whole line shows, with the control's margins";
    EXPECT_GT(shortened.cx, screen * 3 / 4) << "no more shortened than needed";
    EXPECT_EQ(shortened.cy, one_line.cy) << "still one line";
}

}  // namespace
