// Where the settings file lives: beside the program while the gadget may keep
// it there, otherwise in the user's application data, so that a program in a
// folder the user cannot write to (Program Files, say) keeps its settings too.
#pragma once

#include <cstdint>
#include <string>

// The file that the gadget whose program lies in `program_folder` (ending in a
// backslash) saves to: "Pollstate.txt" beside the program when that can be
// written, or when the file there is read-only (settings the user pinned: read,
// never replaced nor overridden by a copy). Otherwise "Vornelt Gauge\Pollstate.txt"
// in the application data.
std::wstring SettingsFileToSave(const std::wstring& program_folder);

// The file it loads at start: `save_file`, or while that does not exist yet,
// the one beside the program.
std::wstring SettingsFileToLoad(const std::wstring& save_file, const std::wstring& program_folder);

// `folder` itself, or, where it leaves too little room below the system's
// classic path limit, its extended form ("\\?\C:\...", "\\?\UNC\server\...").
std::wstring RoomyFolder(const std::wstring& folder);

// The file's identity, the same for every spelling of its full path that
// differs only in case: one gadget runs per key.
uint64_t SettingsFileKey(const std::wstring& path);
