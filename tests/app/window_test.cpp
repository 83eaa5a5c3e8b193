#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/win32_window.h"

namespace {

// Records what reaches it; forwards to the base handler unless told not to
// (messages for made-up handles must not reach the system).
class Recorder : public Window {
public:
    LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam) override {
        if (messages.empty()) hwnd_at_first_message = hwnd;
        messages.push_back(message);
        return forward ? Window::handle_message(message, wparam, lparam) : 0;
    }

    bool create_popup(const char* name, int32_t x = 10, int32_t y = 20, HICON icon = nullptr) {
        return create(GetModuleHandleA(nullptr), nullptr, name, x, y, 100, 50, "test", WS_POPUP,
                      WS_EX_TOOLWINDOW, nullptr, icon);
    }

    std::vector<UINT> messages;
    HWND hwnd_at_first_message = nullptr;
    bool forward = true;
};

std::string ClassOf(HWND hwnd) {
    char name[64] = "";
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

// Window destruction posts WM_QUIT; each test checks and drains its own.
class RealWindow : public ::testing::Test {
protected:
    void TearDown() override {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message != WM_QUIT) DispatchMessageA(&message);
        }
    }

    // The exit code of a waiting WM_QUIT, or -1 when there is none.
    static int TakeQuit() {
        MSG message;
        if (!PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return -1;
        return static_cast<int>(message.wParam);
    }

    // Gone from the system and the registry, handle cleared, quit posted with 0.
    static void ExpectDestroyed(const Recorder& window, HWND hwnd) {
        EXPECT_FALSE(IsWindow(hwnd));
        EXPECT_EQ(window.messages.back(), static_cast<UINT>(WM_NCDESTROY));
        EXPECT_EQ(global_registry().find(hwnd), nullptr);
        EXPECT_EQ(window.hwnd, nullptr);
        EXPECT_EQ(TakeQuit(), 0);
    }
};

TEST_F(RealWindow, IsBoundFromItsFirstMessageUntilItsLast) {
    Recorder window;
    ASSERT_TRUE(window.create_popup("WindowTestLifetime"));
    const HWND hwnd = window.hwnd;
    ASSERT_NE(hwnd, nullptr);
    ASSERT_FALSE(window.messages.empty());
    EXPECT_EQ(window.hwnd_at_first_message, hwnd);
    EXPECT_EQ(global_registry().find(hwnd), &window);
    EXPECT_EQ(creating_window, &window);
    EXPECT_EQ(ClassOf(hwnd), "WindowTestLifetime");
    EXPECT_STREQ(window.class_name, "WindowTestLifetime");
    EXPECT_EQ(window.instance, GetModuleHandleA(nullptr));

    RECT rect;
    GetWindowRect(hwnd, &rect);
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.top, 20);
    EXPECT_EQ(rect.right, 110);
    EXPECT_EQ(rect.bottom, 70);

    ASSERT_TRUE(DestroyWindow(hwnd));
    ExpectDestroyed(window, hwnd);
}

TEST_F(RealWindow, BaseHandlerClosesPaintsAndQuits) {
    Recorder window;
    ASSERT_TRUE(window.create_popup("WindowTestClose"));
    const HWND hwnd = window.hwnd;
    ShowWindow(hwnd, SW_SHOWNA);
    InvalidateRect(hwnd, nullptr, FALSE);
    UpdateWindow(hwnd);
    EXPECT_FALSE(GetUpdateRect(hwnd, nullptr, FALSE)) << "WM_PAINT must validate the window";
    EXPECT_EQ(TakeQuit(), -1);

    EXPECT_EQ(SendMessageA(hwnd, WM_CLOSE, 0, 0), 0);
    ExpectDestroyed(window, hwnd);
}

TEST_F(RealWindow, DialogHandlerClosesOnlyOnOkAndCancel) {
    Recorder window;
    ASSERT_TRUE(window.create_popup("WindowTestDialog"));
    const HWND hwnd = window.hwnd;
    EXPECT_TRUE(window.dialog_message(WM_INITDIALOG, 0, 0));
    EXPECT_FALSE(window.dialog_message(WM_USER, 0, 0));
    EXPECT_TRUE(window.dialog_message(WM_COMMAND, MAKEWPARAM(40005, 0), 0));
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_TRUE(window.dialog_message(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0));
    ExpectDestroyed(window, hwnd);
}

