// Where the settings file lives: beside the program while the gadget may keep
// it there, otherwise in the user's application data, so that a program in a
// folder the user cannot write to (Program Files, say) keeps its settings too.
#pragma once

#include <windows.h>

#include <string>

// What decides the place and cannot be arranged for real in a test; tests
// replace it.
struct SettingsPlaceSeam {
    // The user's application-data folder; empty when the system names none.
    std::wstring (*app_data_folder)();
    // Whether the settings beside the program can be written: a new file can be
    // made in `folder` (which ends in a backslash), or the existing `file` there
    // may be written in place.
    bool (*beside_writable)(const std::wstring& folder, const std::wstring& file);
};
extern SettingsPlaceSeam settings_place_seam;

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
