// Text in UTF-16 units, as the system gives it (the names of processes) and as
// the lines built around such names are kept until they reach the system. On
// Windows that is the wide string the system speaks, which the program uses
// anyway; elsewhere, where wide characters are wider, the standard UTF-16
// string, so that the same code and tests run natively.
#pragma once

#include <cwchar>
#include <string>

#if WCHAR_MAX == 0xFFFF
using Utf16Unit = wchar_t;
// A literal of UTF-16 units.
#define VG_UTF16(literal) L##literal
#else
using Utf16Unit = char16_t;
#define VG_UTF16(literal) u##literal
#endif
using Utf16Text = std::basic_string<Utf16Unit>;
