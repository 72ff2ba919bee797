// Lookup tables that turn YUV samples into TrueColor pixels, built once for the
// display's channel masks.
#pragma once

#include <cstdint>

// Red, green and blue masks of the visual, in this order; set by the display before
// InitColorDither runs.
extern unsigned long wpixel[3];

extern int32_t *L_tab;     // luma level per luma sample (identity)
extern int32_t *Cr_r_tab;  // red offset per Cr (V) sample
extern int32_t *Cr_g_tab;  // Cr's share of the green offset
extern int32_t *Cb_g_tab;  // Cb's share of the green offset
extern int32_t *Cb_b_tab;  // blue offset per Cb (U) sample

// Channel level -256..511 -> that channel's bits in the pixel word, clamped to 0..255.
// Each points 256 entries into its 768-entry block, so negative indexes are valid.
extern int32_t *r_2_pix;
extern int32_t *g_2_pix;
extern int32_t *b_2_pix;
extern int32_t *r_2_pix_alloc;
extern int32_t *g_2_pix_alloc;
extern int32_t *b_2_pix_alloc;

// Builds all tables from wpixel. thirty_two_bit: nonzero for 32-bit pixels; zero for
// 16-bit pixels, whose channel entries carry their value in both 16-bit halves.
void InitColorDither(int thirty_two_bit);

extern int table_pixel_bytes;  // 2 or 4: the pixel width of the last InitColorDither

// Chooses the renderer kernels for the tables just built: after InitColorDither, before the
// first picture. TRIVISTA_REFERENCE=1 in the environment forces the reference kernels.
void select_render_kernels();

int number_of_bits_set(uint32_t mask);
int free_bits_at_bottom(uint32_t mask);  // 32 for an empty mask
