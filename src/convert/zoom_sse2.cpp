// SSE2 zoom kernels: zoom-out by 2 sixteen samples at a time, by the other factors of -zoom
// eight columns at a time, zoom-in by 2 to 4 a row at a time; other factors go to the
// reference. Byte-identical to the reference (tests).
#include <emmintrin.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "zoom.h"

// The 16-bit lanes of the even and of the odd bytes of v.
static inline __m128i even_bytes(__m128i v) { return _mm_and_si128(v, _mm_set1_epi16(0xFF)); }
static inline __m128i odd_bytes(__m128i v) { return _mm_srli_epi16(v, 8); }

static inline __m128i load(const uint8_t *p) { return _mm_loadu_si128((const __m128i *)p); }

// The rounded means of the eight 2 x 2 blocks of 16 samples of two rows, in 16-bit lanes.
static inline __m128i block_means(const uint8_t *upper_row, const uint8_t *lower_row, __m128i two)
{
    __m128i upper = load(upper_row), lower = load(lower_row);
    __m128i sum = _mm_add_epi16(_mm_add_epi16(even_bytes(upper), odd_bytes(upper)),
                                _mm_add_epi16(even_bytes(lower), odd_bytes(lower)));
    return _mm_srli_epi16(_mm_add_epi16(sum, two), 2);
}

static void box_average_plane2(const uint8_t *in, ptrdiff_t in_stride, uint8_t *out,
                               ptrdiff_t out_stride, int width, int height)
{
    const __m128i two = _mm_set1_epi16(2);
    for (int y = 0; y < height; y++) {
        const uint8_t *a = in + 2 * y * in_stride, *b = a + in_stride;
        uint8_t *o = out + y * out_stride;
        int x = 0;
        for (; x + 16 <= width; x += 16)
            _mm_storeu_si128((__m128i *)(o + x),
                             _mm_packus_epi16(block_means(a + 2 * x, b + 2 * x, two),
                                              block_means(a + 2 * x + 16, b + 2 * x + 16, two)));
        for (; x + 8 <= width; x += 8) {
            __m128i means = block_means(a + 2 * x, b + 2 * x, two);
            _mm_storel_epi64((__m128i *)(o + x), _mm_packus_epi16(means, means));
        }
        for (; x < width; x++)
            o[x] = (uint8_t)((a[2 * x] + a[2 * x + 1] + b[2 * x] + b[2 * x + 1] + 2) / 4);
    }
}

static void zoom_out_chroma2(const YuvFrame *picture, YuvFrame *out)
{
    box_average_plane2(picture->u, picture->chroma_stride, out->u, out->chroma_stride,
                       chroma_width(*out), chroma_height(*out));
    box_average_plane2(picture->v, picture->chroma_stride, out->v, out->chroma_stride,
                       chroma_width(*out), chroma_height(*out));
}

static inline __m128i select(__m128i mask, __m128i when_set, __m128i otherwise)
{
    return _mm_or_si128(_mm_and_si128(mask, when_set), _mm_andnot_si128(mask, otherwise));
}

// Of each pair of lanes, the later wins only with a strictly larger magnitude: ties keep
// the earlier sample, which is raster order within a 2 x 2 block when the left sample is
// compared with the right one and then the upper winner with the lower one.
static inline void keep_larger(__m128i *magnitude, __m128i *value, __m128i later_magnitude,
                               __m128i later_value)
{
    __m128i later = _mm_cmpgt_epi16(later_magnitude, *magnitude);
    *magnitude = select(later, later_magnitude, *magnitude);
    *value = select(later, later_value, *value);
}

// Lane primitives of zoom_out_simd.h: eight columns in 16-bit lanes.
namespace {
const int lanes = 8;
typedef __m128i Lanes;
inline Lanes widened(const uint8_t *p)
{
    return _mm_unpacklo_epi8(_mm_loadl_epi64((const __m128i *)p), _mm_setzero_si128());
}
inline Lanes added(Lanes a, Lanes b) { return _mm_add_epi16(a, b); }
inline void store_lanes(uint16_t *p, Lanes v) { _mm_storeu_si128((__m128i *)p, v); }
inline Lanes ranked_errors(const uint8_t *f, const uint8_t *s, int rank)
{
    __m128i first = _mm_loadl_epi64((const __m128i *)f), second = _mm_loadl_epi64((const __m128i *)s);
    __m128i error = _mm_or_si128(_mm_subs_epu8(first, second), _mm_subs_epu8(second, first));
    return _mm_or_si128(_mm_slli_epi16(_mm_unpacklo_epi8(error, _mm_setzero_si128()), 3),
                        _mm_set1_epi16((short)rank));
}
}  // namespace

#include "zoom_out_simd.h"

static void zoom_out_SSE2(const YuvFrame *picture, YuvFrame *out, int n)
{
    if (n != 2)
        return zoom_out_vectors(picture, out, n);
    box_average_plane2(picture->y, picture->luma_stride, out->y, out->luma_stride, out->width,
                       out->height);
    zoom_out_chroma2(picture, out);
}

