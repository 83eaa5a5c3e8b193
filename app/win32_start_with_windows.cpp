#include "app/win32_start_with_windows.h"

#include <windows.h>

#include "platform/win32_platform.h"

namespace {

// The program part of a command line: the quoted text, or all of it unquoted.
std::wstring CommandProgram(const std::wstring& command) {
    const size_t start = command.find_first_not_of(L" \t");
    if (start == std::wstring::npos) return std::wstring();
    if (command[start] == L'"') {
        const size_t end = command.find(L'"', start + 1);
        return command.substr(start + 1, end == std::wstring::npos ? end : end - start - 1);
    }
    const size_t end = command.find_last_not_of(L" \t");
    return command.substr(start, end - start + 1);
}

// Folded as the file system compares names, letters of every script alike.
std::wstring Folded(std::wstring path) {
    if (!path.empty()) CharUpperBuffW(&path[0], static_cast<DWORD>(path.size()));
    return path;
}

}  // namespace

bool StartsWithWindows(const std::wstring& program) {
    std::wstring command;
    if (program.empty() || !platform.registry.read_run_value(command)) return false;
    return Folded(CommandProgram(command)) == Folded(program);
}

bool SetStartWithWindows(const std::wstring& program, bool on) {
    if (!on) return platform.registry.remove_run_value();
    return !program.empty() && platform.registry.write_run_value(L"\"" + program + L"\"");
}
