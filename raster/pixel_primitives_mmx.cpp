#include "raster/pixel_rows.h"

#include <mmintrin.h>

// The MMX level: two pixels per 64-bit register; an odd last pixel goes through
// the low half alone. Pointers are only 4-byte aligned, hence the unaligned type.
//
// Only this file is compiled with MMX enabled, and its functions run only where
// the processor has it. So nothing here may be an inline function that another
// file also defines (the linker would keep one copy, possibly this one, for
// everybody): everything is in the anonymous namespace and uses intrinsics only.
// Each row function leaves the MMX state as it found it (_mm_empty), so floating
// point code after it still works.

namespace {

inline __m64 Load2(const uint32_t* p) { return *reinterpret_cast<const __m64_u*>(p); }
inline void Store2(uint32_t* p, __m64 v) { *reinterpret_cast<__m64_u*>(p) = v; }
inline __m64 Load1(const uint32_t* p) { return _mm_cvtsi32_si64(static_cast<int>(*p)); }
inline void Store1(uint32_t* p, __m64 v) { *p = static_cast<uint32_t>(_mm_cvtsi64_si32(v)); }

// One pixel's four bytes widened to 16-bit lanes, blended, narrowed again. The sum
// s * a + d * (256 - a) is at most 255 * 256, so it fits an unsigned 16-bit lane.
inline __m64 BlendWide(__m64 s, __m64 d, __m64 source_weight, __m64 dest_weight) {
    const __m64 sum = _mm_add_pi16(_mm_mullo_pi16(s, source_weight),
                                   _mm_mullo_pi16(d, dest_weight));
    return _mm_srli_pi16(sum, 8);
}

// All four bytes: d = (s * alpha + d * (256 - alpha)) >> 8. This weighs by alpha,
// not alpha + 1 as the plain rule does, and blends the alpha byte too: each byte
// may differ from the plain result by one.
void BlendRowByConstantAlphaMmx(uint32_t* dest, const uint32_t* source, int32_t count,
                                uint8_t alpha) {
    const __m64 zero = _mm_setzero_si64();
    const __m64 source_weight = _mm_set1_pi16(static_cast<short>(alpha));
    const __m64 dest_weight = _mm_set1_pi16(static_cast<short>(256 - alpha));
    int32_t n = count;
    for (; n >= 2; n -= 2, source += 2, dest += 2) {
        const __m64 s = Load2(source), d = Load2(dest);
        const __m64 low = BlendWide(_mm_unpacklo_pi8(s, zero), _mm_unpacklo_pi8(d, zero),
                                    source_weight, dest_weight);
        const __m64 high = BlendWide(_mm_unpackhi_pi8(s, zero), _mm_unpackhi_pi8(d, zero),
                                     source_weight, dest_weight);
        Store2(dest, _mm_packs_pu16(low, high));
    }
    if (n) {
        const __m64 one = BlendWide(_mm_unpacklo_pi8(Load1(source), zero),
                                    _mm_unpacklo_pi8(Load1(dest), zero), source_weight,
                                    dest_weight);
        Store1(dest, _mm_packs_pu16(one, zero));
    }
    _mm_empty();
}

void AddRowSaturatedMmx(uint32_t* dest, const uint32_t* source, int32_t count) {
    int32_t n = count;
    for (; n >= 2; n -= 2, source += 2, dest += 2) Store2(dest, _mm_adds_pu8(Load2(dest), Load2(source)));
    if (n) Store1(dest, _mm_adds_pu8(Load1(dest), Load1(source)));
    _mm_empty();
}

}  // namespace

const PixelRows kMmxRows = {
    nullptr,  // copy: the C library's moves more per instruction than MMX can
    nullptr,  // fill: likewise
    nullptr,  // blend by source alpha
    AddRowSaturatedMmx,
    BlendRowByConstantAlphaMmx,
};
