#include "color_tables.h"

#include <cstdlib>

#include "common/die.h"

PixelTables pixel_tables = {{}, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr, nullptr, nullptr, {},
                             default_colour_conversion, {}, 2};

// The doubles of 0.419 / 0.299, -(0.299 / 0.419), -(0.114 / 0.331) and 0.587 / 0.331.
static const double cr_to_red = 1.4013377926421404;
static const double cr_to_green = -0.7136038186157518;
static const double cb_to_green = -0.34441087613293053;
static const double cb_to_blue = 1.7734138972809665;

int number_of_bits_set(uint32_t mask)
{
    int count = 0;
    for (; mask != 0; mask >>= 1)
        count += mask & 1;
    return count;
}

int free_bits_at_bottom(uint32_t mask)
{
    if (mask == 0)
        return 32;
    int count = 0;
    for (; (mask & 1) == 0; mask >>= 1)
        count++;
    return count;
}

// The top bits of an 8-bit level at the position of `mask`. A mask wider than 8 bits
// gets the level in its top 8 bits; an empty mask gets nothing.
static uint32_t channel_bits(uint32_t level, uint32_t mask)
{
    int bits = number_of_bits_set(mask);
    int shift = free_bits_at_bottom(mask);
    if (bits == 0)
        return 0;
    uint32_t value = bits <= 8 ? level >> (8 - bits) : level << (bits - 8);
    return shift < 32 ? value << shift : 0;
}

int32_t channel_entry(uint32_t level, uint32_t mask, int thirty_two_bit)
{
    uint32_t entry = channel_bits(level, mask);
    if (!thirty_two_bit)
        entry |= entry << 16;
    return (int32_t)entry;
}

static void fill_channel_table(int32_t *block, uint32_t mask, int thirty_two_bit)
{
    int32_t *level0 = block + 256;
    for (uint32_t i = 0; i < 256; i++)
        level0[i] = channel_entry(i, mask, thirty_two_bit);
    // Levels outside 0..255 clamp through the table itself.
    for (int i = 0; i < 256; i++) {
        block[i] = level0[0];
        level0[256 + i] = level0[255];
    }
}

void InitColorDither(int thirty_two_bit)
{
    uint32_t red_mask = (uint32_t)pixel_tables.wpixel[0];
    uint32_t green_mask = (uint32_t)pixel_tables.wpixel[1];
    uint32_t blue_mask = (uint32_t)pixel_tables.wpixel[2];

    // Built once in a run; a second build (tests switching layouts) replaces the first.
    free(pixel_tables.L_tab);
    free(pixel_tables.Cr_r_tab);
    free(pixel_tables.Cr_g_tab);
    free(pixel_tables.Cb_g_tab);
    free(pixel_tables.Cb_b_tab);
    free(pixel_tables.r_2_pix_alloc);
    free(pixel_tables.g_2_pix_alloc);
    free(pixel_tables.b_2_pix_alloc);

    pixel_tables.L_tab = (int32_t *)malloc(256 * sizeof(int32_t));
    pixel_tables.Cr_r_tab = (int32_t *)malloc(256 * sizeof(int32_t));
    pixel_tables.Cr_g_tab = (int32_t *)malloc(256 * sizeof(int32_t));
    pixel_tables.Cb_g_tab = (int32_t *)malloc(256 * sizeof(int32_t));
    pixel_tables.Cb_b_tab = (int32_t *)malloc(256 * sizeof(int32_t));
    pixel_tables.r_2_pix_alloc = (int32_t *)malloc(768 * sizeof(int32_t));
    pixel_tables.g_2_pix_alloc = (int32_t *)malloc(768 * sizeof(int32_t));
    pixel_tables.b_2_pix_alloc = (int32_t *)malloc(768 * sizeof(int32_t));
    if (!pixel_tables.L_tab || !pixel_tables.Cr_r_tab || !pixel_tables.Cr_g_tab || !pixel_tables.Cb_g_tab || !pixel_tables.Cb_b_tab || !pixel_tables.r_2_pix_alloc ||
        !pixel_tables.g_2_pix_alloc || !pixel_tables.b_2_pix_alloc)
        die(1, "Could not get enough memory in InitColorDither\n");

    for (int i = 0; i < 256; i++) {
        int k = i - 128;
        pixel_tables.L_tab[i] = i;
        // Conversion from double truncates toward zero, as the offsets must.
        pixel_tables.Cr_r_tab[i] = (int32_t)(k * cr_to_red);
        pixel_tables.Cr_g_tab[i] = (int32_t)(k * cr_to_green);
        pixel_tables.Cb_g_tab[i] = (int32_t)(k * cb_to_green);
        pixel_tables.Cb_b_tab[i] = (int32_t)(k * cb_to_blue);
    }

    fill_channel_table(pixel_tables.r_2_pix_alloc, red_mask, thirty_two_bit);
    fill_channel_table(pixel_tables.g_2_pix_alloc, green_mask, thirty_two_bit);
    fill_channel_table(pixel_tables.b_2_pix_alloc, blue_mask, thirty_two_bit);
    pixel_tables.r_2_pix = pixel_tables.r_2_pix_alloc + 256;
    pixel_tables.g_2_pix = pixel_tables.g_2_pix_alloc + 256;
    pixel_tables.b_2_pix = pixel_tables.b_2_pix_alloc + 256;
    pixel_tables.table_pixel_bytes = thirty_two_bit ? 4 : 2;

    pixel_tables.default_tables = ConversionTables{pixel_tables.L_tab,   pixel_tables.Cr_r_tab, pixel_tables.Cr_g_tab, pixel_tables.Cb_g_tab, pixel_tables.Cb_b_tab,
                                      pixel_tables.r_2_pix, pixel_tables.g_2_pix,  pixel_tables.b_2_pix,  0};
    if (pixel_tables.colour_conversion.matrix == default_colour_conversion.matrix &&
        pixel_tables.colour_conversion.range == default_colour_conversion.range)
        pixel_tables.colour_tables = pixel_tables.default_tables;
    else
        build_conversion_tables(pixel_tables.colour_conversion, thirty_two_bit);
}
