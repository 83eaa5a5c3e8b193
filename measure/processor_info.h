// What the processor is: the CPUID fields, the measured clock and the report
// written once at start. The MMX and SSE2 flags are handed to the pixel loops
// once at start; the brand names the processor in the tooltip.
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
    int32_t sse2;  // not in the report, whose lines stay as they always were
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

// Calls print(format, arguments...) once per report line, in order, with
// arguments as wvsprintfA reads them. The blanks in the formats align the values.
template <typename Print>
void WriteProcessorReport(const ProcessorInfo& info, Print print) {
    print("VenderID  %s\n", info.vendor);
    print("CpuName   %s\n", info.brand);
    print("TypeID %d, FamilyID %d, ModelID %d, SteppingID %d\n", info.type, info.family, info.model,
          info.stepping);
    print("CpuClock %dMHz\n", info.clock_mhz);
    print("\n");
    print("CPUID       %d\n", info.cpuid_available);
    print("CPUIDMax    %x\n", info.cpuid_max);
    print("CPUIDExtMax %x\n", info.cpuid_ext_max);
    print("FPU    %d\n", info.fpu);
    print("TSC    %d\n", info.tsc);
    print("MSR    %d\n", info.msr);
    print("CMOV   %d\n", info.cmov);
    print("MMX    %d\n", info.mmx);
    print("3DNow! %d\n", info.amd_3dnow);
    print("SSE_INT    %d\n", info.sse_int);
    print("SSE_FP     %d\n", info.sse_fp);
    print("3DNow! Ext %d\n", info.amd_3dnow_ext);
    print("FCMOV      %d\n", info.cmov & info.fpu);
}
