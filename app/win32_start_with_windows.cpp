#include "app/win32_start_with_windows.h"

namespace {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

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

// The program part of a command line: the quoted text, or all of it unquoted.
std::wstring CommandProgram(const std::wstring& command) {
    const size_t start = command.find_first_not_of(L" \t");
    if (start == std::wstring::npos) return std::wstring();
    if (command[start] == L'"') {
        const size_t end = command.find(L'"', start + 1);
        return command.substr(start + 1, end == std::wstring::npos ? end : end - start - 1);
    }
    const size_t end = command.find_last_not_of(L" \t");
    return command.substr(start, end - start + 1);
}

// Folded as the file system compares names, letters of every script alike.
std::wstring Folded(std::wstring path) {
    if (!path.empty()) CharUpperBuffW(&path[0], static_cast<DWORD>(path.size()));
    return path;
}

}  // namespace

const wchar_t kRunValueName[] = L"Vornelt Gauge";
RunKeySeam run_key_seam = {ReadRunValue, WriteRunValue, RemoveRunValue};

bool StartsWithWindows(const std::wstring& program) {
    std::wstring command;
    if (program.empty() || !run_key_seam.read(command)) return false;
    return Folded(CommandProgram(command)) == Folded(program);
}

bool SetStartWithWindows(const std::wstring& program, bool on) {
    if (!on) return run_key_seam.remove();
    return !program.empty() && run_key_seam.write(L"\"" + program + L"\"");
}
