// Fast variants of the difference kernel; each returns exactly the reference sum.
#pragma once

#include "difference.h"

// Steps between emptying the 32-bit lanes of squares into 64-bit ones: each lane gains at
// most 2 x 2 x 255^2 a step, so they are emptied well before they could wrap.
const int steps_per_flush = 4096;

// Each variant works on one run of `length` samples; a kernel hands it the whole plane at
// once when the rows have no gaps, as most planes do, and row by row otherwise.
typedef uint64_t (*difference_run_fn)(const unsigned char *first, const unsigned char *second,
                                      unsigned char *out, ptrdiff_t length);
uint64_t difference_run_C(const unsigned char *first, const unsigned char *second,
                          unsigned char *out, ptrdiff_t length);

inline uint64_t sum_of_runs(difference_run_fn run, const unsigned char *first,
                            ptrdiff_t first_stride, const unsigned char *second,
                            ptrdiff_t second_stride, unsigned char *out, ptrdiff_t out_stride,
                            int width, int height)
{
    if (width <= 0 || height <= 0)
        return 0;
    if (first_stride == width && second_stride == width && out_stride == width)
        return run(first, second, out, (ptrdiff_t)width * height);
    uint64_t sum = 0;
    for (int row = 0; row < height; row++) {
        sum += run(first, second, out, width);
        first += first_stride, second += second_stride, out += out_stride;
    }
    return sum;
}

// One-byte samples: neither variant needs the largest value.
uint64_t difference_sum_SSE2(const unsigned char *first, ptrdiff_t first_stride,
                             const unsigned char *second, ptrdiff_t second_stride,
                             unsigned char *out, ptrdiff_t out_stride, int width, int height,
                             int largest_value);
uint64_t difference_sum_AVX2(const unsigned char *first, ptrdiff_t first_stride,
                             const unsigned char *second, ptrdiff_t second_stride,
                             unsigned char *out, ptrdiff_t out_stride, int width, int height,
                             int largest_value);

struct DifferenceVariant {
    const char *name;
    difference_sum_fn sum;
};

// Variants compiled into this build and supported by this processor, reference first.
int available_difference_variants(DifferenceVariant *list, int capacity);

// Two-byte samples: runs of `length` samples (2 x length bytes in, length bytes out), the
// difference picture shifted right by `shift` = depth - 8.
typedef uint64_t (*difference_wide_run_fn)(const unsigned char *first,
                                           const unsigned char *second, unsigned char *out,
                                           ptrdiff_t length, int shift);
uint64_t difference_run_wide_C(const unsigned char *first, const unsigned char *second,
                               unsigned char *out, ptrdiff_t length, int shift);

inline uint64_t sum_of_wide_runs(difference_wide_run_fn run, const unsigned char *first,
                                 ptrdiff_t first_stride, const unsigned char *second,
                                 ptrdiff_t second_stride, unsigned char *out,
                                 ptrdiff_t out_stride, int width, int height, int largest_value)
{
    if (width <= 0 || height <= 0)
        return 0;
    int depth = 9;
    while (depth < 16 && (1 << depth) - 1 < largest_value)
        depth++;
    const ptrdiff_t row_bytes = 2 * (ptrdiff_t)width;
    if (first_stride == row_bytes && second_stride == row_bytes && out_stride == width)
        return run(first, second, out, (ptrdiff_t)width * height, depth - 8);
    uint64_t sum = 0;
    for (int row = 0; row < height; row++) {
        sum += run(first, second, out, width, depth - 8);
        first += first_stride, second += second_stride, out += out_stride;
    }
    return sum;
}

uint64_t difference_sum_wide_AVX2(const unsigned char *first, ptrdiff_t first_stride,
                                  const unsigned char *second, ptrdiff_t second_stride,
                                  unsigned char *out, ptrdiff_t out_stride, int width,
                                  int height, int largest_value);

// The same for two-byte samples, reference first.
int available_wide_difference_variants(DifferenceVariant *list, int capacity);
