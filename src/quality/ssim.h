// Structural similarity (SSIM) of two planes, the way the common video tools measure it:
// 8 x 8 windows whose corners lie on a 4-pixel grid, the mean over all windows. Each plane's
// rows lie its own stride apart.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/kernel_choice.h"

// Sums of one window (or one 4 x 4 block) of the two planes a and b.
struct SsimSums {
    uint32_t a;       // sum of a
    uint32_t b;       // sum of b
    uint32_t square;  // sum of a^2 + b^2
    uint32_t cross;   // sum of a * b
};

// The stabilising constants (K1 L)^2 and (K2 L)^2, K1 = 0.01 and K2 = 0.03, for samples of
// at most L = largest_value, in the scaled integer form used with sums over 64 samples.
struct SsimConstants {
    int64_t c1;
    int64_t c2;
};
SsimConstants ssim_constants(int largest_value);

// SSIM of one 8 x 8 window from its sums.
double ssim_of_window(const SsimSums &sums, const SsimConstants &constants);

// Mean SSIM over every 8 x 8 window of a width x height plane, in row-major window order;
// 1 when the plane is too small to hold a window. Straightforward: every window summed on
// its own.
double ssim_plane_C(const unsigned char *a, ptrdiff_t a_stride, const unsigned char *b,
                    ptrdiff_t b_stride, int width, int height, int largest_value);

// Bytes of scratch that ssim_planes need for a plane `width` samples wide, of either size.
size_t ssim_scratch_bytes(int width);

// Sums of the `blocks` 4 x 4 blocks side by side at the start of a and b into
// out[0 .. blocks - 1]: the reference, and a variant that must give the same.
typedef void (*ssim_block_row_fn)(const unsigned char *a, ptrdiff_t a_stride,
                                  const unsigned char *b, ptrdiff_t b_stride, int blocks,
                                  SsimSums *out);
void ssim_block_row_C(const unsigned char *a, ptrdiff_t a_stride, const unsigned char *b,
                      ptrdiff_t b_stride, int blocks, SsimSums *out);
void ssim_block_row_SSE2(const unsigned char *a, ptrdiff_t a_stride, const unsigned char *b,
                         ptrdiff_t b_stride, int blocks, SsimSums *out);

// Adds to `total`, window by window from left to right, the SSIM of the `columns` windows
// whose upper blocks are upper[c], upper[c + 1] and lower blocks lower[c], lower[c + 1].
typedef double (*ssim_window_row_fn)(double total, const SsimSums *upper,
                                     const SsimSums *lower, int columns,
                                     const SsimConstants &constants);
double ssim_window_row_C(double total, const SsimSums *upper, const SsimSums *lower,
                         int columns, const SsimConstants &constants);
double ssim_window_row_SSE2(double total, const SsimSums *upper, const SsimSums *lower,
                            int columns, const SsimConstants &constants);

struct SsimVariant {
    const char *name;
    ssim_block_row_fn block_row;
    ssim_window_row_fn window_row;
};

// Variants compiled into this build and supported by this processor, reference first.
int available_ssim_variants(SsimVariant *list, int capacity);

// The variant ssim_plane uses is quality_kernels.ssim (quality_kernels.h).

// The same value as ssim_plane_C, bit for bit, from 4 x 4 block sums that each window
// shares with its neighbours. `scratch` holds ssim_scratch_bytes(width) bytes.
typedef double (*ssim_plane_fn)(const unsigned char *a, ptrdiff_t a_stride,
                                const unsigned char *b, ptrdiff_t b_stride, int width,
                                int height, int largest_value, void *scratch);
double ssim_plane(const unsigned char *a, ptrdiff_t a_stride, const unsigned char *b,
                  ptrdiff_t b_stride, int width, int height, int largest_value, void *scratch);

// Two-byte samples (little-endian words) of up to 16 bits: sums that need 64 bits.
struct SsimSumsWide {
    int64_t a, b, square, cross;
};

// The same mean for two-byte samples, with the constants scaled to largest_value, each
// window summed on its own. On samples below 256 it gives ssim_plane_C's value bit for bit.
double ssim_plane_wide_C(const unsigned char *a, ptrdiff_t a_stride, const unsigned char *b,
                         ptrdiff_t b_stride, int width, int height, int largest_value);

// The same value bit for bit from 4 x 4 block sums shared by neighbouring windows;
// `scratch` holds ssim_scratch_bytes(width) bytes.
double ssim_plane_wide(const unsigned char *a, ptrdiff_t a_stride, const unsigned char *b,
                       ptrdiff_t b_stride, int width, int height, int largest_value,
                       void *scratch);

// What callers use: kernel_for(ssim_planes, picture).
constexpr SampleSizes<ssim_plane_fn> ssim_planes = {ssim_plane, ssim_plane_wide};
