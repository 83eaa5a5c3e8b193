#include "raster/pixel_rows.h"

#include <emmintrin.h>

// The SSE2 level: four pixels per 128-bit register, the last one to three of a
// row one at a time through the low lane. Pointers are only 4-byte aligned, so
// every access is an unaligned one.
//
// Only this file is compiled with SSE2 enabled, and its functions run only where
// the processor has it. So nothing here may be an inline function that another
// file also defines (the linker would keep one copy, possibly this one, for
// everybody): everything is in the anonymous namespace and uses intrinsics only.

namespace {

inline __m128i Load4(const uint32_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
inline void Store4(uint32_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
inline __m128i Load1(const uint32_t* p) { return _mm_cvtsi32_si128(static_cast<int>(*p)); }
inline void Store1(uint32_t* p, __m128i v) { *p = static_cast<uint32_t>(_mm_cvtsi128_si32(v)); }

// (s * source_weight + d * dest_weight) >> 8 in 16-bit lanes; both weights lie in
// 0..256 and add up to 256, so the sum is at most 255 * 256 and fits a lane.
inline __m128i Mix16(__m128i s, __m128i d, __m128i source_weight, __m128i dest_weight) {
    return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(s, source_weight),
                                        _mm_mullo_epi16(d, dest_weight)),
                          8);
}

// All four bytes: d = (s * alpha + d * (256 - alpha)) >> 8, as the MMX level
// blends, to the bit.
inline __m128i MixConstant(__m128i s, __m128i d, __m128i source_weight, __m128i dest_weight) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i low = Mix16(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero),
                              source_weight, dest_weight);
    const __m128i high = Mix16(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero),
                               source_weight, dest_weight);
    return _mm_packus_epi16(low, high);
}

void BlendRowByConstantAlphaSse2(uint32_t* dest, const uint32_t* source, int32_t count,
                                 uint8_t alpha) {
    const __m128i source_weight = _mm_set1_epi16(static_cast<short>(alpha));
    const __m128i dest_weight = _mm_set1_epi16(static_cast<short>(256 - alpha));
    int32_t i = 0;
    for (; i + 4 <= count; i += 4) {
        Store4(dest + i, MixConstant(Load4(source + i), Load4(dest + i), source_weight, dest_weight));
    }
    for (; i < count; ++i) {
        Store1(dest + i, MixConstant(Load1(source + i), Load1(dest + i), source_weight, dest_weight));
    }
}

// B, G and R moved towards the source by its own alpha a; the destination's alpha
// byte is kept. (s * w + d * (256 - w)) >> 8 with w = a + 1 (0 where a is 0) is the
// same as d + (((s - d) * w) >> 8) with the shift rounding towards minus infinity.
inline __m128i MixWideBySourceAlpha(__m128i s, __m128i d) {
    // Each pixel's alpha (lane 3 of its four) spread over its four lanes.
    const __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, _MM_SHUFFLE(3, 3, 3, 3)),
                                              _MM_SHUFFLE(3, 3, 3, 3));
    const __m128i nonzero =
        _mm_andnot_si128(_mm_cmpeq_epi16(alpha, _mm_setzero_si128()), _mm_set1_epi16(1));
    const __m128i weight = _mm_add_epi16(alpha, nonzero);
    return Mix16(s, d, weight, _mm_sub_epi16(_mm_set1_epi16(256), weight));
}

inline __m128i MixBySourceAlpha(__m128i s, __m128i d) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i low = MixWideBySourceAlpha(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero));
    const __m128i high =
        MixWideBySourceAlpha(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero));
    const __m128i alpha_mask = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    return _mm_or_si128(_mm_and_si128(d, alpha_mask),
                        _mm_andnot_si128(alpha_mask, _mm_packus_epi16(low, high)));
}

void BlendRowBySourceAlphaSse2(uint32_t* dest, const uint32_t* source, int32_t count) {
    const __m128i alpha_mask = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    const __m128i zero = _mm_setzero_si128();
    int32_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128i s = Load4(source + i);
        // Most of a text layer is fully transparent: four such pixels change nothing.
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(s, alpha_mask), zero)) == 0xFFFF) {
            continue;
        }
        Store4(dest + i, MixBySourceAlpha(s, Load4(dest + i)));
    }
    for (; i < count; ++i) {
        if ((source[i] >> 24) == 0) continue;
        Store1(dest + i, MixBySourceAlpha(Load1(source + i), Load1(dest + i)));
    }
}

// The meter copies rows of a few hundred pixels, many a frame: a loop of its own
// spares each one the C library's call and its set-up for long, aligned runs.
void CopyRowSse2(uint32_t* dest, const uint32_t* source, int32_t count) {
    int32_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m128i a = Load4(source + i), b = Load4(source + i + 4);
        const __m128i c = Load4(source + i + 8), d = Load4(source + i + 12);
        Store4(dest + i, a);
        Store4(dest + i + 4, b);
        Store4(dest + i + 8, c);
        Store4(dest + i + 12, d);
    }
    for (; i + 4 <= count; i += 4) Store4(dest + i, Load4(source + i));
    for (; i < count; ++i) dest[i] = source[i];
}

void FillRowSse2(uint32_t* dest, uint32_t colour, int32_t count) {
    const __m128i four = _mm_set1_epi32(static_cast<int>(colour));
    int32_t i = 0;
    for (; i + 16 <= count; i += 16) {
        Store4(dest + i, four);
        Store4(dest + i + 4, four);
        Store4(dest + i + 8, four);
        Store4(dest + i + 12, four);
    }
    for (; i + 4 <= count; i += 4) Store4(dest + i, four);
    for (; i < count; ++i) dest[i] = colour;
}

void AddRowSaturatedSse2(uint32_t* dest, const uint32_t* source, int32_t count) {
    int32_t i = 0;
    for (; i + 4 <= count; i += 4) Store4(dest + i, _mm_adds_epu8(Load4(dest + i), Load4(source + i)));
    for (; i < count; ++i) Store1(dest + i, _mm_adds_epu8(Load1(dest + i), Load1(source + i)));
}

}  // namespace

const PixelRows kSse2Rows = {
    CopyRowSse2,
    FillRowSse2,
    BlendRowBySourceAlphaSse2,
    AddRowSaturatedSse2,
    BlendRowByConstantAlphaSse2,
};
