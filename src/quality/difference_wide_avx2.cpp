// AVX2 difference kernel for two-byte samples: 32 samples a step, squares summed exactly.
#include <immintrin.h>

#include "difference_fast.h"

// Steps (32 samples each) between emptying the 32-bit lanes of squares: with every sample
// below 4096 a lane gains at most 2 x 2 x 4095^2 a step, and 32 steps stay below 2^31.
static const int wide_steps_per_flush = 32;
static const int small_sample_limit = 4096;

// Adds the exact squares of |a - b| for any 16-bit samples to the four 64-bit lanes.
static __m256i add_exact_squares(__m256i total, __m256i a, __m256i b)
{
    const __m256i low_words = _mm256_set1_epi64x(0xFFFFFFFF);
    // |a - b| from the saturated differences; its square from the low and high halves of
    // the 16-bit product.
    __m256i magnitude = _mm256_or_si256(_mm256_subs_epu16(a, b), _mm256_subs_epu16(b, a));
    __m256i low = _mm256_mullo_epi16(magnitude, magnitude);
    __m256i high = _mm256_mulhi_epu16(magnitude, magnitude);
    __m256i squares[2] = {_mm256_unpacklo_epi16(low, high), _mm256_unpackhi_epi16(low, high)};
    for (__m256i s : squares) {
        total = _mm256_add_epi64(total, _mm256_and_si256(s, low_words));
        total = _mm256_add_epi64(total, _mm256_srli_epi64(s, 32));
    }
    return total;
}

static uint64_t run_wide_AVX2(const unsigned char *first, const unsigned char *second,
                              unsigned char *out, ptrdiff_t length, int shift)
{
    const __m256i zero = _mm256_setzero_si256(), low_bytes = _mm256_set1_epi16(0xFF);
    const __m256i large = _mm256_set1_epi16((short)(0x10000 - small_sample_limit));
    const __m128i count = _mm_cvtsi32_si128(shift);
    __m256i total = zero;  // four 64-bit lanes
    const ptrdiff_t whole = length - length % 32;
    ptrdiff_t i = 0;
    while (i < whole) {
        const ptrdiff_t start = i;
        const ptrdiff_t stop = whole - i > wide_steps_per_flush * 32 ? i + wide_steps_per_flush * 32 : whole;
        __m256i partial = zero, seen = zero;  // eight 32-bit lanes; every sample or-ed
        for (; i < stop; i += 32) {
            __m256i bytes[2];
            for (int half = 0; half < 2; half++) {
                __m256i a = _mm256_loadu_si256((const __m256i *)(first + 2 * i + 32 * half));
                __m256i b = _mm256_loadu_si256((const __m256i *)(second + 2 * i + 32 * half));
                // The low `depth` (at most 16) bits of a - b decide floor((a - b) / 2^shift)
                // mod 256: the 16-bit difference, shifted logically, holds them.
                __m256i d = _mm256_sub_epi16(a, b);
                bytes[half] = _mm256_and_si256(_mm256_srl_epi16(d, count), low_bytes);
                partial = _mm256_add_epi32(partial, _mm256_madd_epi16(d, d));
                seen = _mm256_or_si256(seen, _mm256_or_si256(a, b));
            }
            // packus works within 128-bit halves; the permute puts the 32 bytes in order.
            __m256i packed = _mm256_packus_epi16(bytes[0], bytes[1]);
            _mm256_storeu_si256((__m256i *)(out + i), _mm256_permute4x64_epi64(packed, 0xD8));
        }
        if (_mm256_testz_si256(seen, large)) {  // all below 4096: the 32-bit sums are exact
            total = _mm256_add_epi64(total, _mm256_unpacklo_epi32(partial, zero));
            total = _mm256_add_epi64(total, _mm256_unpackhi_epi32(partial, zero));
            continue;
        }
        for (ptrdiff_t k = start; k < stop; k += 16) {  // wider samples: the squares again
            __m256i a = _mm256_loadu_si256((const __m256i *)(first + 2 * k));
            __m256i b = _mm256_loadu_si256((const __m256i *)(second + 2 * k));
            total = add_exact_squares(total, a, b);
        }
    }
    uint64_t lanes[4];
    _mm256_storeu_si256((__m256i *)lanes, total);
    uint64_t sum = lanes[0] + lanes[1] + lanes[2] + lanes[3];
    // The samples left over, in the reference.
    return sum + difference_run_wide_C(first + 2 * i, second + 2 * i, out + i, length - i, shift);
}

uint64_t difference_sum_wide_AVX2(const unsigned char *first, ptrdiff_t first_stride,
                                  const unsigned char *second, ptrdiff_t second_stride,
                                  unsigned char *out, ptrdiff_t out_stride, int width,
                                  int height, int largest_value)
{
    return sum_of_wide_runs(run_wide_AVX2, first, first_stride, second, second_stride, out,
                            out_stride, width, height, largest_value);
}
