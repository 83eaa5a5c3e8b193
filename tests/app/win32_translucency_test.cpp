#include "app/win32_layered_window_api.h"

#include <gtest/gtest.h>

#include "app/main_window.h"

namespace {

// The start-up code prepares the samplers' lock before any MainWindow exists.
struct SampleLockReady {
    SampleLockReady() { InitializeCriticalSection(&sample_lock); }
} const sample_lock_ready;

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

TEST_F(ShapedWindowTest, TranslucencyTogglesTheLayeredStyleAndKeepsTheOpacity) {
    LayeredWindowApi api;
    ASSERT_NE(api.module, nullptr);
    EXPECT_FALSE(Layered());
    MakeTranslucent(window_, 128, api);
    EXPECT_TRUE(Layered());
    EXPECT_EQ(ShownAlpha(), 128);

    MakeOpaque(window_);
    EXPECT_FALSE(Layered());
    MakeTranslucent(window_, 255, api);
    EXPECT_TRUE(Layered());
    EXPECT_EQ(ShownAlpha(), 255);
    // Other extended styles survive both ways.
    EXPECT_NE(GetWindowLongA(window_, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
    MakeOpaque(window_);
    EXPECT_NE(GetWindowLongA(window_, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
}

TEST_F(ShapedWindowTest, MissingServiceStillSetsTheStyleAndReportsNothingDone) {
    LayeredWindowApi api;
    FreeLibrary(api.module);
    api.module = nullptr;
    EXPECT_EQ(api.set_layered_attributes(window_, 0, 10, LWA_ALPHA), 0);
    MakeTranslucent(window_, 10, api);
    EXPECT_TRUE(Layered());
}

TEST_F(ShapedWindowTest, CutShapeDropsTheBottomLeftCellUntilItIsDropped) {
    HRGN window_region = nullptr;
    HRGN full_region = nullptr;
    HRGN cut_region = nullptr;
    EXPECT_EQ(RegionHolds(5, 20), -1);
    ApplyCutShape(window_, window_region, full_region, cut_region);
    ASSERT_NE(full_region, nullptr);
    ASSERT_NE(cut_region, nullptr);
    EXPECT_EQ(RegionHolds(0, 0), 1);
    EXPECT_EQ(RegionHolds(239, 11), 1);
    EXPECT_EQ(RegionHolds(0, 11), 1);
    EXPECT_EQ(RegionHolds(120, 12), 1);
    EXPECT_EQ(RegionHolds(239, 23), 1);
    EXPECT_EQ(RegionHolds(0, 12), 0);
    EXPECT_EQ(RegionHolds(119, 23), 0);
    EXPECT_EQ(RegionHolds(60, 18), 0);

    // Clicks in the cut cell reach whatever lies beneath.
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    RECT place;
    GetWindowRect(window_, &place);
    const POINT in_top_row{place.left + 200, place.top + 5};
    const POINT in_cut_cell{place.left + 10, place.top + 20};
    EXPECT_EQ(WindowFromPoint(in_top_row), window_);
    EXPECT_NE(WindowFromPoint(in_cut_cell), window_);

    DropCutShape(window_, full_region, cut_region);
    EXPECT_EQ(RegionHolds(5, 20), -1);
    EXPECT_EQ(full_region, nullptr);
    EXPECT_EQ(cut_region, nullptr);
    EXPECT_EQ(WindowFromPoint(in_cut_cell), window_);
}

TEST_F(ShapedWindowTest, GadgetSwitchesTranslucencyAtItsStoredOpacity) {
    MainWindow gadget;
    gadget.hwnd = window_;
    gadget.alpha = 77;
    gadget.toggle_translucency();
    EXPECT_TRUE(gadget.translucent);
    EXPECT_TRUE(Layered());
    EXPECT_EQ(ShownAlpha(), 77);
    gadget.toggle_translucency();
    EXPECT_FALSE(gadget.translucent);
    EXPECT_FALSE(Layered());
    gadget.toggle_translucency();
    EXPECT_EQ(ShownAlpha(), 77);
    gadget.hwnd = nullptr;  // the fixture's window
}

}  // namespace
