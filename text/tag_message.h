// Readers of the tag message text: the XML-like format in which the main window
// hands commands to the meter and in which the settings file is written.
//
// Contract: every reader walks open/close marker pairs from the start of the
// text; "<NAME" without its ">" is the open marker, so "<TRANS" also matches
// "<TRANSRATE>". A name may be any bytes; the `const char*` forms take a
// terminated name and ask the heap for nothing (the frame's messages are read
// thirty times a second), the `std::string` forms are the same readers.
#pragma once

#include <cstdint>
#include <string>

// Number of elements named `name`, walking open/close marker pairs from the start.
int32_t CountTagElements(const std::string& text, const std::string& name);
int32_t CountTagElements(const std::string& text, const char* name);

// Content of the element named `name` with the zero-based `index`. On false,
// `out` keeps whatever it held before; on true it is assigned in place, so a
// buffer kept by the caller keeps its capacity.
bool GetTagElement(const std::string& text, const std::string& name, uint32_t index,
                   std::string& out);
bool GetTagElement(const std::string& text, const char* name, uint32_t index, std::string& out);
