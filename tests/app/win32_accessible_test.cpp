// The gadget's accessible object as a client gets it: through WM_GETOBJECT and
// oleacc from a window that shows a real meter.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "app/win32_accessibility.h"
#include "tests/meter/meter_form_fixture.h"
#include "platform/win32_platform.h"
#include "platform/win32_system_libraries.h"

namespace {

Accessibility* answering = nullptr;
std::vector<std::pair<DWORD, LONG>> events;  // (event, child) as notified

LRESULT CALLBACK GadgetLikeProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    LRESULT result = 0;
    if (message == WM_GETOBJECT && answering != nullptr &&
        answering->answer(wparam, lparam, result)) {
        return result;
    }
    if (message == WM_DESTROY && answering != nullptr) answering->detach();
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

void WINAPI CountEvent(DWORD event, HWND, LONG, LONG child) { events.push_back({event, child}); }

VARIANT Child(long id) {
    VARIANT child;
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

class AccessibleTest : public MeterFormTest {
protected:
    static void SetUpTestSuite() { LoadSystemLibraries(); }
    static void TearDownTestSuite() { FreeSystemLibraries(); }
    void TearDown() override {
        if (object != nullptr) object->Release();
        if (IsWindow(window)) DestroyWindow(window);
        answering = nullptr;
        events.clear();
    }

    // A window at (100, 200) showing processor k at (7 k) % 101 percent.
    MeterForm& Show(uint32_t processors, const Face& face) {
        MeterForm& meter = Make(processors);
        meter.default_caption = face.default_caption;
        meter.apply_settings("");
        for (uint32_t k = 0; k < processors; ++k) Hold(meter, k, (7 * k) % 101);
        FakeSystem::total = uint64_t{32} << 30;
        FakeSystem::available = 24878618133;  // 23.17 GB
        meter.handle_message(Frame());
        WNDCLASSW type = {};
        type.lpfnWndProc = GadgetLikeProc;
        type.lpszClassName = L"AccessibleTest";
        RegisterClassW(&type);
        window = CreateWindowExW(0, L"AccessibleTest", L"Vornelt Gauge", WS_POPUP | WS_VISIBLE,
                                 100, 200, 240, 204, nullptr, nullptr, nullptr, nullptr);
        accessibility = std::make_unique<Accessibility>();
        accessibility->attach(window, &meter, &face, processors);
        answering = accessibility.get();
        object_from_window(
            window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
            reinterpret_cast<void**>(&object));
        return meter;
    }

    std::wstring Text(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*), long child) {
        BSTR text = nullptr;
        const HRESULT result = (object->*get)(Child(child), &text);
        std::wstring copy = text != nullptr ? text : result == S_FALSE ? L"(none)" : L"(failed)";
        SysFreeString(text);
        return copy;
    }
    std::wstring Name(long child) { return Text(&IAccessible::get_accName, child); }
    std::wstring Value(long child) { return Text(&IAccessible::get_accValue, child); }
    long Role(long child) {
        VARIANT role = {};
        return object->get_accRole(Child(child), &role) == S_OK ? role.lVal : -1;
    }
    std::string Place(long child) {
        long x = 0, y = 0, w = 0, h = 0;
        if (object->accLocation(&x, &y, &w, &h, Child(child)) != S_OK) return "(failed)";
        return std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(w) + "x" +
               std::to_string(h);
    }

    // Kept aside: a test may empty the table's entries.
    const decltype(platform.accessibility.object_from_window) object_from_window =
        platform.accessibility.object_from_window;
    HWND window = nullptr;
    std::unique_ptr<Accessibility> accessibility;
    IAccessible* object = nullptr;
};

TEST_F(AccessibleTest, ReadsTheMeterAsDrawnFor1_2_8And32ProcessorsInBothFaces) {
    for (const Face* face : {&kEnglishFace, &kJapaneseFace}) {
        for (uint32_t count : {1u, 2u, 8u, 32u}) {
            SCOPED_TRACE(std::to_string(count) + " processors, " + face->default_caption);
            TearDown();
            Show(count, *face);
            ASSERT_NE(object, nullptr);
            long children = 0;
            EXPECT_EQ(object->get_accChildCount(&children), S_OK);
            EXPECT_EQ(children, static_cast<long>(count) + 1);
            EXPECT_EQ(Name(CHILDID_SELF), L"Vornelt Gauge");
            EXPECT_EQ(Role(CHILDID_SELF), ROLE_SYSTEM_CLIENT);
            EXPECT_EQ(Value(CHILDID_SELF), L"(none)");
            const long last = static_cast<long>(count);
            const char* corner = count == 1 ? "100,200" : count == 2 ? "100,212"
                                 : count == 8 ? "220,248" : "220,392";
            const char* height = count <= 2 ? "24" : count == 8 ? "60" : "204";
            EXPECT_EQ(Place(CHILDID_SELF), std::string("100,200 240x") + height);
            EXPECT_EQ(Name(last), L"CPU " + std::to_wstring(last));
            EXPECT_EQ(Value(last), std::to_wstring((7 * (last - 1)) % 101) + L"%");
            EXPECT_EQ(Role(last), ROLE_SYSTEM_PROGRESSBAR);
            EXPECT_EQ(Place(last), std::string(corner) + " 120x12");
            const bool english = face == &kEnglishFace;
            EXPECT_EQ(Name(last + 1), english ? L"Free" : L"\u30E1\u30E2\u30EA\u6B8B\u308A");
            EXPECT_EQ(Value(last + 1), L"23.17GB");
            EXPECT_EQ(Text(&IAccessible::get_accDescription, last + 1),
                      english ? L"Memory load: 28%" : L"\u30E1\u30E2\u30EA\u4F7F\u7528\u7387:28%");
            EXPECT_EQ(Role(last + 1), ROLE_SYSTEM_PROGRESSBAR);
            EXPECT_EQ(Place(last + 1), "220,200 120x24");
        }
    }
}

TEST_F(AccessibleTest, RefusesBadCallsWithoutFollowingTheirPointers) {
    Show(2, kEnglishFace);
    ASSERT_NE(object, nullptr);
    for (long stranger : {-1L, 4L, 0x7FFFFFFFL}) EXPECT_EQ(Name(stranger), L"(failed)");
    VARIANT text = {};
    text.vt = VT_BSTR;
    BSTR name = nullptr;
    VARIANT answer = {};
    long x, y, w, h;
    EXPECT_EQ(object->get_accName(text, &name), E_INVALIDARG);
    EXPECT_EQ(object->get_accRole(text, &answer), E_INVALIDARG);
    EXPECT_EQ(object->accLocation(&x, &y, &w, &h, text), E_INVALIDARG);
    EXPECT_EQ(object->accNavigate(99, Child(CHILDID_SELF), &answer), E_INVALIDARG);
    EXPECT_EQ(object->get_accName(Child(1), nullptr), E_POINTER);
    EXPECT_EQ(object->get_accState(Child(1), nullptr), E_POINTER);
    EXPECT_EQ(object->accLocation(&x, nullptr, &w, &h, Child(1)), E_POINTER);
    EXPECT_EQ(object->get_accChildCount(nullptr), E_POINTER);
    EXPECT_EQ(object->accHitTest(0, 0, nullptr), E_POINTER);
    EXPECT_EQ(name, nullptr);
    // The children are simple elements; the hit test finds them on the screen.
    IDispatch* child = reinterpret_cast<IDispatch*>(1);
    EXPECT_EQ(object->get_accChild(Child(2), &child), S_FALSE);
    EXPECT_EQ(child, nullptr);
    EXPECT_EQ(object->accHitTest(100 + 130, 200 + 15, &answer), S_OK);
    EXPECT_EQ(answer.lVal, 3);
    EXPECT_EQ(object->accHitTest(99, 200, &answer), S_FALSE);
    EXPECT_EQ(answer.vt, VT_EMPTY);
}

TEST_F(AccessibleTest, AnswersDisconnectedOnceTheWindowIsGoneWhileAReferenceIsHeld) {
    Show(8, kJapaneseFace);
    ASSERT_NE(object, nullptr);
    DestroyWindow(window);
    // The window's part is gone as well; only the client's reference is left.
    answering = nullptr;
    accessibility.reset();
    long children = -1;
    VARIANT answer = {};
    EXPECT_EQ(Name(1), L"(failed)");
    EXPECT_EQ(object->get_accName(Child(1), nullptr), E_POINTER);
    EXPECT_EQ(object->get_accChildCount(&children), RPC_E_DISCONNECTED);
    EXPECT_EQ(object->accHitTest(110, 205, &answer), RPC_E_DISCONNECTED);
    EXPECT_EQ(object->accNavigate(NAVDIR_FIRSTCHILD, Child(CHILDID_SELF), &answer),
              RPC_E_DISCONNECTED);
    BSTR name = nullptr;
    EXPECT_EQ(object->get_accName(Child(CHILDID_SELF), &name), RPC_E_DISCONNECTED);
    EXPECT_EQ(object->Release(), 0u);
    object = nullptr;
}

TEST_F(AccessibleTest, WithoutTheLibrariesTheWindowKeepsTheSystemsObject) {
    platform.accessibility = {};
    Show(2, kEnglishFace);
    ASSERT_NE(object, nullptr);  // the system's default, which knows nothing of the meter
    long children = -1;
    object->get_accChildCount(&children);
    EXPECT_EQ(children, 0);
    LRESULT result = 0;
    EXPECT_FALSE(accessibility->answer(0, OBJID_CLIENT, result));
    EXPECT_FALSE(accessibility->answer(0, OBJID_WINDOW, result));
}

TEST_F(AccessibleTest, AnnouncesChangesAtMostOnceASecondAndNothingWhileHidden) {
    platform.window_manager.notify_win_event = CountEvent;
    MeterForm& meter = Show(2, kEnglishFace);
    auto frame = [&](uint32_t at, double first, double second) {
        Hold(meter, 0, first);
        Hold(meter, 1, second);
        FakeSystem::now = at;
        meter.handle_message(Frame());
        accessibility->frame_drawn(IsWindowVisible(window) != FALSE);
    };
    frame(1000, 10, 20);  // the first look: nothing changed
    frame(1500, 11, 20);
    frame(2000, 12.5, 20);
    frame(2200, 13, 20);
    frame(3100, 12.9, 20);  // back to the whole percent announced
    EXPECT_EQ(events, (std::vector<std::pair<DWORD, LONG>>{{EVENT_OBJECT_VALUECHANGE, 1}}));
    ShowWindow(window, SW_HIDE);
    frame(5000, 50, 50);
    EXPECT_EQ(events.size(), 1u);
    ShowWindow(window, SW_SHOWNA);
    frame(5100, 50, 50);
    // A change within the second is announced when the second has passed,
    // though no text changed again by then.
    frame(5500, 61, 50);
    frame(5900, 61, 50);
    frame(6200, 61, 50);
    frame(7500, 61, 50);
    accessibility->location_changed();
    EXPECT_EQ(events, (std::vector<std::pair<DWORD, LONG>>{{EVENT_OBJECT_VALUECHANGE, 1},
                                                           {EVENT_OBJECT_VALUECHANGE, 1},
                                                           {EVENT_OBJECT_VALUECHANGE, 2},
                                                           {EVENT_OBJECT_VALUECHANGE, 1},
                                                           {EVENT_OBJECT_LOCATIONCHANGE, 0}}));
}

}  // namespace
