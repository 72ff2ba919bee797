// Difference picture and luma PSNR of two planes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/kernel_choice.h"

// Planes are `width` x `height` samples; each plane's rows lie its own stride apart (the
// inputs' and the output's may differ). `largest_value` is the largest a sample can hold,
// the peak of the PSNR.

// Identical planes (infinite PSNR) are shown and averaged as 100 dB.
double cap_psnr(double value);

// The difference kernel: writes first - second (mod 256) into out and returns the exact
// sum of the squared differences; the bytes between rows are left alone. Every fast
// variant must return the same sum, so the PSNR it leads to is the same double. A sample
// takes one byte.
typedef uint64_t (*difference_sum_fn)(const unsigned char *first, ptrdiff_t first_stride,
                                      const unsigned char *second, ptrdiff_t second_stride,
                                      unsigned char *out, ptrdiff_t out_stride, int width,
                                      int height, int largest_value);

// The plain reference kernel.
uint64_t difference_sum_C(const unsigned char *first, ptrdiff_t first_stride,
                          const unsigned char *second, ptrdiff_t second_stride,
                          unsigned char *out, ptrdiff_t out_stride, int width, int height,
                          int largest_value);

// The kernels for one- and two-byte samples are quality_kernels.difference
// (quality_kernels.h); callers take theirs with kernel_for(quality_kernels.difference, picture).

// PSNR in dB of `samples` samples whose squared differences add up to `sum`:
// 10 log10(largest_value^2 / (sum / samples)), +infinity when sum is 0 (no division by 0).
double psnr_of_sum(uint64_t sum, int64_t samples, int largest_value);

// Two-byte samples (bit depths 9 to 16: little-endian words, as in the files). The sums are
// those of the native samples, the PSNR's peak `largest_value` = 2^depth - 1. The difference
// picture keeps one byte a sample: (first - second) shifted right by depth - 8 (arithmetic,
// so that a pair scaled up from 8 bits shows its 8-bit difference), mod 256.
uint64_t difference_sum_wide_C(const unsigned char *first, ptrdiff_t first_stride,
                               const unsigned char *second, ptrdiff_t second_stride,
                               unsigned char *out, ptrdiff_t out_stride, int width, int height,
                               int largest_value);
