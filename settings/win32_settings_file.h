// The settings file on disk: reading it whole, replacing it safely, and the
// stored settings it holds.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "settings/settings_text.h"

// A settings file is a few hundred bytes; anything beyond this is not read, so
// a stray huge file cannot stall start-up.
constexpr uint64_t kMaxSettingsFileBytes = 1 << 20;

// How a read of the settings file ended.
enum class ReadOutcome {
    kRead,      // the text is the file's
    kNoFile,    // there is no such file, nor maybe its folder
    kTooLarge,  // larger than kMaxSettingsFileBytes: no settings file of ours
    kFailed,    // the file is there but could not be read (held, denied, a folder...)
};

// The file's bytes up to its first NUL; `out` is empty unless the file was read.
// Others may go on reading, writing, renaming or deleting it meanwhile.
ReadOutcome ReadFileText(const std::wstring& path, std::string& out);

// ReadFileText, true when the file was read.
bool ReadWholeFile(std::wstring path, std::string& out);

// How a save ended.
enum class SaveOutcome {
    kSaved,
    kPinned,  // a read-only file (or a folder of that name): never written
    kBusy,    // another program holds the file, or the write failed: try again later
};

// Replaces the file with `text` through a temporary file beside it, so a failed
// write leaves the previous file exactly as it was. Where no temporary file can
// be created, or another program holds the file open but lets others write, the
// existing file is written in place instead.
SaveOutcome ReplaceFileText(const std::wstring& path, const std::string& text);

// ReplaceFileText, true when saved.
bool WriteWholeFile(std::wstring path, const std::string& text);

// The stored settings of the file at `path` (defaults when there is none); a
// position that would put the window on no monitor counts as not found. `text`
// receives the file's text for the meter, `read` how reading it ended.
StoredSettings LoadSettingsFile(const std::wstring& path, uint32_t processor_count,
                                std::string& text, ReadOutcome& read);

// Writes `settings` with the window's restored rectangle, followed by
// `meter_text`; the file's own folder is made when it is missing.
SaveOutcome SaveSettingsFile(const std::wstring& path, HWND window, StoredSettings settings,
                             const std::string& meter_text);
