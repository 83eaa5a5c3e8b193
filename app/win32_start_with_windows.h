// Starting with Windows: the value in the user's Run key that names this very
// program. Windows' own list is the one place the option lives, so it survives
// the settings file and shows in Task Manager's startup list.
#pragma once

#include <windows.h>

#include <string>

// The Run key's value of the gadget; tests replace the registry behind it.
struct RunKeySeam {
    // The value's text; false when there is none or it cannot be read.
    bool (*read)(std::wstring& data);
    bool (*write)(const std::wstring& data);
    bool (*remove)();
};
extern RunKeySeam run_key_seam;

// The name of the value under HKCU\Software\Microsoft\Windows\CurrentVersion\Run.
extern const wchar_t kRunValueName[];

// Whether the Run value starts `program` (the executable's full path): its
// command's program, quoted or not, is that path, compared case-insensitively.
bool StartsWithWindows(const std::wstring& program);

// Writes the value as the quoted path of `program`, or deletes it; false when
// the registry refused, and then nothing changed.
bool SetStartWithWindows(const std::wstring& program, bool on);
