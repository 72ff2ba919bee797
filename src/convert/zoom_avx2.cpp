// AVX2 zoom kernels: zoom-out by 3 to 8 sixteen columns at a time; zoom-out by 2 and
// zoom-in are SSE2's. Byte-identical to the reference (tests).
#include <immintrin.h>

#include <cstdint>

#include "zoom.h"

extern const ZoomKernels zoom_kernels_SSE2;

// Lane primitives of zoom_out_simd.h: sixteen columns in 16-bit lanes.
namespace {
const int lanes = 16;
typedef __m256i Lanes;
inline Lanes widened(const uint8_t *p)
{
    return _mm256_cvtepu8_epi16(_mm_loadu_si128((const __m128i *)p));
}
inline Lanes added(Lanes a, Lanes b) { return _mm256_add_epi16(a, b); }
inline void store_lanes(uint16_t *p, Lanes v) { _mm256_storeu_si256((__m256i *)p, v); }
inline Lanes ranked_errors(const uint8_t *f, const uint8_t *s, int rank)
{
    __m128i first = _mm_loadu_si128((const __m128i *)f), second = _mm_loadu_si128((const __m128i *)s);
    __m128i error = _mm_or_si128(_mm_subs_epu8(first, second), _mm_subs_epu8(second, first));
    return _mm256_or_si256(_mm256_slli_epi16(_mm256_cvtepu8_epi16(error), 3),
                           _mm256_set1_epi16((short)rank));
}
inline void keep_larger(Lanes *key, Lanes *value, Lanes later_key, Lanes later_value)
{
    Lanes later = _mm256_cmpgt_epi16(later_key, *key);
    *key = _mm256_blendv_epi8(*key, later_key, later);
    *value = _mm256_blendv_epi8(*value, later_value, later);
}
}  // namespace

#include "zoom_out_simd.h"

// By 2, SSE2's code already reads whole vectors of block pairs.
static void zoom_out_AVX2(const YuvFrame *picture, YuvFrame *out, int n)
{
    if (n == 2)
        return zoom_kernels_SSE2.zoom_out(picture, out, n);
    zoom_out_vectors(picture, out, n);
}

static void zoom_out_difference_AVX2(const YuvFrame *first, const YuvFrame *second,
                                     const YuvFrame *difference, YuvFrame *out, int n)
{
    if (n == 2)
        return zoom_kernels_SSE2.zoom_out_difference(first, second, difference, out, n);
    zoom_out_difference_vectors(first, second, difference, out, n);
}

static void zoom_in_AVX2(unsigned char *buffer, int width, int height, int pixel_bytes,
                         ptrdiff_t stride, int n)
{
    zoom_kernels_SSE2.zoom_in(buffer, width, height, pixel_bytes, stride, n);
}

extern const ZoomKernels zoom_kernels_AVX2 = {"AVX2", zoom_out_AVX2, zoom_out_difference_AVX2,
                                              zoom_in_AVX2};
