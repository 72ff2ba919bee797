// Lookup tables that turn YUV samples into TrueColor pixels, built once for the
// display's channel masks and the conversion the pictures are shown with.
#pragma once

#include <cstdint>

#include "common/colour_conversion.h"

// The tables of one conversion, as the renderers walk them. Luma levels and chroma offsets
// are in 1/2^fraction_bits of a channel level; a channel table takes their sum, rounds it
// to a level, clamps that to 0..255 and gives the channel's bits in the pixel word.
struct ConversionTables {
    const int32_t *luma;
    const int32_t *cr_red, *cr_green, *cb_green, *cb_blue;
    const int32_t *red, *green, *blue;
    int fraction_bits;
};

// Everything the renderers look pixels up in, one record for the run.
struct PixelTables {
    // Red, green and blue masks of the visual, in this order; set by the display before
    // InitColorDither runs.
    unsigned long wpixel[3];

    int32_t *L_tab;     // luma level per luma sample (identity)
    int32_t *Cr_r_tab;  // red offset per Cr (V) sample
    int32_t *Cr_g_tab;  // Cr's share of the green offset
    int32_t *Cb_g_tab;  // Cb's share of the green offset
    int32_t *Cb_b_tab;  // blue offset per Cb (U) sample

    // Channel level -256..511 -> that channel's bits in the pixel word, clamped to 0..255.
    // Each points 256 entries into its 768-entry block, so negative indexes are valid.
    int32_t *r_2_pix;
    int32_t *g_2_pix;
    int32_t *b_2_pix;
    int32_t *r_2_pix_alloc;
    int32_t *g_2_pix_alloc;
    int32_t *b_2_pix_alloc;

    // The tables above, which the gray renderers (difference pictures) always use: they are
    // no video, and their small differences must not vanish below a limited range's black.
    ConversionTables default_tables;

    // The conversion the next InitColorDither builds the colour renderers' tables for.
    ColourConversion colour_conversion;
    // What the colour renderers use: default_tables for the default conversion, else tables
    // of that conversion (in eighths of a level, so that they round as the formula does).
    ConversionTables colour_tables;

    int table_pixel_bytes;  // 2 or 4: the pixel width of the last InitColorDither
};
extern PixelTables pixel_tables;

// A channel's table entry for a clamped level 0..255: its bits in the pixel word, in both
// 16-bit halves for 16-bit pixels.
int32_t channel_entry(uint32_t level, uint32_t mask, int thirty_two_bit);

// Fills colour_tables for a conversion other than the default one.
void build_conversion_tables(ColourConversion conversion, int thirty_two_bit);

// Builds all tables from wpixel and colour_conversion. thirty_two_bit: nonzero for 32-bit pixels; zero for
// 16-bit pixels, whose channel entries carry their value in both 16-bit halves.
void InitColorDither(int thirty_two_bit);

// Chooses the renderer kernels for the tables just built: after InitColorDither, before the
// first picture. TRIVISTA_REFERENCE=1 in the environment forces the reference kernels.
void select_render_kernels();

int number_of_bits_set(uint32_t mask);
int free_bits_at_bottom(uint32_t mask);  // 32 for an empty mask
