#include "text/win32_module_directory.h"

#include "text/string_helpers.h"

const char* ModuleDirectory(HMODULE module) {
    // 256 bytes, not MAX_PATH: longer paths are cut by the system and still end
    // at a backslash or at the buffer's start, never before it.
    static char buffer[256];
    const DWORD length = GetModuleFileNameA(module, buffer, sizeof buffer);
    if (length >= sizeof buffer) buffer[sizeof buffer - 1] = '\0';
    CutToDirectory(buffer, sizeof buffer);
    return buffer;
}
