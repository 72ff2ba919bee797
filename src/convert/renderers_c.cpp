// Reference renderers: the table walk of the conversion, one 2 x 2 block at a time.
#include "color_tables.h"
#include "render_kernels.h"
#include "renderers.h"

int fadetogray16(int r, int g, int b)
{
    return (int)(0.3 * r + 0.59 * g + 0.11 * b);  // truncated toward zero
}

int fadetogray32(int r, int g, int b)
{
    return (int)(0.3 * r + 0.59 * g + 0.11 * b);
}

// Colour pictures go through the tables of the conversion chosen, gray ones through the
// default tables.
static inline uint32_t color_pixel(int level, int r, int g, int b)
{
    return (uint32_t)(pixel_tables.colour_tables.red[level + r] | pixel_tables.colour_tables.green[level + g] |
                      pixel_tables.colour_tables.blue[level + b]);
}

static inline uint32_t gray_pixel(int gray)
{
    return (uint32_t)(pixel_tables.r_2_pix[gray] | pixel_tables.g_2_pix[gray] | pixel_tables.b_2_pix[gray]);
}

// The red, green and blue offsets of one chroma pair.
struct Offsets {
    int r, g, b;
};

static inline Offsets offsets_in(const ConversionTables &t, int cb, int cr)
{
    return Offsets{t.cr_red[cr], t.cr_green[cr] + t.cb_green[cb], t.cb_blue[cb]};
}

static inline Offsets offsets_for(int cb, int cr)
{
    return offsets_in(pixel_tables.default_tables, cb, cr);
}

// Gray level of the luma level with the offsets, at the pixel width's weighting.
template <typename Pixel>
static inline int gray_level(int level, Offsets o)
{
    int (*fade)(int, int, int) = sizeof(Pixel) == 2 ? fadetogray16 : fadetogray32;
    return fade(level + o.r, level + o.g, level + o.b);
}

template <typename Pixel>
static inline Pixel color_at(int level, Offsets o)
{
    return (Pixel)color_pixel(level, o.r, o.g, o.b);
}

template <typename Pixel>
static inline Pixel gray_at(int level, Offsets o)
{
    return (Pixel)gray_pixel(gray_level<Pixel>(level, o));
}

// `blocks` 2 x 2 blocks of one row pair through the tables `which` of pixel_tables;
// pixel_at gives one pixel from its luma level.
template <typename Pixel, Pixel (*pixel_at)(int, Offsets), ConversionTables PixelTables::*which>
static inline void blocks_of(const uint8_t *y_upper, const uint8_t *y_lower, const uint8_t *u,
                             const uint8_t *v, Pixel *upper, Pixel *lower, int blocks)
{
    const ConversionTables &t = pixel_tables.*which;
    const int32_t *luma = t.luma;
    for (int x = 0; x < blocks; x++) {
        Offsets o = offsets_in(t, *u++, *v++);
        *upper++ = pixel_at(luma[*y_upper++], o);
        *upper++ = pixel_at(luma[*y_upper++], o);
        *lower++ = pixel_at(luma[*y_lower++], o);
        *lower++ = pixel_at(luma[*y_lower++], o);
    }
}

// Kept out of line: inlined into the row walk, the same instructions ran up to three
// times slower or not depending only on the address the linker gave them.
__attribute__((noinline)) void color_blocks16_C(const uint8_t *y_upper, const uint8_t *y_lower, const uint8_t *u,
                      const uint8_t *v, uint16_t *upper, uint16_t *lower, int blocks)
{
    blocks_of<uint16_t, color_at<uint16_t>, &PixelTables::colour_tables>(y_upper, y_lower, u, v, upper, lower, blocks);
}

void color_blocks32_C(const uint8_t *y_upper, const uint8_t *y_lower, const uint8_t *u,
                      const uint8_t *v, uint32_t *upper, uint32_t *lower, int blocks)
{
    blocks_of<uint32_t, color_at<uint32_t>, &PixelTables::colour_tables>(y_upper, y_lower, u, v, upper, lower, blocks);
}

// The traversal shared by the four renderers: row pairs, half blocks per pair; each
// chroma row serves one row pair. Odd sizes never get here (the picture size is even).
template <typename Pixel, typename Blocks>
static void walk_row_pairs(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride,
                           Blocks blocks)
{
    const int half = picture->width / 2;
    const ptrdiff_t luma_stride = picture->luma_stride;
    const uint8_t *y = picture->y;
    const uint8_t *u = picture->u;
    const uint8_t *v = picture->v;
    for (int row = 0; row + 1 < picture->height; row += 2) {
        blocks(y, y + luma_stride, u, v, (Pixel *)out, (Pixel *)(out + out_stride), half);
        y += 2 * luma_stride;
        out += 2 * out_stride;
        u += picture->chroma_stride;
        v += picture->chroma_stride;
    }
}

