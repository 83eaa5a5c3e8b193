// Small text and number functions shared by the whole program: byte sizes,
// integers to and from text, white-space trimming and tick differences.
#pragma once

#include <cstdint>
#include <string>

std::string FormatByteSize(uint64_t bytes);
std::string IntToString(int32_t value);
// Appends the decimal digits of `value` (a '-' first when negative), as
// IntToString writes them, without a temporary string.
void AppendInt(std::string& text, int32_t value);
int32_t TextToInt(std::string text);
bool TextToFlag(std::string text);
std::string TrimLeft(std::string text);
std::string TrimRight(std::string text);
std::string Trim(std::string text);
// Truncates toward zero, but a value short of the next whole number away from
// zero by at most a relative 1e-9 counts as that number: arithmetic that should
// land on a whole number (a share of an interval, a sine at its peak) lands a
// hair short of it in doubles, and plain truncation would then show one less.
// Values really below keep truncating (37.9 gives 37); NaN and the infinities
// come back unchanged.
double TruncateNearlyWhole(double value);
// Milliseconds from `earlier` to `later` of a 32-bit tick counter that may wrap.
uint32_t ElapsedTicks(uint32_t earlier, uint32_t later);

// The directory part of a module path held in a buffer of `length` units: every
// unit after the last backslash is zeroed, never walking before the buffer's
// start. The Windows wrapper (ModuleDirectory) fills it from GetModuleFileNameW.
void CutToDirectory(wchar_t* buffer, size_t length);
