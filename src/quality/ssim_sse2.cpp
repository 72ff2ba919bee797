// SSE2 form of one block row of SSIM sums: four 4 x 4 blocks (16 samples wide) a step.
#include <emmintrin.h>

#include "ssim.h"

// [x0 + x1 + x2 + x3 of v0, ... of v1, ... of v2, ... of v3]: four horizontal sums at once.
static __m128i sum_lanes_of_four(__m128i v0, __m128i v1, __m128i v2, __m128i v3)
{
    __m128i u0 = _mm_add_epi32(_mm_unpacklo_epi32(v0, v1), _mm_unpackhi_epi32(v0, v1));
    __m128i u1 = _mm_add_epi32(_mm_unpacklo_epi32(v2, v3), _mm_unpackhi_epi32(v2, v3));
    return _mm_add_epi32(_mm_unpacklo_epi64(u0, u1), _mm_unpackhi_epi64(u0, u1));
}

// Sums of samples 4k..4k+3 for k = 0..3, from 16-bit column sums of samples 0-7 and 8-15.
static __m128i sum_quads(__m128i low, __m128i high)
{
    const __m128i ones = _mm_set1_epi16(1);
    __m128i pairs_low = _mm_madd_epi16(low, ones), pairs_high = _mm_madd_epi16(high, ones);
    __m128i x = _mm_unpacklo_epi32(pairs_low, pairs_high);
    __m128i y = _mm_unpackhi_epi32(pairs_low, pairs_high);
    return _mm_add_epi32(_mm_unpacklo_epi32(x, y), _mm_unpackhi_epi32(x, y));
}

void ssim_block_row_SSE2(const unsigned char *a, const unsigned char *b, int width,
                         int blocks, SsimSums *out)
{
    const __m128i zero = _mm_setzero_si128();
    int block = 0;
    for (; block + 4 <= blocks; block += 4) {
        int x = block * 4;
        __m128i sum_a_low = zero, sum_a_high = zero, sum_b_low = zero, sum_b_high = zero;
        __m128i square[4] = {zero, zero, zero, zero}, cross[4] = {zero, zero, zero, zero};
        for (int row = 0; row < 4; row++) {
            __m128i va = _mm_loadu_si128((const __m128i *)(a + (int64_t)row * width + x));
            __m128i vb = _mm_loadu_si128((const __m128i *)(b + (int64_t)row * width + x));
            __m128i a_low = _mm_unpacklo_epi8(va, zero), a_high = _mm_unpackhi_epi8(va, zero);
            __m128i b_low = _mm_unpacklo_epi8(vb, zero), b_high = _mm_unpackhi_epi8(vb, zero);
            sum_a_low = _mm_add_epi16(sum_a_low, a_low);
            sum_a_high = _mm_add_epi16(sum_a_high, a_high);
            sum_b_low = _mm_add_epi16(sum_b_low, b_low);
            sum_b_high = _mm_add_epi16(sum_b_high, b_high);
            // Block k's samples as pairs (a, b) and (b, 0): madd gives a^2 + b^2 and a b.
            __m128i ab[4] = {_mm_unpacklo_epi16(a_low, b_low), _mm_unpackhi_epi16(a_low, b_low),
                             _mm_unpacklo_epi16(a_high, b_high),
                             _mm_unpackhi_epi16(a_high, b_high)};
            __m128i b0[4] = {_mm_unpacklo_epi16(b_low, zero), _mm_unpackhi_epi16(b_low, zero),
                             _mm_unpacklo_epi16(b_high, zero), _mm_unpackhi_epi16(b_high, zero)};
            for (int k = 0; k < 4; k++) {
                square[k] = _mm_add_epi32(square[k], _mm_madd_epi16(ab[k], ab[k]));
                cross[k] = _mm_add_epi32(cross[k], _mm_madd_epi16(ab[k], b0[k]));
            }
        }
        __m128i sums_a = sum_quads(sum_a_low, sum_a_high);
        __m128i sums_b = sum_quads(sum_b_low, sum_b_high);
        __m128i squares = sum_lanes_of_four(square[0], square[1], square[2], square[3]);
        __m128i crosses = sum_lanes_of_four(cross[0], cross[1], cross[2], cross[3]);
        // Transpose into four SsimSums {a, b, square, cross}.
        __m128i t0 = _mm_unpacklo_epi32(sums_a, sums_b), t1 = _mm_unpackhi_epi32(sums_a, sums_b);
        __m128i t2 = _mm_unpacklo_epi32(squares, crosses);
        __m128i t3 = _mm_unpackhi_epi32(squares, crosses);
        _mm_storeu_si128((__m128i *)&out[block], _mm_unpacklo_epi64(t0, t2));
        _mm_storeu_si128((__m128i *)&out[block + 1], _mm_unpackhi_epi64(t0, t2));
        _mm_storeu_si128((__m128i *)&out[block + 2], _mm_unpacklo_epi64(t1, t3));
        _mm_storeu_si128((__m128i *)&out[block + 3], _mm_unpackhi_epi64(t1, t3));
    }
    if (block < blocks)
        ssim_block_row_C(a + block * 4, b + block * 4, width, blocks - block, out + block);
}
