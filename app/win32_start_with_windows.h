// Starting with Windows: the value in the user's Run key that names this very
// program. Windows' own list is the one place the option lives, so it survives
// the settings file and shows in Task Manager's startup list.
#pragma once

#include <string>

// Whether the Run value starts `program` (the executable's full path): its
// command's program, quoted or not, is that path, compared case-insensitively.
bool StartsWithWindows(const std::wstring& program);

// Writes the value as the quoted path of `program`, or deletes it; false when
// the registry refused, and then nothing changed.
bool SetStartWithWindows(const std::wstring& program, bool on);
