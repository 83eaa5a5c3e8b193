#include "measure/win32_processor_info.h"

#include <cpuid.h>
#include <x86intrin.h>

#include <cstdarg>

#include "measure/processor_info.h"
#include "platform/win32_clock.h"
#include "platform/win32_platform.h"


namespace {

constexpr unsigned kIdFlag = 0x200000;

// A processor has CPUID when software can flip the ID bit of EFLAGS. The flags
// are put back as they were found.
bool CanFlipIdFlag() {
#if defined(__x86_64__)
    unsigned long long original, changed;
    __asm__ __volatile__(
        "pushfq\n\t"
        "popq %0\n\t"
        "movq %0, %1\n\t"
        "xorq %2, %1\n\t"
        "pushq %1\n\t"
        "popfq\n\t"
        "pushfq\n\t"
        "popq %1\n\t"
        "pushq %0\n\t"
        "popfq"
        : "=&r"(original), "=&r"(changed)
        : "i"(kIdFlag)
        : "cc");
#elif defined(__i386__)
    unsigned long original, changed;
    __asm__ __volatile__(
        "pushfl\n\t"
        "popl %0\n\t"
        "movl %0, %1\n\t"
        "xorl %2, %1\n\t"
        "pushl %1\n\t"
        "popfl\n\t"
        "pushfl\n\t"
        "popl %1\n\t"
        "pushl %0\n\t"
        "popfl"
        : "=&r"(original), "=&r"(changed)
        : "i"(kIdFlag)
        : "cc");
#else
#error "CPUID exists on x86 processors only"
#endif
    return ((original ^ changed) & kIdFlag) != 0;
}

CpuidLeaf ExecuteCpuid(uint32_t leaf) {
    CpuidLeaf result;
    __cpuid_count(leaf, 0, result.eax, result.ebx, result.ecx, result.edx);
    return result;
}

}  // namespace

void identify_processor() { DecodeProcessor(processor_info(), CanFlipIdFlag(), ExecuteCpuid); }

void measure_clock() {
    ProcessorInfo& info = processor_info();
    if (!info.tsc) return;
    // Only the low 32 bits are counted: enough for clocks below 8.5 GHz.
    const uint32_t first = static_cast<uint32_t>(__rdtsc());
    // Real time, whatever clock the frames are given: the counter is measured
    // against it, and a clock that stood still would never end the half second.
    const DWORD start = MillisecondClock();
    while (MillisecondClock() - start < 500) {
    }
    const uint32_t ticks = static_cast<uint32_t>(__rdtsc()) - first;
    info.clock_mhz = ClockFromHalfSecondTicks(ticks);
}

void report_processor() {
    identify_processor();
    measure_clock();
    WriteProcessorReport(processor_info(), [](const char* format, auto... arguments) {
        debug_print(format, arguments...);
    });
}

void debug_print(const char* format, ...) {
    char buffer[1024];
    va_list arguments;
    va_start(arguments, format);
    wvsprintfA(buffer, format, arguments);
    va_end(arguments);
    platform.debugger.output(buffer);
}
