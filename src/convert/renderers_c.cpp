// Reference renderers: the table walk of the conversion, one 2 x 2 block at a time.
#include "color_tables.h"
#include "render_kernels.h"
#include "renderers.h"
#include "settings.h"

int fadetogray16(int r, int g, int b)
{
    return (int)(0.3 * r + 0.59 * g + 0.11 * b);  // truncated toward zero
}

int fadetogray32(int r, int g, int b)
{
    return (int)(0.3 * r + 0.59 * g + 0.11 * b);
}

static inline uint32_t color_pixel(int level, int r, int g, int b)
{
    return (uint32_t)(r_2_pix[level + r] | g_2_pix[level + g] | b_2_pix[level + b]);
}

static inline uint32_t gray_pixel(int gray)
{
    return (uint32_t)(r_2_pix[gray] | g_2_pix[gray] | b_2_pix[gray]);
}

void color_blocks16_C(const uint8_t *y_upper, const uint8_t *y_lower, const uint8_t *u,
                      const uint8_t *v, uint16_t *upper, uint16_t *lower, int blocks)
{
    for (int x = 0; x < blocks; x++) {
        int cr = *v++;
        int cb = *u++;
        int r = Cr_r_tab[cr];
        int g = Cr_g_tab[cr] + Cb_g_tab[cb];
        int b = Cb_b_tab[cb];
        *upper++ = (uint16_t)color_pixel(L_tab[*y_upper++], r, g, b);
        *upper++ = (uint16_t)color_pixel(L_tab[*y_upper++], r, g, b);
        *lower++ = (uint16_t)color_pixel(L_tab[*y_lower++], r, g, b);
        *lower++ = (uint16_t)color_pixel(L_tab[*y_lower++], r, g, b);
    }
}

void color_blocks32_C(const uint8_t *y_upper, const uint8_t *y_lower, const uint8_t *u,
                      const uint8_t *v, uint32_t *upper, uint32_t *lower, int blocks)
{
    for (int x = 0; x < blocks; x++) {
        int cr = *v++;
        int cb = *u++;
        int r = Cr_r_tab[cr];
        int g = Cr_g_tab[cr] + Cb_g_tab[cb];
        int b = Cb_b_tab[cb];
        *upper++ = color_pixel(L_tab[*y_upper++], r, g, b);
        *upper++ = color_pixel(L_tab[*y_upper++], r, g, b);
        *lower++ = color_pixel(L_tab[*y_lower++], r, g, b);
        *lower++ = color_pixel(L_tab[*y_lower++], r, g, b);
    }
}

static void gray_blocks16(const uint8_t *y_upper, const uint8_t *y_lower, const uint8_t *u,
                          const uint8_t *v, uint16_t *upper, uint16_t *lower, int blocks)
{
    for (int x = 0; x < blocks; x++) {
        int cr = *v++;
        int cb = *u++;
        int r = Cr_r_tab[cr];
        int g = Cr_g_tab[cr] + Cb_g_tab[cb];
        int b = Cb_b_tab[cb];
        for (int i = 0; i < 2; i++) {
            int level = L_tab[*y_upper++];
            *upper++ = (uint16_t)gray_pixel(fadetogray16(level + r, level + g, level + b));
        }
        for (int i = 0; i < 2; i++) {
            int level = L_tab[*y_lower++];
            *lower++ = (uint16_t)gray_pixel(fadetogray16(level + r, level + g, level + b));
        }
    }
}

static void gray_blocks32(const uint8_t *y_upper, const uint8_t *y_lower, const uint8_t *u,
                          const uint8_t *v, uint32_t *upper, uint32_t *lower, int blocks)
{
    for (int x = 0; x < blocks; x++) {
        int cr = *v++;
        int cb = *u++;
        int r = Cr_r_tab[cr];
        int g = Cr_g_tab[cr] + Cb_g_tab[cb];
        int b = Cb_b_tab[cb];
        for (int i = 0; i < 2; i++) {
            int level = L_tab[*y_upper++];
            *upper++ = gray_pixel(fadetogray32(level + r, level + g, level + b));
        }
        for (int i = 0; i < 2; i++) {
            int level = L_tab[*y_lower++];
            *lower++ = gray_pixel(fadetogray32(level + r, level + g, level + b));
        }
    }
}

