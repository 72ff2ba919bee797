// Difference picture and luma PSNR of two planes.
#pragma once

#include <cstddef>
#include <cstdint>

// Planes are `width` x `height` samples whose rows lie `stride` bytes apart; the planes of
// one call share the stride. A sample takes one byte; `largest_value` is the largest it
// can hold, the peak of the PSNR.

// Writes first - second (mod 256) into out and returns the PSNR of the pair in dB:
// +infinity for identical planes, 0 when every sample differs by largest_value.
double difference(const unsigned char *first, const unsigned char *second, unsigned char *out,
                  int width, int height, ptrdiff_t stride, int largest_value);

// Identical planes (infinite PSNR) are shown and averaged as 100 dB.
double cap_psnr(double value);

// The kernel behind `difference`: writes first - second (mod 256) into out and returns
// the exact sum of the squared differences; the bytes between rows are left alone. Every
// fast variant must return the same sum, so the PSNR it leads to is the same double.
typedef uint64_t (*difference_sum_fn)(const unsigned char *first, const unsigned char *second,
                                      unsigned char *out, int width, int height,
                                      ptrdiff_t stride, int largest_value);

// The plain reference kernel.
uint64_t difference_sum_C(const unsigned char *first, const unsigned char *second,
                          unsigned char *out, int width, int height, ptrdiff_t stride,
                          int largest_value);

// The kernel `difference` calls; the reference until select_quality_kernels chooses.
extern difference_sum_fn difference_sum;

// PSNR in dB of `samples` samples whose squared differences add up to `sum`:
// 10 log10(largest_value^2 / (sum / samples)), +infinity when sum is 0 (no division by 0).
double psnr_of_sum(uint64_t sum, int64_t samples, int largest_value);

// Two-byte samples (bit depths 9 to 16: little-endian words, as in the files). The sums are
// those of the native samples, the PSNR's peak `largest_value` = 2^depth - 1. The difference
// picture keeps one byte a sample: (first - second) shifted right by depth - 8 (arithmetic,
// so that a pair scaled up from 8 bits shows its 8-bit difference), mod 256, in rows
// stride / 2 bytes apart.
uint64_t difference_sum_wide_C(const unsigned char *first, const unsigned char *second,
                               unsigned char *out, int width, int height, ptrdiff_t stride,
                               int largest_value);