void Color16DitherImage_C(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride)
{
    walk_row_pairs<uint16_t>(picture, out, out_stride, color_blocks16_C);
}

void Color32DitherImage_C(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride)
{
    walk_row_pairs<uint32_t>(picture, out, out_stride, color_blocks32_C);
}

void DitherImageToGray16_C(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride)
{
    walk_row_pairs<uint16_t>(picture, out, out_stride, blocks_of<uint16_t, gray_at<uint16_t>, &PixelTables::default_tables>);
}

void DitherImageToGray32_C(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride)
{
    walk_row_pairs<uint32_t>(picture, out, out_stride, blocks_of<uint32_t, gray_at<uint32_t>, &PixelTables::default_tables>);
}

// Whether `count` samples of u and of v all equal u0 and v0. In whole chunks without an
// early exit, so that the compiler can vectorise the inner loop.
static int run_is_constant(const uint8_t *u, const uint8_t *v, long count, uint8_t u0, uint8_t v0)
{
    for (long start = 0; start < count; start += 4096) {
        long end = start + 4096 < count ? start + 4096 : count;
        unsigned differs = 0;
        for (long i = start; i < end; i++)
            differs |= (unsigned)(u[i] ^ u0) | (unsigned)(v[i] ^ v0);
        if (differs)
            return 0;
    }
    return 1;
}

int chroma_is_constant(const YuvFrame *picture)
{
    long rows = chroma_height(*picture), length = chroma_width(*picture);
    if (rows == 0 || length == 0)
        return 1;
    if (picture->chroma_stride == length)  // rows without gaps: one run
        length *= rows, rows = 1;
    const uint8_t u0 = picture->u[0];
    const uint8_t v0 = picture->v[0];
    for (long row = 0; row < rows; row++) {
        const ptrdiff_t at = row * picture->chroma_stride;
        if (!run_is_constant(picture->u + at, picture->v + at, length, u0, v0))
            return 0;
    }
    return 1;
}

template <typename Pixel>
static void build_gray_table(uint8_t u, uint8_t v, Pixel table[256])
{
    Offsets o = offsets_for(u, v);
    for (int sample = 0; sample < 256; sample++)
        table[sample] = gray_at<Pixel>(pixel_tables.L_tab[sample], o);
}

void build_gray_table16(uint8_t u, uint8_t v, uint16_t table[256])
{
    build_gray_table(u, v, table);
}

void build_gray_table32(uint8_t u, uint8_t v, uint32_t table[256])
{
    build_gray_table(u, v, table);
}

int gray_offset_for_chroma(uint8_t u, uint8_t v, int (*fade)(int, int, int), int *offset)
{
    Offsets o = offsets_for(u, v);
    int clamped[256];
    for (int sample = 0; sample < 256; sample++) {
        int level = pixel_tables.L_tab[sample];
        int gray = fade(level + o.r, level + o.g, level + o.b);
        clamped[sample] = gray < 0 ? 0 : gray > 255 ? 255 : gray;
    }
    int d = clamped[128] - 128;
    for (int sample = 0; sample < 256; sample++) {
        int shifted = sample + d;
        if (clamped[sample] != (shifted < 0 ? 0 : shifted > 255 ? 255 : shifted))
            return 0;
    }
    *offset = d;
    return 1;
}

template <typename Pixel>
static void gray_by_table(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride)
{
    Pixel table[256];
    build_gray_table(picture->u[0], picture->v[0], table);
    const GrayRuns runs = gray_runs(picture, out_stride, sizeof(Pixel));
    for (long run = 0; run < runs.count; run++) {
        const uint8_t *y = picture->y + run * runs.luma_step;
        Pixel *pixels = (Pixel *)(out + run * runs.out_step);
        for (long i = 0; i < runs.length; i++)
            pixels[i] = table[y[i]];
    }
}

void gray_by_table16(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride)
{
    gray_by_table<uint16_t>(picture, out, out_stride);
}

void gray_by_table32(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride)
{
    gray_by_table<uint32_t>(picture, out, out_stride);
}

static void chroma_offsets_C(const uint8_t *u, const uint8_t *v, int16_t *r, int16_t *g,
                             int16_t *b)
{
    for (int i = 0; i < 16; i++) {
        Offsets o = offsets_for(u[i], v[i]);
        r[i] = (int16_t)o.r;
        g[i] = (int16_t)o.g;
        b[i] = (int16_t)o.b;
    }
}

const RenderVariant render_variant_C = {
    "C",
    {Color16DitherImage_C, Color32DitherImage_C, DitherImageToGray16_C, DitherImageToGray32_C},
    chroma_offsets_C,
};
