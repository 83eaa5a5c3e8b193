#include "app/win32_translucency.h"

#include <gtest/gtest.h>

#include "app/win32_window_shape.h"

namespace {

// A plain borderless, topmost tool window of the gadget's size.
class ShapedWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA window_class = {};
        window_class.lpfnWndProc = DefWindowProcA;
        window_class.hInstance = GetModuleHandleA(nullptr);
        window_class.lpszClassName = "VgEffectsTest";
        RegisterClassA(&window_class);
        window_ = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "VgEffectsTest", "", WS_POPUP,
                                  100, 100, 240, 24, nullptr, nullptr, window_class.hInstance,
                                  nullptr);
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override { DestroyWindow(window_); }

    bool Layered() const { return (GetWindowLongA(window_, GWL_EXSTYLE) & WS_EX_LAYERED) != 0; }
    BYTE ShownAlpha() const {
        BYTE alpha = 0;
        DWORD flags = 0;
        EXPECT_TRUE(GetLayeredWindowAttributes(window_, nullptr, &alpha, &flags));
        EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));
        return alpha;
    }
    // Whether the window's current region holds the point; -1 without a region.
    int RegionHolds(int x, int y) const {
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        const int kind = GetWindowRgn(window_, region);
        const int holds = kind == ERROR ? -1 : PtInRegion(region, x, y) ? 1 : 0;
        DeleteObject(region);
        return holds;
    }

    HWND window_ = nullptr;
};

TEST_F(ShapedWindowTest, TranslucencySwitchesAtTheStoredOpacity) {
    Translucency translucency;
    translucency.set(false, 255);  // layered, yet fully opaque
    LayeredWindowApi api;
    translucency.apply(window_, api);
    EXPECT_FALSE(Layered()) << "only when on";
    translucency.toggle(window_);
    EXPECT_TRUE(translucency.on());
    EXPECT_TRUE(Layered());
    EXPECT_EQ(ShownAlpha(), 255);
    translucency.set(true, 128);
    translucency.toggle(window_);
    EXPECT_FALSE(translucency.on());
    EXPECT_FALSE(Layered());
    translucency.toggle(window_);
    EXPECT_EQ(ShownAlpha(), 128);
    // The gadget's other extended styles survive both ways.
    EXPECT_NE(GetWindowLongA(window_, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
    EXPECT_NE(GetWindowLongA(window_, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
}

// A layered window without attributes is never drawn on Windows.
TEST_F(ShapedWindowTest, MissingServiceLeavesTheWindowUnlayeredAndReportsNothingDone) {
    LayeredWindowApi api;
    EXPECT_TRUE(api.available());
    FreeLibrary(api.module);
    api.module = nullptr;
    EXPECT_FALSE(api.available());
    EXPECT_EQ(api.set_layered_attributes(window_, 0, 10, LWA_ALPHA), 0);
    MakeTranslucent(window_, 10, api);
    EXPECT_FALSE(Layered());
}

TEST_F(ShapedWindowTest, CutShapeDropsTheBottomLeftCellUntilItIsDropped) {
    WindowShape shape;
    shape.apply(window_, kUnscaled);
    EXPECT_TRUE(shape.cut());
    for (POINT kept : {POINT{0, 0}, POINT{239, 11}, POINT{0, 11}, POINT{120, 12}, POINT{239, 23}}) {
        EXPECT_EQ(RegionHolds(kept.x, kept.y), 1) << kept.x << "," << kept.y;
    }
    for (POINT cut : {POINT{0, 12}, POINT{119, 23}, POINT{60, 18}}) {
        EXPECT_EQ(RegionHolds(cut.x, cut.y), 0) << cut.x << "," << cut.y;
    }

    // Clicks in the cut cell reach whatever lies beneath.
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    RECT place;
    GetWindowRect(window_, &place);
    const POINT in_cut_cell{place.left + 10, place.top + 20};
    EXPECT_EQ(WindowFromPoint(POINT{place.left + 200, place.top + 5}), window_);
    EXPECT_NE(WindowFromPoint(in_cut_cell), window_);

    // At twice the scale the cell is cut anew, twice as large.
    shape.apply(window_, ScaleForDpi(192));
    EXPECT_EQ(RegionHolds(200, 30), 0);
    EXPECT_EQ(RegionHolds(300, 10), 1);
    shape.drop(window_);
    EXPECT_EQ(RegionHolds(5, 20), -1);
    EXPECT_FALSE(shape.cut());
    EXPECT_EQ(WindowFromPoint(in_cut_cell), window_);
}

}  // namespace
