#include "settings/win32_settings_place.h"

#include "platform/win32_platform.h"

namespace {

const wchar_t kFileName[] = L"Pollstate.txt";
const wchar_t kAppDataFolder[] = L"Vornelt Gauge\\";
// Room kept below MAX_PATH for what the gadget puts in a folder: its own
// folder in the application data, the settings file, the temporary file of a
// save or of the writability check.
constexpr size_t kNamesRoom = 64;

bool Missing(const std::wstring& path) {
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Whether the gadget keeps its settings in `file`, beside the program.
bool KeepsBeside(const std::wstring& file) {
    const DWORD attributes = GetFileAttributesW(file.c_str());
    // Pinned: a copy elsewhere would take its place from the next start on.
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) == FILE_ATTRIBUTE_READONLY) {
        return true;
    }
    return platform.files.writable_beside(file);
}

}  // namespace

std::wstring RoomyFolder(const std::wstring& folder) {
    if (folder.size() + kNamesRoom < MAX_PATH) return folder;
    if (folder[1] == L':') return L"\\\\?\\" + folder;
    // A share's "\\server\..." becomes "\\?\UNC\server\..."; extended forms stay.
    if (folder[0] == L'\\' && folder[1] == L'\\' && folder[2] != L'?' && folder[2] != L'.') {
        return L"\\\\?\\UNC" + folder.substr(1);
    }
    return folder;
}

std::wstring SettingsFileToSave(const std::wstring& program_folder) {
    const std::wstring folder = RoomyFolder(program_folder);
    const std::wstring beside = folder + kFileName;
    if (KeepsBeside(beside)) return beside;
    std::wstring app_data = platform.files.app_data_folder();
    // Nowhere better: the saves beside the program fail as they did.
    if (app_data.empty()) return beside;
    if (app_data.back() != L'\\') app_data += L'\\';
    return RoomyFolder(app_data).append(kAppDataFolder).append(kFileName);
}

std::wstring SettingsFileToLoad(const std::wstring& save_file, const std::wstring& program_folder) {
    const std::wstring beside = RoomyFolder(program_folder) + kFileName;
    return save_file != beside && Missing(save_file) ? beside : save_file;
}

uint64_t SettingsFileKey(const std::wstring& path) {
    std::wstring full(MAX_PATH, L'\0');
    DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
    if (length >= full.size()) {
        full.assign(length, L'\0');
        length = GetFullPathNameW(path.c_str(), length, &full[0], nullptr);
    }
    full.resize(length > 0 && length < full.size() ? length : 0);
    if (full.empty()) full = path;
    // Folded as the file system compares names, letters of every script alike.
    CharUpperBuffW(&full[0], static_cast<DWORD>(full.size()));
    uint64_t hash = 14695981039346656037ull;  // FNV-1a, over both bytes of each unit
    for (const wchar_t unit : full) {
        for (const unsigned byte : {unit & 0xFFu, (unit >> 8) & 0xFFu}) {
            hash ^= byte;
            hash *= 1099511628211ull;
        }
    }
    return hash;
}
