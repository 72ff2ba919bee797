// SSE2 difference kernel: 16 samples a step, squares summed exactly in integers.
#include <emmintrin.h>

#include "difference_fast.h"

static uint64_t run_SSE2(const unsigned char *first, const unsigned char *second,
                         unsigned char *out, ptrdiff_t length)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i total = zero;  // two 64-bit lanes
    const ptrdiff_t whole = length - length % 16;  // samples in whole vectors
    ptrdiff_t i = 0;
    while (i < whole) {
        const ptrdiff_t stop = whole - i > steps_per_flush * 16 ? i + steps_per_flush * 16 : whole;
        __m128i partial = zero;  // four 32-bit lanes
        for (; i < stop; i += 16) {
            __m128i a = _mm_loadu_si128((const __m128i *)(first + i));
            __m128i b = _mm_loadu_si128((const __m128i *)(second + i));
            _mm_storeu_si128((__m128i *)(out + i), _mm_sub_epi8(a, b));
            __m128i low = _mm_sub_epi16(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero));
            __m128i high = _mm_sub_epi16(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero));
            partial = _mm_add_epi32(partial, _mm_madd_epi16(low, low));
            partial = _mm_add_epi32(partial, _mm_madd_epi16(high, high));
        }
        total = _mm_add_epi64(total, _mm_unpacklo_epi32(partial, zero));
        total = _mm_add_epi64(total, _mm_unpackhi_epi32(partial, zero));
    }
    uint64_t lanes[2];
    _mm_storeu_si128((__m128i *)lanes, total);
    uint64_t sum = lanes[0] + lanes[1];
    // The samples left over, in the reference.
    return sum + difference_run_C(first + i, second + i, out + i, length - i);
}

uint64_t difference_sum_SSE2(const unsigned char *first, ptrdiff_t first_stride,
                             const unsigned char *second, ptrdiff_t second_stride,
                             unsigned char *out, ptrdiff_t out_stride, int width, int height, int)
{
    return sum_of_runs(run_SSE2, first, first_stride, second, second_stride, out, out_stride, width,
                       height);
}
