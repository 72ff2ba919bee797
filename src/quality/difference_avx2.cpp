// AVX2 difference kernel: 32 samples a step, squares summed exactly in integers.
#include <immintrin.h>

#include "difference_fast.h"

static uint64_t run_AVX2(const unsigned char *first, const unsigned char *second,
                         unsigned char *out, ptrdiff_t length)
{
    const __m256i zero = _mm256_setzero_si256();
    __m256i total = zero;  // four 64-bit lanes
    const ptrdiff_t whole = length - length % 32;  // samples in whole vectors
    ptrdiff_t i = 0;
    while (i < whole) {
        const ptrdiff_t stop = whole - i > steps_per_flush * 32 ? i + steps_per_flush * 32 : whole;
        __m256i partial = zero;  // eight 32-bit lanes
        for (; i < stop; i += 32) {
            __m256i a = _mm256_loadu_si256((const __m256i *)(first + i));
            __m256i b = _mm256_loadu_si256((const __m256i *)(second + i));
            _mm256_storeu_si256((__m256i *)(out + i), _mm256_sub_epi8(a, b));
            // The sum ignores sample order, so the unpacks within halves do no harm.
            __m256i low = _mm256_sub_epi16(_mm256_unpacklo_epi8(a, zero),
                                           _mm256_unpacklo_epi8(b, zero));
            __m256i high = _mm256_sub_epi16(_mm256_unpackhi_epi8(a, zero),
                                            _mm256_unpackhi_epi8(b, zero));
            partial = _mm256_add_epi32(partial, _mm256_madd_epi16(low, low));
            partial = _mm256_add_epi32(partial, _mm256_madd_epi16(high, high));
        }
        total = _mm256_add_epi64(total, _mm256_unpacklo_epi32(partial, zero));
        total = _mm256_add_epi64(total, _mm256_unpackhi_epi32(partial, zero));
    }
    uint64_t lanes[4];
    _mm256_storeu_si256((__m256i *)lanes, total);
    uint64_t sum = lanes[0] + lanes[1] + lanes[2] + lanes[3];
    // The samples left over, in the reference.
    return sum + difference_run_C(first + i, second + i, out + i, length - i);
}

uint64_t difference_sum_AVX2(const unsigned char *first, ptrdiff_t first_stride,
                             const unsigned char *second, ptrdiff_t second_stride,
                             unsigned char *out, ptrdiff_t out_stride, int width, int height, int)
{
    return sum_of_runs(run_AVX2, first, first_stride, second, second_stride, out, out_stride, width,
                       height);
}
