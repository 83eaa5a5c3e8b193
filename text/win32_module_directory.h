// The program's own file, and its directory ending in a backslash.
#pragma once

#include <windows.h>

#include <string>

// As UTF-16 and whole, however long the path and whatever its characters:
// the ANSI call would cut it or put "?" for what the code page lacks. Empty
// when the system cannot name the file.
std::wstring ModuleDirectory(HMODULE module);

// The file's full path, likewise; empty when the system cannot name it.
std::wstring ModuleFileName(HMODULE module);
