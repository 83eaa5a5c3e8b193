// The directory of the program's own file, ending in a backslash.
#pragma once

#include <windows.h>

// Points into one static buffer that every call overwrites.
const char* ModuleDirectory(HMODULE module);
