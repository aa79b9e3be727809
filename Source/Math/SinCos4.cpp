#include "Math/SinCos4.h"

#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Vexir {

namespace {

const float kLargestAngle = 8192.0f;

}  // namespace

bool SinCos4::Fits(const float angles[4])
{
    for (int i = 0; i < 4; ++i)
        if (!(std::fabs(angles[i]) <= kLargestAngle))
            return false;
    return true;
}

#if defined(__SSE2__)

// The usual reduction to an octant: j = the nearest even multiple of pi/4 below
// |x| rounded up, x - j pi/4 in three parts for precision, then the sine and
// cosine polynomials of that octant, swapped and signed by the quadrant.
void SinCos4::Compute(const float angles[4], float sines[4], float cosines[4])
{
    const __m128 x = _mm_loadu_ps(angles);
    const __m128 signMask = _mm_castsi128_ps(_mm_set1_epi32(static_cast<int>(0x80000000u)));
    __m128 absolute = _mm_andnot_ps(signMask, x);
    __m128 sineSign = _mm_and_ps(x, signMask);

    __m128i j = _mm_cvttps_epi32(_mm_mul_ps(absolute, _mm_set1_ps(1.27323954473516f)));
    j = _mm_add_epi32(j, _mm_set1_epi32(1));
    j = _mm_and_si128(j, _mm_set1_epi32(~1));
    const __m128 y = _mm_cvtepi32_ps(j);

    // Quadrant bits: 4 flips the sign of both, 2 swaps sine and cosine.
    const __m128i swap = _mm_cmpeq_epi32(_mm_and_si128(j, _mm_set1_epi32(2)), _mm_set1_epi32(2));
    const __m128 swapMask = _mm_castsi128_ps(swap);
    const __m128 sineFlip = _mm_castsi128_ps(_mm_slli_epi32(_mm_and_si128(j, _mm_set1_epi32(4)), 29));
    const __m128 cosineFlip =
        _mm_castsi128_ps(_mm_slli_epi32(_mm_andnot_si128(_mm_sub_epi32(j, _mm_set1_epi32(2)), _mm_set1_epi32(4)), 29));
    sineSign = _mm_xor_ps(sineSign, sineFlip);

    absolute = _mm_sub_ps(absolute, _mm_mul_ps(y, _mm_set1_ps(0.78515625f)));
    absolute = _mm_sub_ps(absolute, _mm_mul_ps(y, _mm_set1_ps(2.4187564849853515625e-4f)));
    absolute = _mm_sub_ps(absolute, _mm_mul_ps(y, _mm_set1_ps(3.77489497744594108e-8f)));
    const __m128 z = _mm_mul_ps(absolute, absolute);

    __m128 cosine = _mm_set1_ps(2.443315711809948e-5f);
    cosine = _mm_add_ps(_mm_mul_ps(cosine, z), _mm_set1_ps(-1.388731625493765e-3f));
    cosine = _mm_add_ps(_mm_mul_ps(cosine, z), _mm_set1_ps(4.166664568298827e-2f));
    cosine = _mm_mul_ps(_mm_mul_ps(cosine, z), z);
    cosine = _mm_sub_ps(cosine, _mm_mul_ps(z, _mm_set1_ps(0.5f)));
    cosine = _mm_add_ps(cosine, _mm_set1_ps(1.0f));

    __m128 sine = _mm_set1_ps(-1.9515295891e-4f);
    sine = _mm_add_ps(_mm_mul_ps(sine, z), _mm_set1_ps(8.3321608736e-3f));
    sine = _mm_add_ps(_mm_mul_ps(sine, z), _mm_set1_ps(-1.6666654611e-1f));
    sine = _mm_add_ps(_mm_mul_ps(_mm_mul_ps(sine, z), absolute), absolute);

    const __m128 sineResult = _mm_or_ps(_mm_and_ps(swapMask, cosine), _mm_andnot_ps(swapMask, sine));
    const __m128 cosineResult = _mm_or_ps(_mm_and_ps(swapMask, sine), _mm_andnot_ps(swapMask, cosine));
    _mm_storeu_ps(sines, _mm_xor_ps(sineResult, sineSign));
    _mm_storeu_ps(cosines, _mm_xor_ps(cosineResult, cosineFlip));
}

#else

void SinCos4::Compute(const float angles[4], float sines[4], float cosines[4])
{
    for (int i = 0; i < 4; ++i) {
        sines[i] = std::sin(angles[i]);
        cosines[i] = std::cos(angles[i]);
    }
}

#endif

}  // namespace Vexir
