// Difference picture and luma PSNR of two planes.
#pragma once

#include <cstdint>

// Writes first - second (mod 256) into out and returns the PSNR of the pair in dB:
// +infinity for identical planes, 0 when every sample differs by 255.
double difference(const unsigned char *first, const unsigned char *second,
                  unsigned char *out, int length);

// Identical planes (infinite PSNR) are shown and averaged as 100 dB.
double cap_psnr(double value);

// Running totals of the capped PSNR of pairs 1 to 3 in the current pass (index 0 unused).
extern double psnr_total[4];

// The kernel behind `difference`: writes first - second (mod 256) into out and returns
// the exact sum of the squared differences. Every fast variant must return the same sum,
// so the PSNR it leads to is the same double.
typedef uint64_t (*difference_sum_fn)(const unsigned char *first, const unsigned char *second,
                                      unsigned char *out, int length);

// The plain reference kernel.
uint64_t difference_sum_C(const unsigned char *first, const unsigned char *second,
                          unsigned char *out, int length);

// The kernel `difference` calls; the reference unless a faster variant was chosen at start-up.
extern difference_sum_fn difference_sum;

// PSNR in dB of `samples` 8-bit samples whose squared differences add up to `sum`:
// 10 log10(255^2 / (sum / samples)), +infinity when sum is 0 (no division by zero).
double psnr_of_sum(uint64_t sum, int64_t samples);
