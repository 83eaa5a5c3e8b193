#include "app/win32_start_with_windows.h"

#include <windows.h>

#include "app/startup_approval.h"
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

bool RunValueNames(const std::wstring& program) {
    std::wstring command;
    if (program.empty() || !platform.registry.read_run_value(command)) return false;
    return Folded(CommandProgram(command)) == Folded(program);
}

// The Startup page's record as stored, with its type kept to put it back.
struct StoredRecord {
    DWORD type = REG_NONE;
    StartupRecord record = {false, false, {}};
};

StoredRecord ReadRecord() {
    StoredRecord stored;
    stored.record.present = platform.registry.read_startup_record(stored.type, stored.record.data);
    stored.record.binary = stored.type == REG_BINARY;
    if (!stored.record.present) stored.record.data.clear();
    return stored;
}

}  // namespace

bool StartsWithWindows(const std::wstring& program) {
    return RunValueNames(program) && StartupShownChecked(true, ReadRecord().record);
}

bool ChooseStartWithWindows(const std::wstring& program) {
    const StoredRecord stored = ReadRecord();
    const StartupChange change =
        StartupChoice(StartupShownChecked(RunValueNames(program), stored.record), stored.record);
    if (change.delete_run_value) return platform.registry.remove_run_value();
    if (program.empty()) return false;
    if (change.delete_record && !platform.registry.remove_startup_record()) return false;
    if (platform.registry.write_run_value(L"\"" + program + L"\"")) return true;
    // The record goes back as it was: a refused choice changes nothing.
    if (change.delete_record) {
        platform.registry.write_startup_record(stored.type, stored.record.data);
    }
    return false;
}
