#include "platform/win32_files.h"

#include <windows.h>
#include <shlobj.h>

namespace {

bool Opens(const std::wstring& path, DWORD disposition, DWORD flags) {
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, disposition, flags, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

}  // namespace

std::wstring AppDataFolder() {
    wchar_t folder[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) {
        return std::wstring();
    }
    return folder;
}

// Permissions, read-only media and folders that are no folders all answer the
// same way. A file that whoever locked the folder left writable was meant to be
// used; otherwise a file of this process's own, gone again as soon as it is
// closed, tells whether the folder takes a new file.
bool WritableBeside(const std::wstring& file) {
    if (Opens(file, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL)) return true;
    std::wstring probe = file + L".";
    for (DWORD id = GetCurrentProcessId(); id != 0; id >>= 4) probe += L"0123456789abcdef"[id & 15];
    return Opens(probe + L".tmp", CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE);
}
