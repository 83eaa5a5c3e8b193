// Where the program's texts cross into Windows as UTF-16. They are kept as
// Shift-JIS bytes (ASCII is a part of it); code page 932 is named for the
// conversion, so they read the same whatever the user's ANSI code page is.
// Lines built around names the system gave in UTF-16 stay UTF-16 throughout
// (text/utf16_text.h), in the wide strings Windows takes as they are.
#pragma once

#include <cstddef>
#include <string>

std::wstring WideFromShiftJis(const std::string& text);

// Copies as much of `text` as `capacity` units hold with the terminating NUL,
// cut between characters: never half of a surrogate pair.
void CopyWideBounded(wchar_t* target, size_t capacity, const std::wstring& text);
