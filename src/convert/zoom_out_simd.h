// Zoom-out by 2, 3, 4, 5, 6 and 8 with vectors, shared by the SSE2 and AVX2 kernels. The n
// rows of a block row are first combined column by column across a whole vector of columns
// (sums for the box average; the sample of largest error for difference pictures), then
// each block combines its n columns. Each including file is built with its own
// instruction-set flag, so this lives in its anonymous namespace (see render_rows_simd.h).
// Include it after the file has defined its lane primitives, on 16-bit lanes:
//   lanes                                 columns a vector holds
//   Lanes widened(p)                      `lanes` bytes from p
//   Lanes added(a, b)
//   void store_lanes(uint16_t *p, Lanes v)
//   Lanes ranked_errors(f, s, rank)       |f - s| of `lanes` bytes, times 8, plus rank
//   void keep_larger(&key, &value, later_key, later_value)   strictly larger key wins
#pragma once

#include <cstdint>
#include <cstdlib>

#include "zoom.h"

namespace {

// Output samples of one stretch of a row: the column scratch stays small and on the stack.
const int stretch_outputs = 128;

template <int n>
void column_sums(const uint8_t *in, ptrdiff_t stride, int columns, uint16_t *sums)
{
    int x = 0;
    for (; x + lanes <= columns; x += lanes) {
        Lanes sum = widened(in + x);
        for (int i = 1; i < n; i++)
            sum = added(sum, widened(in + i * stride + x));
        store_lanes(sums + x, sum);
    }
    for (; x < columns; x++) {
        int sum = 0;
        for (int i = 0; i < n; i++)
            sum += in[i * stride + x];
        sums[x] = (uint16_t)sum;
    }
}

template <int n>
void box_average_plane_by(const uint8_t *in, ptrdiff_t in_stride, uint8_t *out,
                          ptrdiff_t out_stride, int width, int height)
{
    uint16_t sums[stretch_outputs * n];
    for (int y = 0; y < height; y++)
        for (int start = 0; start < width; start += stretch_outputs) {
            int outputs = width - start < stretch_outputs ? width - start : stretch_outputs;
            column_sums<n>(in + y * n * in_stride + start * n, in_stride, outputs * n, sums);
            uint8_t *o = out + y * out_stride + start;
            for (int x = 0; x < outputs; x++) {
                int sum = 0;
                for (int j = 0; j < n; j++)
                    sum += sums[x * n + j];
                o[x] = (uint8_t)((sum + n * n / 2) / (n * n));
            }
        }
}

// Per column, the row of largest error as a key (error x 8 + 7 - row, so that the upper row
// wins ties) and the difference sample there.
template <int n>
void column_winners(const uint8_t *f, ptrdiff_t fs, const uint8_t *s, ptrdiff_t ss,
                    const uint8_t *d, ptrdiff_t ds, int columns, uint16_t *keys,
                    uint16_t *values)
{
    int x = 0;
    for (; x + lanes <= columns; x += lanes) {
        Lanes key = ranked_errors(f + x, s + x, 7), value = widened(d + x);
        for (int i = 1; i < n; i++)
            keep_larger(&key, &value, ranked_errors(f + i * fs + x, s + i * ss + x, 7 - i),
                        widened(d + i * ds + x));
        store_lanes(keys + x, key);
        store_lanes(values + x, value);
    }
    for (; x < columns; x++) {
        int key = -1;
        for (int i = 0; i < n; i++) {
            int ranked = abs(f[i * fs + x] - s[i * ss + x]) * 8 + 7 - i;
            if (ranked > key) {
                key = ranked;
                values[x] = d[i * ds + x];
            }
        }
        keys[x] = (uint16_t)key;
    }
}

// The block's largest key; a tie keeps the upper row and then the left column, which is
// raster order.
template <int n>
void largest_errors_by(const YuvFrame *first, const YuvFrame *second,
                       const YuvFrame *difference, YuvFrame *out)
{
    const ptrdiff_t fs = first->luma_stride, ss = second->luma_stride,
                    ds = difference->luma_stride;
    uint16_t keys[stretch_outputs * n], values[stretch_outputs * n];
    for (int y = 0; y < out->height; y++)
        for (int start = 0; start < out->width; start += stretch_outputs) {
            int outputs = out->width - start;
            if (outputs > stretch_outputs)
                outputs = stretch_outputs;
            ptrdiff_t column = (ptrdiff_t)start * n;
            column_winners<n>(first->y + y * n * fs + column, fs, second->y + y * n * ss + column,
                              ss, difference->y + y * n * ds + column, ds, outputs * n, keys,
                              values);
            uint8_t *o = out->y + y * out->luma_stride + start;
            for (int x = 0; x < outputs; x++) {
                // Key, then the left column first, then the sample: the largest wins, with
                // no branch to mispredict.
                int best = 0;
                for (int j = 0; j < n; j++) {
                    int ranked = keys[x * n + j] << 11 | (7 - j) << 8 | values[x * n + j];
                    best = ranked > best ? ranked : best;
                }
                o[x] = (uint8_t)best;
            }
        }
}

// The factors -zoom offers have their own code; false for any other.
bool box_average_plane_fast(const uint8_t *in, ptrdiff_t in_stride, uint8_t *out,
                            ptrdiff_t out_stride, int width, int height, int n)
{
    switch (n) {
    case 2: box_average_plane_by<2>(in, in_stride, out, out_stride, width, height); return true;
    case 3: box_average_plane_by<3>(in, in_stride, out, out_stride, width, height); return true;
    case 4: box_average_plane_by<4>(in, in_stride, out, out_stride, width, height); return true;
    case 5: box_average_plane_by<5>(in, in_stride, out, out_stride, width, height); return true;
    case 6: box_average_plane_by<6>(in, in_stride, out, out_stride, width, height); return true;
    case 8: box_average_plane_by<8>(in, in_stride, out, out_stride, width, height); return true;
    default: return false;
    }
}

bool largest_errors_fast(const YuvFrame *first, const YuvFrame *second,
                         const YuvFrame *difference, YuvFrame *out, int n)
{
    switch (n) {
    case 2: largest_errors_by<2>(first, second, difference, out); return true;
    case 3: largest_errors_by<3>(first, second, difference, out); return true;
    case 4: largest_errors_by<4>(first, second, difference, out); return true;
    case 5: largest_errors_by<5>(first, second, difference, out); return true;
    case 6: largest_errors_by<6>(first, second, difference, out); return true;
    case 8: largest_errors_by<8>(first, second, difference, out); return true;
    default: return false;
    }
}

// The whole picture through the fast code, or through the reference for other factors.
void zoom_out_vectors(const YuvFrame *picture, YuvFrame *out, int n)
{
    if (!box_average_plane_fast(picture->y, picture->luma_stride, out->y, out->luma_stride,
                                out->width, out->height, n))
        return zoom_kernels_C.zoom_out(picture, out, n);
    box_average_plane_fast(picture->u, picture->chroma_stride, out->u, out->chroma_stride,
                           chroma_width(*out), chroma_height(*out), n);
    box_average_plane_fast(picture->v, picture->chroma_stride, out->v, out->chroma_stride,
                           chroma_width(*out), chroma_height(*out), n);
}

void zoom_out_difference_vectors(const YuvFrame *first, const YuvFrame *second,
                                 const YuvFrame *difference, YuvFrame *out, int n)
{
    if (!largest_errors_fast(first, second, difference, out, n))
        return zoom_kernels_C.zoom_out_difference(first, second, difference, out, n);
    box_average_plane_fast(difference->u, difference->chroma_stride, out->u,
                           out->chroma_stride, chroma_width(*out), chroma_height(*out), n);
    box_average_plane_fast(difference->v, difference->chroma_stride, out->v,
                           out->chroma_stride, chroma_width(*out), chroma_height(*out), n);
}

}  // namespace
