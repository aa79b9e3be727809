// Sine and cosine of four floats at once, for x86-64's SSE2. Accurate to a
// couple of units in the last place for |angle| up to kLargestAngle; larger,
// NaN or infinite angles belong to the C library, one by one.
#pragma once

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Vexir {

constexpr float kLargestFourWideAngle = 8192.0f;

#if defined(__SSE2__)

// The usual reduction to an octant: j = |x| / (pi/4) rounded up to even,
// x - j pi/4 in three parts for precision, then the sine and cosine polynomials
// of that octant, swapped and signed by the quadrant.
inline void SinCos4(__m128 x, __m128& sines, __m128& cosines)
{
    const __m128 signMask = _mm_castsi128_ps(_mm_set1_epi32(static_cast<int>(0x80000000u)));
    __m128 reduced = _mm_andnot_ps(signMask, x);
    __m128 sineSign = _mm_and_ps(x, signMask);

    __m128i j = _mm_cvttps_epi32(_mm_mul_ps(reduced, _mm_set1_ps(1.27323954473516f)));
    j = _mm_and_si128(_mm_add_epi32(j, _mm_set1_epi32(1)), _mm_set1_epi32(~1));
    const __m128 y = _mm_cvtepi32_ps(j);

    // Quadrant bits: 4 flips the sine's sign, 2 swaps sine and cosine.
    const __m128 swap =
        _mm_castsi128_ps(_mm_cmpeq_epi32(_mm_and_si128(j, _mm_set1_epi32(2)), _mm_set1_epi32(2)));
    sineSign = _mm_xor_ps(sineSign, _mm_castsi128_ps(_mm_slli_epi32(_mm_and_si128(j, _mm_set1_epi32(4)), 29)));
    const __m128 cosineSign = _mm_castsi128_ps(
        _mm_slli_epi32(_mm_andnot_si128(_mm_sub_epi32(j, _mm_set1_epi32(2)), _mm_set1_epi32(4)), 29));

    reduced = _mm_sub_ps(reduced, _mm_mul_ps(y, _mm_set1_ps(0.78515625f)));
    reduced = _mm_sub_ps(reduced, _mm_mul_ps(y, _mm_set1_ps(2.4187564849853515625e-4f)));
    reduced = _mm_sub_ps(reduced, _mm_mul_ps(y, _mm_set1_ps(3.77489497744594108e-8f)));
    const __m128 z = _mm_mul_ps(reduced, reduced);

    __m128 cosine = _mm_set1_ps(2.443315711809948e-5f);
    cosine = _mm_add_ps(_mm_mul_ps(cosine, z), _mm_set1_ps(-1.388731625493765e-3f));
    cosine = _mm_add_ps(_mm_mul_ps(cosine, z), _mm_set1_ps(4.166664568298827e-2f));
    cosine = _mm_mul_ps(_mm_mul_ps(cosine, z), z);
    cosine = _mm_sub_ps(cosine, _mm_mul_ps(z, _mm_set1_ps(0.5f)));
    cosine = _mm_add_ps(cosine, _mm_set1_ps(1.0f));

    __m128 sine = _mm_set1_ps(-1.9515295891e-4f);
    sine = _mm_add_ps(_mm_mul_ps(sine, z), _mm_set1_ps(8.3321608736e-3f));
    sine = _mm_add_ps(_mm_mul_ps(sine, z), _mm_set1_ps(-1.6666654611e-1f));
    sine = _mm_add_ps(_mm_mul_ps(_mm_mul_ps(sine, z), reduced), reduced);

    sines = _mm_xor_ps(_mm_or_ps(_mm_and_ps(swap, cosine), _mm_andnot_ps(swap, sine)), sineSign);
    cosines = _mm_xor_ps(_mm_or_ps(_mm_and_ps(swap, sine), _mm_andnot_ps(swap, cosine)), cosineSign);
}

// True when all four angles are finite and within the reduction's range.
inline bool SinCos4Fits(__m128 x)
{
    const __m128 magnitude = _mm_andnot_ps(_mm_castsi128_ps(_mm_set1_epi32(static_cast<int>(0x80000000u))), x);
    return _mm_movemask_ps(_mm_cmple_ps(magnitude, _mm_set1_ps(kLargestFourWideAngle))) == 0xF;
}

#endif

}  // namespace Vexir
