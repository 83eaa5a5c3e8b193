// Small text and number functions shared by the whole program: byte sizes,
// integers to and from text, white-space trimming and tick differences.
#pragma once

#include <cstdint>
#include <string>

std::string FormatByteSize(uint64_t bytes);
std::string IntToString(int32_t value);
int32_t TextToInt(std::string text);
bool TextToFlag(std::string text);
std::string TrimLeft(std::string text);
std::string TrimRight(std::string text);
std::string Trim(std::string text);
// Milliseconds from `earlier` to `later` of a 32-bit tick counter that may wrap.
uint32_t ElapsedTicks(uint32_t earlier, uint32_t later);

// The directory part of a module path held in a buffer of `length` units: every
// unit after the last backslash is zeroed, never walking before the buffer's
// start. The Windows wrapper (ModuleDirectory) fills it from GetModuleFileNameW.
void CutToDirectory(wchar_t* buffer, size_t length);
