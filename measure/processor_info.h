// What the processor is: the CPUID fields, the measured clock and the report
// written once at start. The MMX flag picks the pixel loops; the brand names the
// processor in the tooltip.
#pragma once

#include <cstdint>
#include <string>

struct ProcessorInfo {
    uint32_t cpuid_max;
    uint32_t cpuid_ext_max;
    char vendor[13];
    char brand[49];
    int32_t type;
    int32_t family;
    int32_t model;
    int32_t stepping;
    int32_t cpuid_available;
    int32_t fpu;
    int32_t tsc;
    int32_t msr;
    int32_t cmov;
    int32_t mmx;
    int32_t amd_3dnow;
    int32_t sse_int;
    int32_t sse_fp;
    int32_t amd_3dnow_ext;
    int32_t clock_mhz;
};

// The process-wide record, all zero until identification fills it.
ProcessorInfo& processor_info();

// Register values of one CPUID leaf.
struct CpuidLeaf {
    uint32_t eax, ebx, ecx, edx;
};

// Executes (or, in tests, scripts) one CPUID leaf.
using CpuidFunction = CpuidLeaf (*)(uint32_t leaf);

// Fills every field but clock_mhz from the leaves `cpuid` answers; with
// `has_cpuid` false every field stays zero.
void DecodeProcessor(ProcessorInfo& info, bool has_cpuid, CpuidFunction cpuid);

// Clock in MHz from time-stamp ticks counted over half a second.
int32_t ClockFromHalfSecondTicks(uint32_t ticks);

// Formats like wvsprintfA: %s, %d, %x and %% only, into at most 1023 bytes.
std::string FormatLikeWvsprintf(const char* format, ...);

// The 18 report lines, each with its line break, in the order they are written.
void BuildProcessorReport(const ProcessorInfo& info, std::string lines[18]);
