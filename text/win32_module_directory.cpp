#include "text/win32_module_directory.h"

#include <cwchar>

#include "text/string_helpers.h"

namespace {

// The longest path the system can hand out, in UTF-16 units.
constexpr size_t kLongestPath = 32768;

}  // namespace

std::wstring ModuleFileName(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) return std::wstring();
        // A cut path fills the whole buffer (without a NUL before Vista): grow and ask again.
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        if (path.size() >= kLongestPath) return std::wstring();
        path.resize(path.size() * 2);
    }
}

std::wstring ModuleDirectory(HMODULE module) {
    std::wstring path = ModuleFileName(module);
    if (path.empty()) return path;
    CutToDirectory(&path[0], path.size());
    path.resize(std::wcslen(path.c_str()));
    return path;
}
