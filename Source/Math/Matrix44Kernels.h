// The two kernels of Matrix44f, four-wide (SSE2) and plain. The four-wide form
// gives, lane by lane, exactly the plain form's operations, so both give the
// same bits; the library uses the four-wide one where the compiler has SSE2,
// and a test holds the two against each other on every build.
#pragma once

#include <cmath>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Vexir {
namespace MatrixKernels {

#if defined(__SSE2__)
constexpr bool kFourWide = true;

// The lanes of columns 0 to 3 at or after column k, as an all-ones mask.
inline __m128 LanesFrom(int k)
{
    return _mm_castsi128_ps(_mm_cmpgt_epi32(_mm_setr_epi32(0, 1, 2, 3), _mm_set1_epi32(k - 1)));
}

inline __m128 Select(__m128 mask, __m128 whenSet, __m128 otherwise)
{
    return _mm_or_ps(_mm_and_ps(mask, whenSet), _mm_andnot_ps(mask, otherwise));
}
#else
constexpr bool kFourWide = false;
#endif

// [M^T | I] reduced by Gauss-Jordan elimination with partial pivoting; false
// for a pivot too small to divide by. Each row of eight is two four-wide halves.
template <bool FourWide>
bool GaussJordan(const float* m, float (&a)[4][8])
{
    static_assert(!FourWide || kFourWide, "the four-wide form needs SSE2");
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            a[r][c] = m[4 * c + r];
            a[r][4 + c] = r == c ? 1.0f : 0.0f;
        }
    // Forward elimination below each pivot.
    for (int k = 0; k < 4; ++k) {
        int pivot = k;
        for (int i = k + 1; i < 4; ++i)
            if (std::fabs(a[i][k]) > std::fabs(a[pivot][k]))
                pivot = i;
        if (pivot != k)
            std::swap(a[k], a[pivot]);
        if (std::fabs(static_cast<double>(a[k][k])) < 1e-15)
            return false;
        for (int i = k + 1; i < 4; ++i) {
            const float f = a[i][k] / a[k][k];
            if constexpr (FourWide) {
#if defined(__SSE2__)
                const __m128 factor = _mm_set1_ps(f);
                const __m128 left = _mm_loadu_ps(a[i]);
                const __m128 reduced = _mm_sub_ps(left, _mm_mul_ps(factor, _mm_loadu_ps(a[k])));
                _mm_storeu_ps(a[i], Select(LanesFrom(k), reduced, left));
                _mm_storeu_ps(a[i] + 4,
                              _mm_sub_ps(_mm_loadu_ps(a[i] + 4), _mm_mul_ps(factor, _mm_loadu_ps(a[k] + 4))));
#endif
            } else {
                for (int j = k; j < 8; ++j)
                    a[i][j] = a[i][j] - f * a[k][j];
            }
        }
    }
    // Back substitution above each pivot, columns from the last to the first,
    // then the pivot and the right half scaled by the pivot.
    for (int k = 3; k >= 0; --k) {
        const float pivot = a[k][k];
        for (int i = 0; i < k; ++i) {
            if constexpr (FourWide) {
#if defined(__SSE2__)
                // Columns from k on use row i's old entry in column k; column
                // k itself becomes the new entry, which the columns before k use.
                const float old = a[i][k];
                const float updated = old - (a[k][k] * old) / pivot;
                const __m128 multipliers = Select(LanesFrom(k), _mm_set1_ps(old), _mm_set1_ps(updated));
                const __m128 divisor = _mm_set1_ps(pivot);
                const __m128 left = _mm_loadu_ps(a[i]);
                _mm_storeu_ps(a[i],
                              _mm_sub_ps(left, _mm_div_ps(_mm_mul_ps(_mm_loadu_ps(a[k]), multipliers), divisor)));
                _mm_storeu_ps(a[i] + 4, _mm_sub_ps(_mm_loadu_ps(a[i] + 4),
                                                   _mm_div_ps(_mm_mul_ps(_mm_loadu_ps(a[k] + 4), _mm_set1_ps(old)),
                                                              divisor)));
#endif
            } else {
                for (int j = 7; j >= 0; --j)
                    a[i][j] = a[i][j] - (a[k][j] * a[i][k]) / a[k][k];
            }
        }
        if constexpr (FourWide) {
#if defined(__SSE2__)
            _mm_storeu_ps(a[k] + 4, _mm_div_ps(_mm_loadu_ps(a[k] + 4), _mm_set1_ps(pivot)));
#endif
        } else {
            for (int j = 4; j < 8; ++j)
                a[k][j] /= pivot;
        }
        a[k][k] /= pivot;
    }
    return true;
}

// Row r of the product is the rows of b weighted by row r of a, summed in
// index order. The four-wide form wants a and b 16-byte aligned, as Matrix44f
// keeps its elements.
template <bool FourWide>
void Multiply4(const float* a, const float* b, float* out)
{
    static_assert(!FourWide || kFourWide, "the four-wide form needs SSE2");
    if constexpr (FourWide) {
#if defined(__SSE2__)
        const __m128 b0 = _mm_load_ps(b), b1 = _mm_load_ps(b + 4), b2 = _mm_load_ps(b + 8), b3 = _mm_load_ps(b + 12);
        for (int r = 0; r < 4; ++r) {
            const __m128 weights = _mm_load_ps(a + 4 * r);
            __m128 row = _mm_mul_ps(_mm_shuffle_ps(weights, weights, 0x00), b0);
            row = _mm_add_ps(row, _mm_mul_ps(_mm_shuffle_ps(weights, weights, 0x55), b1));
            row = _mm_add_ps(row, _mm_mul_ps(_mm_shuffle_ps(weights, weights, 0xAA), b2));
            row = _mm_add_ps(row, _mm_mul_ps(_mm_shuffle_ps(weights, weights, 0xFF), b3));
            _mm_store_ps(out + 4 * r, row);
        }
#endif
    } else {
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                out[4 * r + c] =
                    a[4 * r] * b[c] + a[4 * r + 1] * b[4 + c] + a[4 * r + 2] * b[8 + c] + a[4 * r + 3] * b[12 + c];
    }
}

}  // namespace MatrixKernels
}  // namespace Vexir
