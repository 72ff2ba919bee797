// Chooses the renderer variants once per table build: the fastest one the processor
// runs, after checking its arithmetic and the channel layout against the tables.
#include <cstring>

#include "color_tables.h"
#include "convert_kernels.h"
#include "common/kernel_choice.h"


int available_render_variants(const RenderVariant **list, int capacity)
{
    int count = 0;
    if (count < capacity)
        list[count++] = &render_variant_C;
#if defined(TRIVISTA_X86_KERNELS)
    if (__builtin_cpu_supports("sse2") && count < capacity)
        list[count++] = &render_variant_SSE2;
    if (__builtin_cpu_supports("avx2") && count < capacity)
        list[count++] = &render_variant_AVX2;
#endif
    return count;
}

// The shifts that put the top bits of an 8-bit level where the mask lies, the same
// rule InitColorDither follows.
static ChannelShift shift_for_mask(uint32_t mask)
{
    int bits = number_of_bits_set(mask);
    int bottom = free_bits_at_bottom(mask);
    if (bits == 0)
        return ChannelShift{0, 64};
    if (bits <= 8)
        return ChannelShift{8 - bits, bottom};
    return ChannelShift{0, bits - 8 + bottom};
}

static uint32_t shifted(uint32_t level, ChannelShift shift, int width)
{
    uint32_t value = level >> shift.right;
    if (shift.left >= width)
        return 0;
    value <<= shift.left;
    return width == 16 ? value & 0xFFFF : value;
}

// True when every entry of the table, levels -256..511, is the shifted clamped level.
static int shifts_match(const int32_t *table, ChannelShift shift, int width)
{
    for (int level = -256; level < 512; level++) {
        int clamped = level < 0 ? 0 : level > 255 ? 255 : level;
        uint32_t entry = (uint32_t)table[level];
        if (width == 16)
            entry &= 0xFFFF;
        if (entry != shifted((uint32_t)clamped, shift, width))
            return 0;
    }
    return 1;
}

// Which of the whole-byte orders the masks are, if any.
static int byte_order_of_masks()
{
    const uint32_t red = (uint32_t)pixel_tables.wpixel[0], green = (uint32_t)pixel_tables.wpixel[1],
                   blue = (uint32_t)pixel_tables.wpixel[2];
    if (green == 0x0000FF00 && red == 0x00FF0000 && blue == 0x000000FF)
        return byte_order_xrgb;
    if (green == 0x0000FF00 && red == 0x000000FF && blue == 0x00FF0000)
        return byte_order_xbgr;
    if (green == 0x00FF0000 && red == 0xFF000000 && blue == 0x0000FF00)
        return byte_order_rgbx;
    if (green == 0x00FF0000 && red == 0x0000FF00 && blue == 0xFF000000)
        return byte_order_bgrx;
    return byte_order_none;
}

// True when the colour tables hold, entry for entry, what the default tables hold.
static int colour_tables_are_default()
{
    const ConversionTables &c = pixel_tables.colour_tables, &d = pixel_tables.default_tables;
    if (c.fraction_bits != d.fraction_bits)
        return 0;
    for (int i = 0; i < 256; i++)
        if (c.luma[i] != d.luma[i] || c.cr_red[i] != d.cr_red[i] ||
            c.cr_green[i] != d.cr_green[i] || c.cb_green[i] != d.cb_green[i] ||
            c.cb_blue[i] != d.cb_blue[i])
            return 0;
    for (int level = -256; level < 512; level++)
        if (c.red[level] != d.red[level] || c.green[level] != d.green[level] ||
            c.blue[level] != d.blue[level])
            return 0;
    return 1;
}

static void work_out_layout()
{
    const int32_t *tables[3] = {pixel_tables.r_2_pix, pixel_tables.g_2_pix, pixel_tables.b_2_pix};
    FastLayout layout;
    memset(&layout, 0, sizeof layout);
    layout.shifts_match16 = 1;
    layout.shifts_match32 = 1;
    for (int c = 0; c < 3; c++) {
        ChannelShift shift = shift_for_mask((uint32_t)pixel_tables.wpixel[c]);
        layout.channel[c] = shift;
        layout.shifts_match16 &= shifts_match(tables[c], shift, 16);
        layout.shifts_match32 &= shifts_match(tables[c], shift, 32);
    }
    // Storing whole bytes is the shifts by multiples of 8, so it is exact where they are.
    layout.byte_order32 = layout.shifts_match32 ? byte_order_of_masks() : byte_order_none;
    layout.colour_tables_default = colour_tables_are_default();
    convert_kernels.fast_layout = layout;
}

// True when the variant's chroma arithmetic gives every offset of the chroma tables.
static int chroma_offsets_match(const RenderVariant *variant)
{
    uint8_t u[16], v[16], neutral[16];
    int16_t r[16], g[16], b[16];
    memset(neutral, 128, sizeof neutral);
    for (int start = 0; start < 256; start += 16) {
        for (int i = 0; i < 16; i++)
            u[i] = v[i] = (uint8_t)(start + i);
        // Green is the sum of a Cr and a Cb share: check each with the other at zero.
        variant->chroma_offsets(neutral, v, r, g, b);
        for (int i = 0; i < 16; i++)
            if (r[i] != pixel_tables.Cr_r_tab[v[i]] || g[i] != pixel_tables.Cr_g_tab[v[i]] + pixel_tables.Cb_g_tab[128])
                return 0;
        variant->chroma_offsets(u, neutral, r, g, b);
        for (int i = 0; i < 16; i++)
            if (b[i] != pixel_tables.Cb_b_tab[u[i]] || g[i] != pixel_tables.Cr_g_tab[128] + pixel_tables.Cb_g_tab[u[i]])
                return 0;
    }
    return 1;
}

void select_render_kernels()
{
    work_out_layout();
    const RenderVariant *variants[4];
    int count = available_render_variants(variants, 4);
    convert_kernels.render = choose_kernel(variants, count, chroma_offsets_match)->kernels;
    choose_renderers_for_tables();
}
