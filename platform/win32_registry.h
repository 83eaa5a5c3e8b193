// The gadget's own value under the user's Run key
// (HKCU\Software\Microsoft\Windows\CurrentVersion\Run), named "Vornelt Gauge",
// whose command Windows runs at logon.
#pragma once

#include <string>

// The value's text; false when there is none or it cannot be read. A text
// stored without its terminating NUL is read whole all the same.
bool ReadRunValue(std::wstring& data);
// Writes the value as a string (REG_SZ), making the key where it is missing.
bool WriteRunValue(const std::wstring& data);
// Deletes the value; true also when there was none.
bool RemoveRunValue();