static inline void row_winners(const uint8_t *f, const uint8_t *s, const uint8_t *d,
                               __m128i *magnitude, __m128i *value)
{
    __m128i first = load(f), second = load(s), stored = load(d);
    __m128i error = _mm_or_si128(_mm_subs_epu8(first, second), _mm_subs_epu8(second, first));
    *magnitude = even_bytes(error);
    *value = even_bytes(stored);
    keep_larger(magnitude, value, odd_bytes(error), odd_bytes(stored));
}

static void zoom_out_difference_SSE2(const YuvFrame *first, const YuvFrame *second,
                                     const YuvFrame *difference, YuvFrame *out, int n)
{
    if (n != 2)
        return zoom_out_difference_vectors(first, second, difference, out, n);
    const ptrdiff_t fs = first->luma_stride, ss = second->luma_stride,
                    ds = difference->luma_stride;
    for (int y = 0; y < out->height; y++) {
        const uint8_t *f = first->y + 2 * y * fs, *s = second->y + 2 * y * ss,
                      *d = difference->y + 2 * y * ds;
        uint8_t *o = out->y + y * out->luma_stride;
        int x = 0;
        for (; x + 8 <= out->width; x += 8) {
            __m128i magnitude, value, lower_magnitude, lower_value;
            row_winners(f + 2 * x, s + 2 * x, d + 2 * x, &magnitude, &value);
            row_winners(f + fs + 2 * x, s + ss + 2 * x, d + ds + 2 * x, &lower_magnitude,
                        &lower_value);
            keep_larger(&magnitude, &value, lower_magnitude, lower_value);
            _mm_storel_epi64((__m128i *)(o + x), _mm_packus_epi16(value, value));
        }
        for (; x < out->width; x++) {
            int largest = -1;
            for (int i = 0; i < 4; i++) {
                int row = i / 2, column = 2 * x + i % 2;
                int magnitude = abs(f[row * fs + column] - s[row * ss + column]);
                if (magnitude > largest) {
                    largest = magnitude;
                    o[x] = d[row * ds + column];
                }
            }
        }
    }
    zoom_out_chroma2(difference, out);
}

// One row of pixels, each repeated n times, into a row that does not overlap it.
template <typename Pixel, int n>
static void widen_row(const Pixel *in, Pixel *out, int width)
{
    for (int x = 0; x < width; x++)
        for (int j = 0; j < n; j++)
            out[x * n + j] = in[x];
}

template <>
void widen_row<uint32_t, 2>(const uint32_t *in, uint32_t *out, int width)
{
    int x = 0;
    for (; x + 4 <= width; x += 4) {
        __m128i v = _mm_loadu_si128((const __m128i *)(in + x));
        _mm_storeu_si128((__m128i *)(out + 2 * x), _mm_unpacklo_epi32(v, v));
        _mm_storeu_si128((__m128i *)(out + 2 * x + 4), _mm_unpackhi_epi32(v, v));
    }
    for (; x < width; x++)
        out[2 * x] = out[2 * x + 1] = in[x];
}

template <>
void widen_row<uint16_t, 2>(const uint16_t *in, uint16_t *out, int width)
{
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        __m128i v = _mm_loadu_si128((const __m128i *)(in + x));
        _mm_storeu_si128((__m128i *)(out + 2 * x), _mm_unpacklo_epi16(v, v));
        _mm_storeu_si128((__m128i *)(out + 2 * x + 8), _mm_unpackhi_epi16(v, v));
    }
    for (; x < width; x++)
        out[2 * x] = out[2 * x + 1] = in[x];
}

// Bottom row first: picture row r is widened into shown row r n + 1, which lies between
// it and the next picture row, then copied to the other rows of its block.
template <typename Pixel, int n>
static void zoom_in_rows(unsigned char *buffer, int width, int height, ptrdiff_t stride)
{
    const size_t row_bytes = (size_t)width * n * sizeof(Pixel);
    for (int r = height - 1; r >= 0; r--) {
        unsigned char *block = buffer + r * n * stride;
        widen_row<Pixel, n>((const Pixel *)block, (Pixel *)(block + stride), width);
        for (int i = 0; i < n; i++)
            if (i != 1)
                memcpy(block + i * stride, block + stride, row_bytes);
    }
}

template <typename Pixel>
static void zoom_in_by(unsigned char *buffer, int width, int height, ptrdiff_t stride, int n)
{
    if (n == 2)
        zoom_in_rows<Pixel, 2>(buffer, width, height, stride);
    else if (n == 3)
        zoom_in_rows<Pixel, 3>(buffer, width, height, stride);
    else
        zoom_in_rows<Pixel, 4>(buffer, width, height, stride);
}

static void zoom_in_SSE2(unsigned char *buffer, int width, int height, int pixel_bytes,
                         ptrdiff_t stride, int n)
{
    if (n < 2 || n > 4)
        zoom_kernels_C.zoom_in(buffer, width, height, pixel_bytes, stride, n);
    else if (pixel_bytes == 2)
        zoom_in_by<uint16_t>(buffer, width, height, stride, n);
    else
        zoom_in_by<uint32_t>(buffer, width, height, stride, n);
}

extern const ZoomKernels zoom_kernels_SSE2 = {"SSE2", zoom_out_SSE2, zoom_out_difference_SSE2,
                                              zoom_in_SSE2};
