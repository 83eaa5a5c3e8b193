// The gadget's own value under the user's Run key
// (HKCU\Software\Microsoft\Windows\CurrentVersion\Run), named "Vornelt Gauge",
// whose command Windows runs at logon, and the record of the same name with
// which Task Manager's Startup page and Settings' Startup apps switch it off
// without touching it (under ...\CurrentVersion\Explorer\StartupApproved\Run).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// The value's text; false when there is none or it cannot be read. A text
// stored without its terminating NUL is read whole all the same.
bool ReadRunValue(std::wstring& data);
// Writes the value as a string (REG_SZ), making the key where it is missing.
bool WriteRunValue(const std::wstring& data);
// Deletes the value; true also when there was none.
bool RemoveRunValue();

// The record's type and bytes; false when there is none or it cannot be read.
bool ReadStartupRecord(DWORD& type, std::vector<uint8_t>& data);
// Writes the record as given (to put back one that was deleted).
bool WriteStartupRecord(DWORD type, const std::vector<uint8_t>& data);
// Deletes the record; true also when there was none.
bool RemoveStartupRecord();
