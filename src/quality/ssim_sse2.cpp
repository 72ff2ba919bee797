// SSE2 forms of the SSIM kernels: block sums of four 4 x 4 blocks (16 samples wide) a
// step, and four windows a step. Every intermediate of a window fits 32 bits (sums of 64
// samples: at most 16320; 64 times the squares: at most 532684800), and the doubles are
// formed, multiplied and divided exactly as in the reference, so the results are the same.
#include <emmintrin.h>

#include "ssim.h"

// Sums of the pairs (lanes 2k and 2k + 1) of two vectors of four 32-bit lanes:
// [x0 + x1, x2 + x3, y0 + y1, y2 + y3].
static __m128i add_pairs(__m128i x, __m128i y)
{
    __m128i low = _mm_unpacklo_epi32(x, y), high = _mm_unpackhi_epi32(x, y);  // x0 y0 x1 y1, ...
    __m128i even = _mm_unpacklo_epi32(low, high), odd = _mm_unpackhi_epi32(low, high);
    return _mm_add_epi32(even, odd);
}

void ssim_block_row_SSE2(const unsigned char *a, ptrdiff_t a_stride, const unsigned char *b,
                         ptrdiff_t b_stride, int blocks, SsimSums *out)
{
    const __m128i zero = _mm_setzero_si128(), ones = _mm_set1_epi16(1);
    int block = 0;
    for (; block + 4 <= blocks; block += 4) {
        int x = block * 4;
        // 16-bit sums down the columns (at most 4 x 255); 32-bit sums of neighbouring pairs
        // of samples for the squares and products (madd of the same or the other plane).
        __m128i sum_a_low = zero, sum_a_high = zero, sum_b_low = zero, sum_b_high = zero;
        __m128i square_low = zero, square_high = zero, cross_low = zero, cross_high = zero;
        for (int row = 0; row < 4; row++) {
            __m128i va = _mm_loadu_si128((const __m128i *)(a + row * a_stride + x));
            __m128i vb = _mm_loadu_si128((const __m128i *)(b + row * b_stride + x));
            __m128i a_low = _mm_unpacklo_epi8(va, zero), a_high = _mm_unpackhi_epi8(va, zero);
            __m128i b_low = _mm_unpacklo_epi8(vb, zero), b_high = _mm_unpackhi_epi8(vb, zero);
            sum_a_low = _mm_add_epi16(sum_a_low, a_low);
            sum_a_high = _mm_add_epi16(sum_a_high, a_high);
            sum_b_low = _mm_add_epi16(sum_b_low, b_low);
            sum_b_high = _mm_add_epi16(sum_b_high, b_high);
            square_low = _mm_add_epi32(square_low, _mm_add_epi32(_mm_madd_epi16(a_low, a_low),
                                                                 _mm_madd_epi16(b_low, b_low)));
            square_high = _mm_add_epi32(
                square_high,
                _mm_add_epi32(_mm_madd_epi16(a_high, a_high), _mm_madd_epi16(b_high, b_high)));
            cross_low = _mm_add_epi32(cross_low, _mm_madd_epi16(a_low, b_low));
            cross_high = _mm_add_epi32(cross_high, _mm_madd_epi16(a_high, b_high));
        }
        // Samples 0-7 give blocks 0 and 1, samples 8-15 blocks 2 and 3.
        __m128i sums_a = add_pairs(_mm_madd_epi16(sum_a_low, ones), _mm_madd_epi16(sum_a_high, ones));
        __m128i sums_b = add_pairs(_mm_madd_epi16(sum_b_low, ones), _mm_madd_epi16(sum_b_high, ones));
        __m128i squares = add_pairs(square_low, square_high);
        __m128i crosses = add_pairs(cross_low, cross_high);
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
        ssim_block_row_C(a + block * 4, a_stride, b + block * 4, b_stride, blocks - block,
                         out + block);
}

// The largest constant with which every intermediate of a window stays within 32 bits, the
// rest coming to at most 532684800 (about 2^29). Larger ones, from peaks far above what one
// byte holds, are left to the reference.
static const int64_t largest_lane_constant = (int64_t)1 << 30;

// Adds q[0], q[1] (two doubles) to total, first to last.
static double add_in_order(double total, __m128d q)
{
    total += _mm_cvtsd_f64(q);
    return total + _mm_cvtsd_f64(_mm_unpackhi_pd(q, q));
}

double ssim_window_row_SSE2(double total, const SsimSums *upper, const SsimSums *lower,
                            int columns, const SsimConstants &constants)
{
    const int fast_columns = constants.c2 <= largest_lane_constant ? columns : 0;  // c1 < c2
    const __m128i c1 = _mm_set1_epi32((int)constants.c1), c2 = _mm_set1_epi32((int)constants.c2);
    int column = 0;
    for (; column + 4 <= fast_columns; column += 4) {
        // Vertical pairs, then horizontal pairs: the sums of four windows, {a, b, sq, cr}.
        __m128i v[5];
        for (int j = 0; j < 5; j++)
            v[j] = _mm_add_epi32(_mm_loadu_si128((const __m128i *)&upper[column + j]),
                                 _mm_loadu_si128((const __m128i *)&lower[column + j]));
        __m128i w0 = _mm_add_epi32(v[0], v[1]), w1 = _mm_add_epi32(v[1], v[2]);
        __m128i w2 = _mm_add_epi32(v[2], v[3]), w3 = _mm_add_epi32(v[3], v[4]);
        // Transpose: one vector per quantity, one lane per window.
        __m128i t0 = _mm_unpacklo_epi32(w0, w1), t1 = _mm_unpackhi_epi32(w0, w1);
        __m128i t2 = _mm_unpacklo_epi32(w2, w3), t3 = _mm_unpackhi_epi32(w2, w3);
        __m128i sa = _mm_unpacklo_epi64(t0, t2), sb = _mm_unpackhi_epi64(t0, t2);
        __m128i square = _mm_unpacklo_epi64(t1, t3), cross = _mm_unpackhi_epi64(t1, t3);
        // Sums below 2^15 sit in the low half of each lane: madd multiplies them exactly.
        __m128i sa_sb = _mm_madd_epi16(sa, sb);
        __m128i sa_sa = _mm_madd_epi16(sa, sa), sb_sb = _mm_madd_epi16(sb, sb);
        __m128i variances = _mm_sub_epi32(_mm_sub_epi32(_mm_slli_epi32(square, 6), sa_sa), sb_sb);
        __m128i covariance = _mm_sub_epi32(_mm_slli_epi32(cross, 6), sa_sb);
        __m128i n1 = _mm_add_epi32(_mm_add_epi32(sa_sb, sa_sb), c1);
        __m128i n2 = _mm_add_epi32(_mm_add_epi32(covariance, covariance), c2);
        __m128i d1 = _mm_add_epi32(_mm_add_epi32(sa_sa, sb_sb), c1);
        __m128i d2 = _mm_add_epi32(variances, c2);
        for (int half = 0; half < 2; half++) {
            __m128d num = _mm_mul_pd(_mm_cvtepi32_pd(n1), _mm_cvtepi32_pd(n2));
            __m128d den = _mm_mul_pd(_mm_cvtepi32_pd(d1), _mm_cvtepi32_pd(d2));
            total = add_in_order(total, _mm_div_pd(num, den));
            n1 = _mm_srli_si128(n1, 8);
            n2 = _mm_srli_si128(n2, 8);
            d1 = _mm_srli_si128(d1, 8);
            d2 = _mm_srli_si128(d2, 8);
        }
    }
    if (column < columns)
        total = ssim_window_row_C(total, upper + column, lower + column, columns - column,
                                  constants);
    return total;
}