TEST_F(RealWindow, EachClassNameServesOneCreate) {
    Recorder first;
    Recorder second;
    ASSERT_TRUE(first.create_popup("WindowTestOnce"));
    EXPECT_FALSE(second.create_popup("WindowTestOnce"));
    EXPECT_EQ(second.hwnd, nullptr);
    EXPECT_TRUE(second.messages.empty());
    EXPECT_EQ(creating_window, &first);

    // Without a name the class is "WindowClass", which then is taken as well.
    Recorder unnamed;
    ASSERT_TRUE(unnamed.create_popup(nullptr));
    EXPECT_STREQ(unnamed.class_name, "WindowClass");
    EXPECT_EQ(ClassOf(unnamed.hwnd), "WindowClass");
    Recorder unnamed_again;
    EXPECT_FALSE(unnamed_again.create_popup(nullptr));
}

TEST_F(RealWindow, CreatingAgainReplacesTheOldWindow) {
    Recorder window;
    ASSERT_TRUE(window.create_popup("WindowTestAgainA"));
    const HWND old = window.hwnd;
    ASSERT_TRUE(window.create_popup("WindowTestAgainB", 30, 40));
    EXPECT_FALSE(IsWindow(old));
    EXPECT_EQ(global_registry().find(old), nullptr);
    EXPECT_EQ(global_registry().find(window.hwnd), &window);
    EXPECT_EQ(ClassOf(window.hwnd), "WindowTestAgainB");
}

TEST_F(RealWindow, GivenIconBecomesBothBigAndSmallIcon) {
    HICON icon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
    ASSERT_NE(icon, nullptr);
    Recorder window;
    ASSERT_TRUE(window.create_popup("WindowTestIcon", 0, 0, icon));
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(window.hwnd, WM_GETICON, ICON_BIG, 0)), icon);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(window.hwnd, WM_GETICON, ICON_SMALL, 0)), icon);

    WNDCLASSA registered;
    ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "WindowTestIcon", &registered));
    EXPECT_EQ(registered.style, static_cast<UINT>(CS_VREDRAW | CS_HREDRAW));
    EXPECT_EQ(registered.lpfnWndProc, window_procedure);
    EXPECT_EQ(registered.cbWndExtra, 4);
    EXPECT_EQ(registered.hIcon, nullptr);
    EXPECT_EQ(registered.hbrBackground, GetStockObject(BLACK_BRUSH));
}

TEST_F(RealWindow, RequestedSizeIsTheClientAreaEvenWithAFrame) {
    Recorder window;
    ASSERT_TRUE(window.create(GetModuleHandleA(nullptr), nullptr, "WindowTestFramed", 50, 60, 200,
                              100, "framed", WS_OVERLAPPEDWINDOW, 0, nullptr, nullptr));
    RECT client;
    GetClientRect(window.hwnd, &client);
    EXPECT_EQ(client.right - client.left, 200);
    EXPECT_EQ(client.bottom - client.top, 100);
}

TEST(WindowProcedure, RecycledHandleBindsToTheWindowBeingCreated) {
    const HWND recycled = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x7A5C));
    Window* const saved = creating_window;
    Recorder old_window;
    Recorder new_window;
    old_window.forward = new_window.forward = false;
    ASSERT_TRUE(global_registry().add(recycled, &old_window));

    window_procedure(recycled, WM_NCDESTROY, 0, 0);
    EXPECT_EQ(old_window.messages, std::vector<UINT>{WM_NCDESTROY});
    EXPECT_EQ(global_registry().find(recycled), nullptr);

    creating_window = &new_window;
    window_procedure(recycled, WM_NCCREATE, 0, 0);
    window_procedure(recycled, WM_USER, 0, 0);
    EXPECT_EQ(old_window.messages.size(), 1u);
    EXPECT_EQ(new_window.messages, (std::vector<UINT>{WM_NCCREATE, WM_USER}));
    EXPECT_EQ(new_window.hwnd_at_first_message, recycled);
    EXPECT_EQ(global_registry().find(recycled), &new_window);

    EXPECT_EQ(global_registry().remove(recycled), 0);
    new_window.hwnd = nullptr;
    creating_window = saved;
}

TEST(WindowProcedure, UnknownHandleWithNoWindowBeingMadeGoesToTheDefault) {
    const HWND stray = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x7A60));
    Window* const saved = creating_window;
    {
        Recorder gone;
        creating_window = &gone;
    }
    // A deleted object is never handed a message.
    EXPECT_EQ(creating_window, nullptr);
    window_procedure(stray, WM_USER, 0, 0);
    EXPECT_EQ(global_registry().find(stray), nullptr);
    creating_window = saved;
}

}  // namespace
