// Structural similarity (SSIM) of two 8-bit planes, the way the common video tools
// measure it: 8 x 8 windows whose corners lie on a 4-pixel grid, the mean over all windows.
#pragma once

#include <cstdint>

// Sums of one window (or one 4 x 4 block) of the two planes a and b.
struct SsimSums {
    uint32_t a;       // sum of a
    uint32_t b;       // sum of b
    uint32_t square;  // sum of a^2 + b^2
    uint32_t cross;   // sum of a * b
};

// SSIM of one 8 x 8 window from its sums.
double ssim_of_window(const SsimSums &sums);

// Mean SSIM over every 8 x 8 window of a width x height plane (rows without gaps), in
// row-major window order; 1 when the plane is too small to hold a window.
// Straightforward: every window summed on its own.
double ssim_plane_C(const unsigned char *a, const unsigned char *b, int width, int height);

// Entries of SsimSums that ssim_plane needs as scratch for a plane `width` samples wide.
int ssim_scratch_entries(int width);

// Sums of the `blocks` 4 x 4 blocks side by side at the start of a and b (rows `width`
// apart) into out[0 .. blocks - 1]: the reference, and a variant that must give the same.
typedef void (*ssim_block_row_fn)(const unsigned char *a, const unsigned char *b, int width,
                                  int blocks, SsimSums *out);
void ssim_block_row_C(const unsigned char *a, const unsigned char *b, int width, int blocks,
                      SsimSums *out);
void ssim_block_row_SSE2(const unsigned char *a, const unsigned char *b, int width, int blocks,
                         SsimSums *out);

// Adds to `total`, window by window from left to right, the SSIM of the `columns` windows
// whose upper blocks are upper[c], upper[c + 1] and lower blocks lower[c], lower[c + 1].
typedef double (*ssim_window_row_fn)(double total, const SsimSums *upper,
                                     const SsimSums *lower, int columns);
double ssim_window_row_C(double total, const SsimSums *upper, const SsimSums *lower,
                         int columns);
double ssim_window_row_SSE2(double total, const SsimSums *upper, const SsimSums *lower,
                            int columns);

struct SsimVariant {
    const char *name;
    ssim_block_row_fn block_row;
    ssim_window_row_fn window_row;
};

// Variants compiled into this build, reference first.
int available_ssim_variants(SsimVariant *list, int capacity);

// The variant ssim_plane uses, chosen once at start-up (the reference when the environment
// has TRIVISTA_REFERENCE=1).
extern SsimVariant ssim_kernels;

// The same value as ssim_plane_C, bit for bit, from 4 x 4 block sums that each window
// shares with its neighbours. `scratch` holds ssim_scratch_entries(width) entries.
double ssim_plane(const unsigned char *a, const unsigned char *b, int width, int height,
                  SsimSums *scratch);
