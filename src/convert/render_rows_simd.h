// The picture walks shared by the SSE2 and AVX2 renderers. Each of those files is built
// with its own instruction-set flag, so each needs its own copy of this code: it lives in
// the including file's anonymous namespace (two copies under one linkage name would let
// the linker keep either, AVX2 instructions on an SSE2-only processor included). Include
// it after the file's own anonymous namespace has defined the lane primitives:
//   blocks_per_step             2 x 2 blocks handled by one step
//   BlockOffsets, block_offsets<pixel_bits>(u, v)
//   store_row16(y, offsets, shifts, out)         2 x blocks_per_step pixels of one row
//   store_row32_bytes<B0, B1, B2, B3>(y, offsets, out)
//   store_row32_shifts(y, offsets, shifts, out)
//   uniform_offsets(d)
#pragma once

#include "convert_kernels.h"
#include "render_shifts_simd.h"
#include "renderers.h"

namespace {

// Rows of pixels, stored as 16-bit words, as whole bytes of 32-bit words, or through the
// shifts.
struct Rows16 {
    static void row(const uint8_t *y, const BlockOffsets &o, const Shifts &s, uint16_t *out)
    {
        store_row16(y, o, s, out);
    }
};

template <int B0, int B1, int B2, int B3>
struct Bytes {
    static void row(const uint8_t *y, const BlockOffsets &o, const Shifts &, uint32_t *out)
    {
        store_row32_bytes<B0, B1, B2, B3>(y, o, out);
    }
};

struct Shifted {
    static void row(const uint8_t *y, const BlockOffsets &o, const Shifts &s, uint32_t *out)
    {
        store_row32_shifts(y, o, s, out);
    }
};

// The columns a step does not fill, through the reference.
inline void reference_blocks(const uint8_t *y_upper, const uint8_t *y_lower, const uint8_t *u,
                             const uint8_t *v, uint16_t *upper, uint16_t *lower, int blocks)
{
    color_blocks16_C(y_upper, y_lower, u, v, upper, lower, blocks);
}

inline void reference_blocks(const uint8_t *y_upper, const uint8_t *y_lower, const uint8_t *u,
                             const uint8_t *v, uint32_t *upper, uint32_t *lower, int blocks)
{
    color_blocks32_C(y_upper, y_lower, u, v, upper, lower, blocks);
}

inline void build_gray_table(uint8_t u, uint8_t v, uint16_t table[256])
{
    build_gray_table16(u, v, table);
}

inline void build_gray_table(uint8_t u, uint8_t v, uint32_t table[256])
{
    build_gray_table32(u, v, table);
}

template <typename Pixel, typename Store>
void color_rows(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride)
{
    const int half = picture->width / 2;
    const int fast_blocks = half - half % blocks_per_step;
    const ptrdiff_t luma_stride = picture->luma_stride;
    const Shifts shifts = layout_shifts();
    const uint8_t *y = picture->y, *u = picture->u, *v = picture->v;
    for (int row = 0; row + 1 < picture->height; row += 2) {
        Pixel *upper = (Pixel *)out, *lower = (Pixel *)(out + out_stride);
        for (int x = 0; x < fast_blocks; x += blocks_per_step) {
            BlockOffsets offsets = block_offsets<8 * sizeof(Pixel)>(u + x, v + x);
            Store::row(y + 2 * x, offsets, shifts, upper + 2 * x);
            Store::row(y + luma_stride + 2 * x, offsets, shifts, lower + 2 * x);
        }
        reference_blocks(y + 2 * fast_blocks, y + luma_stride + 2 * fast_blocks,
                         u + fast_blocks, v + fast_blocks, upper + 2 * fast_blocks,
                         lower + 2 * fast_blocks, half - fast_blocks);
        y += 2 * luma_stride;
        out += 2 * out_stride;
        u += picture->chroma_stride;
        v += picture->chroma_stride;
    }
}

void color16_fast(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride)
{
    if (convert_kernels.fast_layout.shifts_match16 && convert_kernels.fast_layout.colour_tables_default)
        color_rows<uint16_t, Rows16>(picture, out, out_stride);
    else
        Color16DitherImage_C(picture, out, out_stride);
}

void color32_fast(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride)
{
    if (!convert_kernels.fast_layout.shifts_match32 || !convert_kernels.fast_layout.colour_tables_default) {
        Color32DitherImage_C(picture, out, out_stride);
        return;
    }
    switch (convert_kernels.fast_layout.byte_order32) {
    case byte_order_xrgb: color_rows<uint32_t, Bytes<2, 1, 0, 3>>(picture, out, out_stride); break;
    case byte_order_xbgr: color_rows<uint32_t, Bytes<0, 1, 2, 3>>(picture, out, out_stride); break;
    case byte_order_rgbx: color_rows<uint32_t, Bytes<3, 2, 1, 0>>(picture, out, out_stride); break;
    case byte_order_bgrx: color_rows<uint32_t, Bytes<3, 0, 1, 2>>(picture, out, out_stride); break;
    default: color_rows<uint32_t, Shifted>(picture, out, out_stride); break;
    }
}

// Gray pixels of constant chroma with a single level offset: the colour rows with that
// offset on every channel (chroma plays no part), over runs of luma as long as the
// geometry allows; the samples a step leaves over at the end of a run, through the table.
template <typename Pixel, typename Store>
void gray_rows(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride, int d)
{
    const int step = 2 * blocks_per_step;
    const GrayRuns runs = gray_runs(picture, out_stride, sizeof(Pixel));
    const long fast_length = runs.length - runs.length % step;
    const BlockOffsets offsets = uniform_offsets(d);
    const Shifts shifts = layout_shifts();
    Pixel table[256];
    if (fast_length < runs.length)
        build_gray_table(picture->u[0], picture->v[0], table);
    for (long run = 0; run < runs.count; run++) {
        const uint8_t *y = picture->y + run * runs.luma_step;
        Pixel *pixels = (Pixel *)(out + run * runs.out_step);
        for (long i = 0; i < fast_length; i += step)
            Store::row(y + i, offsets, shifts, pixels + i);
        for (long i = fast_length; i < runs.length; i++)
            pixels[i] = table[y[i]];
    }
}

// Gray pictures: with constant chroma (difference pictures) a shifted luma or a table
// lookup a pixel; anything else through the reference.
void gray16_fast(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride)
{
    if (!chroma_is_constant(picture)) {
        DitherImageToGray16_C(picture, out, out_stride);
        return;
    }
    int d;
    if (convert_kernels.fast_layout.shifts_match16 &&
        gray_offset_for_chroma(picture->u[0], picture->v[0], fadetogray16, &d))
        gray_rows<uint16_t, Rows16>(picture, out, out_stride, d);
    else
        gray_by_table16(picture, out, out_stride);
}

void gray32_fast(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride)
{
    if (!chroma_is_constant(picture)) {
        DitherImageToGray32_C(picture, out, out_stride);
        return;
    }
    int d;
    if (!convert_kernels.fast_layout.shifts_match32 ||
        !gray_offset_for_chroma(picture->u[0], picture->v[0], fadetogray32, &d)) {
        gray_by_table32(picture, out, out_stride);
        return;
    }
    switch (convert_kernels.fast_layout.byte_order32) {
    case byte_order_xrgb:
        gray_rows<uint32_t, Bytes<2, 1, 0, 3>>(picture, out, out_stride, d);
        break;
    case byte_order_xbgr:
        gray_rows<uint32_t, Bytes<0, 1, 2, 3>>(picture, out, out_stride, d);
        break;
    case byte_order_rgbx:
        gray_rows<uint32_t, Bytes<3, 2, 1, 0>>(picture, out, out_stride, d);
        break;
    case byte_order_bgrx:
        gray_rows<uint32_t, Bytes<3, 0, 1, 2>>(picture, out, out_stride, d);
        break;
    default:
        gray_rows<uint32_t, Shifted>(picture, out, out_stride, d);
        break;
    }
}

}  // namespace
