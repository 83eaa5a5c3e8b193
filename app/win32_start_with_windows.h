// Starting with Windows: the value in the user's Run key that names this very
// program, and the Startup page's record that may switch it off. Windows' own
// list is the one place the option lives, so it survives the settings file and
// shows in Task Manager's startup list.
#pragma once

#include <string>

// Whether Windows starts `program` (the executable's full path) at logon: the
// Run value's command names it (quoted or not, compared case-insensitively)
// and the Startup page has not switched the entry off.
bool StartsWithWindows(const std::wstring& program);

// The menu item chosen: when Windows starts `program`, deletes the Run value;
// otherwise writes it as the quoted path and deletes a record that switches it
// off. False when the registry refused, and then nothing changed.
bool ChooseStartWithWindows(const std::wstring& program);
