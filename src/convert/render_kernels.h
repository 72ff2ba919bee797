// The variants behind the four renderers and the table through which they are called.
// The reference (_C) variants walk the lookup tables; the fast ones must give the same
// bytes and are installed only after they have been checked against the tables.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/yuv_frame.h"

typedef void (*render_fn)(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride);

struct RenderKernels {
    render_fn color16;
    render_fn color32;
    render_fn gray16;
    render_fn gray32;
};

// Points render_colour and render_gray at the kernels of the tables' pixel width; the
// choice of the kernels ends with it.
void choose_renderers_for_tables();

// One compiled instruction-set variant. chroma_offsets fills the red, green and blue
// offsets of 16 blocks from their U and V samples with the variant's own arithmetic.
struct RenderVariant {
    const char *name;
    RenderKernels kernels;
    void (*chroma_offsets)(const uint8_t *u, const uint8_t *v, int16_t *r, int16_t *g,
                           int16_t *b);
};

extern const RenderVariant render_variant_C;
extern const RenderVariant render_variant_SSE2;
extern const RenderVariant render_variant_AVX2;

// Variants compiled into this build and supported by this processor, reference first.
int available_render_variants(const RenderVariant **list, int capacity);

// How the fast colour kernels place a clamped 8-bit level of one channel into a pixel:
// (level >> right) << left, in lanes of the pixel's width; a shift of the width or more
// leaves nothing, which is what an empty mask needs.
struct ChannelShift {
    int right;
    int left;
};

// 32-bit layouts whose channels are whole bytes and which the fast kernels store by
// interleaving bytes; named by the bytes from the most significant one down.
enum {
    byte_order_none,  // anything else: stored through the shifts
    byte_order_xrgb,  // red 23-16, green 15-8, blue 7-0
    byte_order_xbgr,  // blue 23-16, green 15-8, red 7-0
    byte_order_rgbx,  // red 31-24, green 23-16, blue 15-8
    byte_order_bgrx,  // blue 31-24, green 23-16, red 15-8
};

struct FastLayout {
    int shifts_match16;  // the shifts reproduce the low 16 bits of every table entry
    int shifts_match32;  // ... every whole 32-bit table entry
    int byte_order32;    // one of byte_order_*, only where the shifts match too
    // The colour tables are the default ones, whose arithmetic the chosen variant was checked
    // against: the luma sample is its level and the offsets are whole levels. Otherwise the
    // fast colour kernels render through the reference.
    int colour_tables_default;
    ChannelShift channel[3];  // red, green, blue
};

// The kernels chosen at start-up (convert_kernels.h) keep the layout: worked out from
// wpixel and checked against the tables by select_render_kernels. A fast kernel whose
// layout does not match renders through the reference instead.

// The arithmetic the fast kernels use for the chroma offsets: the whole part of each
// factor and its fraction in 1/65536, so that floor(|k| x factor) is
// |k| x whole + ((|k| x fraction) >> 16) for every |k| of 0..128.
enum {
    cr_red_whole = 1, cr_red_fraction = 26302,
    cr_green_fraction = 46767,
    cb_green_fraction = 22571,
    cb_blue_whole = 1, cb_blue_fraction = 50686,
};

// Reference renderers.
void Color16DitherImage_C(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride);
void Color32DitherImage_C(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride);
void DitherImageToGray16_C(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride);
void DitherImageToGray32_C(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride);

// Reference conversion of `blocks` 2 x 2 blocks of one row pair, for the columns that a
// fast kernel leaves over at the right edge.
void color_blocks16_C(const uint8_t *y_upper, const uint8_t *y_lower, const uint8_t *u,
                      const uint8_t *v, uint16_t *upper, uint16_t *lower, int blocks);
void color_blocks32_C(const uint8_t *y_upper, const uint8_t *y_lower, const uint8_t *u,
                      const uint8_t *v, uint32_t *upper, uint32_t *lower, int blocks);

// Gray pictures whose chroma planes each hold one value throughout (difference pictures)
// map each luma sample to one pixel; these 256-entry tables are built with the reference
// arithmetic, so a lookup gives exactly the reference pixel.
int chroma_is_constant(const YuvFrame *picture);
void build_gray_table16(uint8_t u, uint8_t v, uint16_t table[256]);
void build_gray_table32(uint8_t u, uint8_t v, uint32_t table[256]);

// Constant chroma: the whole gray picture through the table.
void gray_by_table16(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride);
void gray_by_table32(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride);

// The luma rows of a gray picture as runs of samples and pixels: `count` runs of `length`,
// `luma_step` and `out_step` bytes apart. Where neither plane has gaps between its rows the
// whole picture is one run, which lets the fast kernels keep their full step to the end.
struct GrayRuns {
    long count, length;
    ptrdiff_t luma_step, out_step;
};

inline GrayRuns gray_runs(const YuvFrame *picture, ptrdiff_t out_stride, int pixel_bytes)
{
    const int rows = picture->height & ~1;  // whole row pairs only, as the colour walk
    if (picture->luma_stride == picture->width &&
        out_stride == (ptrdiff_t)picture->width * pixel_bytes)
        return GrayRuns{1, (long)picture->width * rows, 0, 0};
    return GrayRuns{rows, picture->width, picture->luma_stride, out_stride};
}

// Usually the clamped gray level of every luma sample L is clamp(L + d) for one d (d = -1
// for difference pictures); then gray pixels are colour pixels with all three offsets d.
// Returns 0 when no single offset fits the chroma pair (u, v).
int gray_offset_for_chroma(uint8_t u, uint8_t v, int (*fade)(int, int, int), int *offset);
