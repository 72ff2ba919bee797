// Fast variants of the difference kernel; each returns exactly the reference sum.
#pragma once

#include "difference.h"

// Steps between emptying the 32-bit lanes of squares into 64-bit ones: each lane gains at
// most 2 x 2 x 255^2 a step, so they are emptied well before they could wrap.
const int steps_per_flush = 4096;

uint64_t difference_sum_SSE2(const unsigned char *first, const unsigned char *second,
                             unsigned char *out, int length);
uint64_t difference_sum_AVX2(const unsigned char *first, const unsigned char *second,
                             unsigned char *out, int length);

struct DifferenceVariant {
    const char *name;
    difference_sum_fn sum;
};

// Variants compiled into this build and supported by this processor, reference first.
int available_difference_variants(DifferenceVariant *list, int capacity);

// Sets difference_sum to the fastest available variant, or to the reference when
// TRIVISTA_REFERENCE=1 is in the environment. Runs by itself before main.
void select_difference_kernel();
