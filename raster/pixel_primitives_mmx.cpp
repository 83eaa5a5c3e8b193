#include "raster/pixel_primitives_mmx.h"

#include <mmintrin.h>

#include <cstddef>

// Two pixels travel per 64-bit register; an odd last pixel goes through the low
// half alone. Pointers are only 4-byte aligned, hence the unaligned type.

namespace {

inline __m64 Load2(const uint32_t* p) { return *reinterpret_cast<const __m64_u*>(p); }
inline void Store2(uint32_t* p, __m64 v) { *reinterpret_cast<__m64_u*>(p) = v; }
inline __m64 Load1(const uint32_t* p) { return _mm_cvtsi32_si64(static_cast<int>(*p)); }
inline void Store1(uint32_t* p, __m64 v) { *p = static_cast<uint32_t>(_mm_cvtsi64_si32(v)); }

}  // namespace

namespace {

// One pixel's four bytes widened to 16-bit lanes, blended, narrowed again. The sum
// s * a + d * (256 - a) is at most 255 * 256, so it fits an unsigned 16-bit lane.
inline __m64 BlendWide(__m64 s, __m64 d, __m64 source_weight, __m64 dest_weight) {
    const __m64 sum = _mm_add_pi16(_mm_mullo_pi16(s, source_weight),
                                   _mm_mullo_pi16(d, dest_weight));
    return _mm_srli_pi16(sum, 8);
}

}  // namespace

void BlendRowsByConstantAlphaMmx(uint32_t* dest, int32_t dest_stride, const uint32_t* source,
                                 int32_t source_stride, int32_t width, int32_t height,
                                 uint8_t alpha) {
    const __m64 zero = _mm_setzero_si64();
    const __m64 source_weight = _mm_set1_pi16(static_cast<short>(alpha));
    const __m64 dest_weight = _mm_set1_pi16(static_cast<short>(256 - alpha));
    for (int32_t y = 0; y < height; ++y) {
        uint32_t* d = dest + static_cast<ptrdiff_t>(y) * dest_stride;
        const uint32_t* s = source + static_cast<ptrdiff_t>(y) * source_stride;
        int32_t n = width;
        for (; n >= 2; n -= 2, s += 2, d += 2) {
            const __m64 sp = Load2(s), dp = Load2(d);
            const __m64 low = BlendWide(_mm_unpacklo_pi8(sp, zero), _mm_unpacklo_pi8(dp, zero),
                                        source_weight, dest_weight);
            const __m64 high = BlendWide(_mm_unpackhi_pi8(sp, zero), _mm_unpackhi_pi8(dp, zero),
                                         source_weight, dest_weight);
            Store2(d, _mm_packs_pu16(low, high));
        }
        if (n) {
            const __m64 one = BlendWide(_mm_unpacklo_pi8(Load1(s), zero),
                                        _mm_unpacklo_pi8(Load1(d), zero), source_weight,
                                        dest_weight);
            Store1(d, _mm_packs_pu16(one, zero));
        }
    }
    _mm_empty();
}
