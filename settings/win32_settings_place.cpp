#include "settings/win32_settings_place.h"

#include <shlobj.h>

namespace {

const wchar_t kFileName[] = L"Pollstate.txt";
const wchar_t kAppDataFolder[] = L"Vornelt Gauge\\";
// Room kept below MAX_PATH for what the gadget puts in a folder: its own
// folder in the application data, the settings file, the temporary file of a
// save or of the writability check.
constexpr size_t kNamesRoom = 64;

std::wstring SystemAppDataFolder() {
    wchar_t folder[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) {
        return std::wstring();
    }
    return folder;
}

bool Opens(const std::wstring& path, DWORD disposition, DWORD flags) {
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, disposition, flags, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

// Tried for real: permissions, read-only media and folders that are no folders
// all answer the same way. A file that whoever locked the folder left writable
// was meant to be used; otherwise a file of this process's own, gone again as
// soon as it is closed, tells whether the folder takes the settings file.
bool SystemBesideWritable(const std::wstring& folder, const std::wstring& file) {
    if (Opens(file, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL)) return true;
    std::wstring probe = folder + kFileName + L".";
    for (DWORD id = GetCurrentProcessId(); id != 0; id >>= 4) probe += L"0123456789abcdef"[id & 15];
    return Opens(probe + L".tmp", CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE);
}

bool Missing(const std::wstring& path) {
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Whether the gadget keeps its settings in `file`, beside the program.
bool KeepsBeside(const std::wstring& file, const std::wstring& folder) {
    const DWORD attributes = GetFileAttributesW(file.c_str());
    // Pinned: a copy elsewhere would take its place from the next start on.
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) == FILE_ATTRIBUTE_READONLY) {
        return true;
    }
    return settings_place_seam.beside_writable(folder, file);
}

}  // namespace

SettingsPlaceSeam settings_place_seam = {SystemAppDataFolder, SystemBesideWritable};

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
    if (KeepsBeside(beside, folder)) return beside;
    std::wstring app_data = settings_place_seam.app_data_folder();
    // Nowhere better: the saves beside the program fail as they did.
    if (app_data.empty()) return beside;
    if (app_data.back() != L'\\') app_data += L'\\';
    return RoomyFolder(app_data).append(kAppDataFolder).append(kFileName);
}

std::wstring SettingsFileToLoad(const std::wstring& save_file, const std::wstring& program_folder) {
    const std::wstring beside = RoomyFolder(program_folder) + kFileName;
    return save_file != beside && Missing(save_file) ? beside : save_file;
}
