#include "tools/probe/probe_accessible.h"

#include <oleacc.h>

#include <cstdio>
#include <string>

namespace {

// Texts as UTF-8, so the test reads the Japanese caption whatever the code page.
std::string Utf8(const wchar_t* text) {
    if (text == nullptr) return std::string();
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1) return std::string();
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], bytes, nullptr, nullptr);
    out.resize(static_cast<size_t>(bytes - 1));
    return out;
}

void PrintText(IAccessible& object, HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*),
               const VARIANT& child, const char* key) {
    BSTR text = nullptr;
    const HRESULT result = (object.*get)(child, &text);
    // A part without the text says so: "none" is no text of the gadget's.
    std::printf("child%ld.%s=%s\n", child.lVal, key,
                result == S_OK ? Utf8(text).c_str() : result == S_FALSE ? "(none)" : "(failed)");
    SysFreeString(text);
}

void PrintChild(IAccessible& object, long id) {
    VARIANT child;
    child.vt = VT_I4;
    child.lVal = id;
    PrintText(object, &IAccessible::get_accName, child, "name");
    PrintText(object, &IAccessible::get_accValue, child, "value");
    PrintText(object, &IAccessible::get_accDescription, child, "description");
    VARIANT role;
    role.vt = VT_EMPTY;
    object.get_accRole(child, &role);
    std::printf("child%ld.role=%ld\n", id, role.vt == VT_I4 ? role.lVal : -1L);
    long left = 0, top = 0, width = 0, height = 0;
    object.accLocation(&left, &top, &width, &height, child);
    std::printf("child%ld.place=%ld,%ld %ldx%ld\n", id, left, top, width, height);
}

}  // namespace

// The client object of the gadget's window (child0) and each of its children,
// from AccessibleObjectFromWindow in this process.
int AccessibleSubcommand(HWND hwnd, int, char**) {
    CoInitialize(nullptr);
    IAccessible* client = nullptr;
    const HRESULT found = AccessibleObjectFromWindow(
        hwnd, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible, reinterpret_cast<void**>(&client));
    int code = 1;
    if (SUCCEEDED(found) && client != nullptr) {
        long count = 0;
        client->get_accChildCount(&count);
        std::printf("children=%ld\n", count);
        for (long id = 0; id <= count; ++id) PrintChild(*client, id);
        client->Release();
        code = 0;
    } else {
        std::printf("accessible=none\nresult=0x%08lx\n", static_cast<unsigned long>(found));
    }
    CoUninitialize();
    return code;
}
