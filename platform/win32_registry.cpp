#include "platform/win32_registry.h"

#include <windows.h>

namespace {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kRunValueName[] = L"Vornelt Gauge";

// The one owner of an open registry key.
class OwnedKey {
public:
    OwnedKey(HKEY parent, REGSAM access, bool create) {
        const LONG status =
            create ? RegCreateKeyExW(parent, kRunKey, 0, nullptr, 0, access, nullptr, &key_, nullptr)
                   : RegOpenKeyExW(parent, kRunKey, 0, access, &key_);
        if (status != ERROR_SUCCESS) key_ = nullptr;
    }
    ~OwnedKey() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    HKEY get() const { return key_; }

private:
    OwnedKey(const OwnedKey&) = delete;
    OwnedKey& operator=(const OwnedKey&) = delete;
    HKEY key_ = nullptr;
};

}  // namespace

bool ReadRunValue(std::wstring& data) {
    const OwnedKey key(HKEY_CURRENT_USER, KEY_QUERY_VALUE, false);
    if (key.get() == nullptr) return false;
    DWORD type = 0, bytes = 0;
    if (RegQueryValueExW(key.get(), kRunValueName, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return false;
    }
    // The stored text need not end in a NUL: room for one more.
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key.get(), kRunValueName, nullptr, &type,
                         reinterpret_cast<BYTE*>(&text[0]), &bytes) != ERROR_SUCCESS) {
        return false;
    }
    text.resize(bytes / sizeof(wchar_t));
    const size_t end = text.find(L'\0');
    if (end != std::wstring::npos) text.resize(end);
    data = text;
    return true;
}

bool WriteRunValue(const std::wstring& data) {
    const OwnedKey key(HKEY_CURRENT_USER, KEY_SET_VALUE, true);
    return key.get() != nullptr &&
           RegSetValueExW(key.get(), kRunValueName, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool RemoveRunValue() {
    const OwnedKey key(HKEY_CURRENT_USER, KEY_SET_VALUE, false);
    if (key.get() == nullptr) return false;
    const LONG status = RegDeleteValueW(key.get(), kRunValueName);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}
