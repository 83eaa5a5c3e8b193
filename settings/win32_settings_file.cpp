#include "settings/win32_settings_file.h"

#include <memory>
#include <new>

#include "platform/win32_platform.h"

namespace {

// The one owner of an open file handle.
class OwnedFile {
public:
    explicit OwnedFile(HANDLE handle) : handle_(handle) {}
    ~OwnedFile() { close(); }
    bool is_open() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }
    bool close() {
        if (!is_open()) return true;
        const bool closed = CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    OwnedFile(const OwnedFile&) = delete;
    OwnedFile& operator=(const OwnedFile&) = delete;
    HANDLE handle_;
};

// A read-only file is the user's way to pin the settings, and a folder of that
// name is nobody's settings file: neither is ever written. Windows refuses such a
// replace by itself; other file systems under the same API may not.
bool Pinned(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0;
}

// What a replace refused because another program has the file open answers.
bool InUse(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
           error == ERROR_LOCK_VIOLATION;
}

bool WriteText(HANDLE file, const std::string& text) {
    DWORD count = 0;
    return WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &count, nullptr) &&
           count == text.size() && FlushFileBuffers(file);
}

// For a folder where the user may change the settings file but create no file
// beside it, and for a file that a sync client or an indexer holds open while
// letting others write. Shared every way, so that such a holder does not stop
// it. A write cut short here can leave the old text's tail behind the new one,
// which is still better than not saving at all.
bool WriteInPlace(const std::wstring& path, const std::string& text) {
    OwnedFile file(CreateFileW(path.c_str(), GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.is_open()) return false;
    const bool written = WriteText(file.get(), text) && SetEndOfFile(file.get());
    return file.close() && written;
}

}  // namespace

ReadOutcome ReadFileText(const std::wstring& path, std::string& out) {
    out.clear();
    // Shared every way: a search indexer or a sync client that has the file open
    // must not make the gadget start from its defaults.
    OwnedFile file(CreateFileW(path.c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_NORMAL,
                               nullptr));
    if (!file.is_open()) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                   ? ReadOutcome::kNoFile
                   : ReadOutcome::kFailed;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return ReadOutcome::kFailed;
    if (static_cast<uint64_t>(size.QuadPart) > kMaxSettingsFileBytes) return ReadOutcome::kTooLarge;
    const DWORD length = static_cast<DWORD>(size.QuadPart);
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[length + 1]);
    if (!buffer) return ReadOutcome::kFailed;
    DWORD count = 0;
    if (!ReadFile(file.get(), buffer.get(), length, &count, nullptr)) return ReadOutcome::kFailed;
    buffer[count] = '\0';
    out.assign(buffer.get());  // a NUL ends the text
    return ReadOutcome::kRead;
}

bool ReadWholeFile(std::wstring path, std::string& out) {
    return ReadFileText(path, out) == ReadOutcome::kRead;
}

SaveOutcome ReplaceFileText(const std::wstring& path, const std::string& text) {
    if (Pinned(path)) return SaveOutcome::kPinned;
    const std::wstring temporary = path + L".tmp";
    OwnedFile file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.is_open()) return WriteInPlace(path, text) ? SaveOutcome::kSaved : SaveOutcome::kBusy;
    bool written = WriteText(file.get(), text);
    written = file.close() && written;
    if (!written) {
        DeleteFileW(temporary.c_str());
        return SaveOutcome::kBusy;
    }
    if (platform.files.replace(temporary.c_str(), path.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return SaveOutcome::kSaved;
    }
    const DWORD error = GetLastError();
    DeleteFileW(temporary.c_str());
    // A replace needs the holder to share deleting, which sync clients and
    // indexers seldom do; many share writing, and then the text goes in place.
    if (InUse(error) && WriteInPlace(path, text)) return SaveOutcome::kSaved;
    return SaveOutcome::kBusy;
}

bool WriteWholeFile(std::wstring path, const std::string& text) {
    return ReplaceFileText(path, text) == SaveOutcome::kSaved;
}

StoredSettings LoadSettingsFile(const std::wstring& path, uint32_t processor_count,
                                std::string& text, ReadOutcome& read) {
    read = ReadFileText(path, text);  // no text: every value takes its default
    StoredSettings settings = ParseSettingsText(text, processor_count);
    // A window kept on a monitor that is gone would come back out of reach.
    const RECT rect{settings.left, settings.top, settings.right, settings.bottom};
    if (settings.position_found && !RectOnAnyMonitor(rect)) settings.position_found = false;
    return settings;
}

SaveOutcome SaveSettingsFile(const std::wstring& path, HWND window, StoredSettings settings,
                             const std::string& meter_text) {
    // The gadget's folder in the application data comes with its first save.
    const size_t folder_end = path.find_last_of(L'\\');
    if (folder_end != std::wstring::npos) CreateDirectoryW(path.substr(0, folder_end).c_str(), nullptr);
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    // The restored rectangle, even while the window is hidden; a tool window's
    // placement is in screen coordinates, the ones the window is created with.
    platform.window_manager.window_placement(window, &placement);
    settings.left = placement.rcNormalPosition.left;
    settings.top = placement.rcNormalPosition.top;
    settings.right = placement.rcNormalPosition.right;
    settings.bottom = placement.rcNormalPosition.bottom;
    return ReplaceFileText(path, ComposeSettingsText(settings, meter_text));
}