// The traversal shared by the four renderers: row pairs, half blocks per pair; each
// chroma row serves one row pair. Odd sizes never get here (the picture size is even).
template <typename Pixel, typename Blocks>
static void walk_row_pairs(const YuvFrame *picture, unsigned char *out, Blocks blocks)
{
    const int width = coded_picture_width;
    const int half = width / 2;
    const uint8_t *y = picture->y;
    const uint8_t *u = picture->u;
    const uint8_t *v = picture->v;
    Pixel *pixels = (Pixel *)out;
    for (int row = 0; row + 1 < coded_picture_height; row += 2) {
        blocks(y, y + 2 * half, u, v, pixels, pixels + 2 * half, half);
        y += 4 * half;
        pixels += 4 * half;
        u += half;
        v += half;
    }
}

void Color16DitherImage_C(const YuvFrame *picture, unsigned char *out)
{
    walk_row_pairs<uint16_t>(picture, out, color_blocks16_C);
}

void Color32DitherImage_C(const YuvFrame *picture, unsigned char *out)
{
    walk_row_pairs<uint32_t>(picture, out, color_blocks32_C);
}

void DitherImageToGray16_C(const YuvFrame *picture, unsigned char *out)
{
    walk_row_pairs<uint16_t>(picture, out, gray_blocks16);
}

void DitherImageToGray32_C(const YuvFrame *picture, unsigned char *out)
{
    walk_row_pairs<uint32_t>(picture, out, gray_blocks32);
}

int chroma_is_constant(const YuvFrame *picture)
{
    const long samples = (long)(coded_picture_width / 2) * (coded_picture_height / 2);
    if (samples == 0)
        return 1;
    const uint8_t u0 = picture->u[0];
    const uint8_t v0 = picture->v[0];
    // Whole chunks without an early exit, so the compiler can vectorise the inner loop.
    for (long start = 0; start < samples; start += 4096) {
        long end = start + 4096 < samples ? start + 4096 : samples;
        unsigned differs = 0;
        for (long i = start; i < end; i++)
            differs |= (unsigned)(picture->u[i] ^ u0) | (unsigned)(picture->v[i] ^ v0);
        if (differs)
            return 0;
    }
    return 1;
}

void build_gray_table16(uint8_t u, uint8_t v, uint16_t table[256])
{
    int r = Cr_r_tab[v];
    int g = Cr_g_tab[v] + Cb_g_tab[u];
    int b = Cb_b_tab[u];
    for (int sample = 0; sample < 256; sample++) {
        int level = L_tab[sample];
        table[sample] = (uint16_t)gray_pixel(fadetogray16(level + r, level + g, level + b));
    }
}

void build_gray_table32(uint8_t u, uint8_t v, uint32_t table[256])
{
    int r = Cr_r_tab[v];
    int g = Cr_g_tab[v] + Cb_g_tab[u];
    int b = Cb_b_tab[u];
    for (int sample = 0; sample < 256; sample++) {
        int level = L_tab[sample];
        table[sample] = gray_pixel(fadetogray32(level + r, level + g, level + b));
    }
}

int gray_offset_for_chroma(uint8_t u, uint8_t v, int (*fade)(int, int, int), int *offset)
{
    int r = Cr_r_tab[v];
    int g = Cr_g_tab[v] + Cb_g_tab[u];
    int b = Cb_b_tab[u];
    int clamped[256];
    for (int sample = 0; sample < 256; sample++) {
        int level = L_tab[sample];
        int gray = fade(level + r, level + g, level + b);
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

void gray_by_table16(const YuvFrame *picture, unsigned char *out, long first)
{
    uint16_t table[256];
    build_gray_table16(picture->u[0], picture->v[0], table);
    const long count = (long)coded_picture_width * (coded_picture_height & ~1);
    const uint8_t *y = picture->y;
    uint16_t *pixels = (uint16_t *)out;
    for (long i = first; i < count; i++)
        pixels[i] = table[y[i]];
}

void gray_by_table32(const YuvFrame *picture, unsigned char *out, long first)
{
    uint32_t table[256];
    build_gray_table32(picture->u[0], picture->v[0], table);
    const long count = (long)coded_picture_width * (coded_picture_height & ~1);
    const uint8_t *y = picture->y;
    uint32_t *pixels = (uint32_t *)out;
    for (long i = first; i < count; i++)
        pixels[i] = table[y[i]];
}

static void chroma_offsets_C(const uint8_t *u, const uint8_t *v, int16_t *r, int16_t *g,
                             int16_t *b)
{
    for (int i = 0; i < 16; i++) {
        r[i] = (int16_t)Cr_r_tab[v[i]];
        g[i] = (int16_t)(Cr_g_tab[v[i]] + Cb_g_tab[u[i]]);
        b[i] = (int16_t)Cb_b_tab[u[i]];
    }
}

const RenderVariant render_variant_C = {
    "C",
    {Color16DitherImage_C, Color32DitherImage_C, DitherImageToGray16_C, DitherImageToGray32_C},
    chroma_offsets_C,
};
