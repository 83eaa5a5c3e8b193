// Identification of the processor the program runs on: CPUID, the clock from the
// time-stamp counter, and the report written once to the debugger output.
#pragma once

#include <windows.h>

// Fills processor_info() from CPUID, all but the clock.
void identify_processor();
// Busy-waits 500 ms to count time-stamp ticks; does nothing without a counter.
void measure_clock();
// Identifies, measures and writes the 18-line report through debug_print.
void report_processor();
// Formats with wvsprintfA into 1024 bytes and sends the text to the debugger
// output (platform.debugger.output).
void debug_print(const char* format, ...);
