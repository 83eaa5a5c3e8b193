// What the system says about the folders the settings file may live in.
#pragma once

#include <string>

// The user's application-data folder (roaming); empty when the system names none.
std::wstring AppDataFolder();

// Whether `file` can be written: it exists and may be written in place, or a
// new file can be made beside it. Tried for real, leaving nothing behind.
bool WritableBeside(const std::wstring& file);
