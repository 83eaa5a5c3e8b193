// Readers of the tag message text: the XML-like format in which the main window
// hands commands to the meter and in which the settings file is written.
#pragma once

#include <cstdint>
#include <string>

// Number of elements named `name`, walking open/close marker pairs from the start.
int32_t CountTagElements(const std::string& text, const std::string& name);

// Content of the element named `name` with the zero-based `index`. On false,
// `out` keeps whatever it held before.
bool GetTagElement(const std::string& text, const std::string& name, uint32_t index,
                   std::string& out);
