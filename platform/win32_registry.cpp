#include "platform/win32_registry.h"

namespace {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kStartupApprovedKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
// The Run value and the record share the name.
const wchar_t kValueName[] = L"Vornelt Gauge";

// The one owner of an open registry key of the user's.
class OwnedKey {
public:
    OwnedKey(const wchar_t* path, REGSAM access, bool create) {
        status_ = create ? RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, access, nullptr,
                                           &key_, nullptr)
                         : RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, access, &key_);
        if (status_ != ERROR_SUCCESS) key_ = nullptr;
    }
    ~OwnedKey() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    HKEY get() const { return key_; }
    // Why the key could not be opened.
    LONG status() const { return status_; }

private:
    OwnedKey(const OwnedKey&) = delete;
    OwnedKey& operator=(const OwnedKey&) = delete;
    HKEY key_ = nullptr;
    LONG status_ = ERROR_SUCCESS;
};

bool RemoveValue(const wchar_t* path) {
    const OwnedKey key(path, KEY_SET_VALUE, false);
    // Without the key there is no value to delete.
    if (key.get() == nullptr) return key.status() == ERROR_FILE_NOT_FOUND;
    const LONG status = RegDeleteValueW(key.get(), kValueName);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

}  // namespace

bool ReadRunValue(std::wstring& data) {
    const OwnedKey key(kRunKey, KEY_QUERY_VALUE, false);
    if (key.get() == nullptr) return false;
    DWORD type = 0, bytes = 0;
    if (RegQueryValueExW(key.get(), kValueName, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return false;
    }
    // The stored text need not end in a NUL: room for one more.
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key.get(), kValueName, nullptr, &type,
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
    const OwnedKey key(kRunKey, KEY_SET_VALUE, true);
    return key.get() != nullptr &&
           RegSetValueExW(key.get(), kValueName, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool RemoveRunValue() { return RemoveValue(kRunKey); }

bool ReadStartupRecord(DWORD& type, std::vector<uint8_t>& data) {
    const OwnedKey key(kStartupApprovedKey, KEY_QUERY_VALUE, false);
    if (key.get() == nullptr) return false;
    DWORD bytes = 0;
    if (RegQueryValueExW(key.get(), kValueName, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) {
        return false;
    }
    std::vector<uint8_t> stored(bytes);
    if (RegQueryValueExW(key.get(), kValueName, nullptr, &type, stored.data(), &bytes) !=
        ERROR_SUCCESS) {
        return false;
    }
    stored.resize(bytes);
    data = stored;
    return true;
}

bool WriteStartupRecord(DWORD type, const std::vector<uint8_t>& data) {
    const OwnedKey key(kStartupApprovedKey, KEY_SET_VALUE, true);
    return key.get() != nullptr &&
           RegSetValueExW(key.get(), kValueName, 0, type, data.data(),
                          static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

bool RemoveStartupRecord() { return RemoveValue(kStartupApprovedKey); }
