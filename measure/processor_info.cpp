#include "measure/processor_info.h"

#include <cstdarg>
#include <cstring>

ProcessorInfo& processor_info() {
    static ProcessorInfo info = {};
    return info;
}

namespace {

int32_t Bit(uint32_t value, int bit) { return static_cast<int32_t>((value >> bit) & 1u); }

// Four register bytes in memory order: the vendor and brand texts are the
// little-endian bytes of the registers laid end to end.
void StoreRegister(char* out, uint32_t value) { std::memcpy(out, &value, 4); }

}  // namespace

void DecodeProcessor(ProcessorInfo& info, bool has_cpuid, CpuidFunction cpuid) {
    const int32_t clock_mhz = info.clock_mhz;
    info = ProcessorInfo{};
    info.clock_mhz = clock_mhz;
    if (!has_cpuid) return;
    info.cpuid_available = 1;

    const CpuidLeaf leaf0 = cpuid(0);
    info.cpuid_max = leaf0.eax;
    StoreRegister(info.vendor, leaf0.ebx);
    StoreRegister(info.vendor + 4, leaf0.edx);
    StoreRegister(info.vendor + 8, leaf0.ecx);
    if (info.cpuid_max < 1) return;

    const CpuidLeaf leaf1 = cpuid(1);
    info.stepping = static_cast<int32_t>(leaf1.eax & 0xF);
    info.model = static_cast<int32_t>((leaf1.eax >> 4) & 0xF);
    info.family = static_cast<int32_t>((leaf1.eax >> 8) & 0xF);
    info.type = static_cast<int32_t>((leaf1.eax >> 12) & 0x3);
    info.fpu = Bit(leaf1.edx, 0);
    info.tsc = Bit(leaf1.edx, 4);
    info.msr = Bit(leaf1.edx, 5);
    info.cmov = Bit(leaf1.edx, 15);
    info.mmx = Bit(leaf1.edx, 23);
    info.sse_int = Bit(leaf1.edx, 25);
    info.sse_fp = Bit(leaf1.edx, 25);
    info.sse2 = Bit(leaf1.edx, 26);

    info.cpuid_ext_max = cpuid(0x80000000u).eax;
    if (info.cpuid_ext_max < 0x80000001u) return;
    const CpuidLeaf ext1 = cpuid(0x80000001u);
    // Where the extended leaf exists, its bit alone decides the integer SSE flag.
    info.sse_int = Bit(ext1.edx, 22);
    info.amd_3dnow_ext = Bit(ext1.edx, 30);
    info.amd_3dnow = Bit(ext1.edx, 31);

    if (info.cpuid_ext_max < 0x80000004u) return;
    for (uint32_t i = 0; i < 3; ++i) {
        const CpuidLeaf part = cpuid(0x80000002u + i);
        char* out = info.brand + 16 * i;
        StoreRegister(out, part.eax);
        StoreRegister(out + 4, part.ebx);
        StoreRegister(out + 8, part.ecx);
        StoreRegister(out + 12, part.edx);
    }
}

int32_t ClockFromHalfSecondTicks(uint32_t ticks) {
    // At most 8589.93 for 2^32 - 1 ticks, so the truncation always fits.
    return static_cast<int32_t>(static_cast<double>(ticks) * 0.000002);
}

std::string FormatLikeWvsprintf(const char* format, ...) {
    // The system formatter writes at most 1023 characters and the terminator.
    const size_t limit = 1023;
    std::string out;
    va_list args;
    va_start(args, format);
    for (const char* p = format; *p != '\0' && out.size() < limit; ++p) {
        if (*p != '%' || p[1] == '\0') {
            out += *p;
            continue;
        }
        ++p;
        char digits[16];
        switch (*p) {
        case 's': {
            const char* text = va_arg(args, const char*);
            out += text != nullptr ? text : "(null)";
            break;
        }
        case 'd': {
            const int value = va_arg(args, int);
            // Through unsigned so that the smallest int negates without overflow.
            unsigned magnitude =
                value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
            size_t n = 0;
            do {
                digits[n++] = static_cast<char>('0' + magnitude % 10);
                magnitude /= 10;
            } while (magnitude != 0);
            if (value < 0) out += '-';
            while (n > 0) out += digits[--n];
            break;
        }
        case 'x': {
            unsigned value = va_arg(args, unsigned);
            size_t n = 0;
            do {
                digits[n++] = "0123456789abcdef"[value & 0xF];
                value >>= 4;
            } while (value != 0);
            while (n > 0) out += digits[--n];
            break;
        }
        default:  // "%%", and any conversion the report does not use, print the character
            out += *p;
            break;
        }
    }
    va_end(args);
    if (out.size() > limit) out.resize(limit);
    return out;
}

void BuildProcessorReport(const ProcessorInfo& info, std::string lines[18]) {
    size_t n = 0;
    WriteProcessorReport(info, [&](const char* format, auto... arguments) {
        lines[n++] = FormatLikeWvsprintf(format, arguments...);
    });
}
