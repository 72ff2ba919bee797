// Chooses the kernel behind `difference` once, before main runs.
#include "difference_fast.h"

#include <cstdlib>
#include <cstring>

int available_difference_variants(DifferenceVariant *list, int capacity)
{
    int count = 0;
    if (count < capacity)
        list[count++] = DifferenceVariant{"C", difference_sum_C};
#if defined(TRIVISTA_X86_KERNELS)
    if (__builtin_cpu_supports("sse2") && count < capacity)
        list[count++] = DifferenceVariant{"SSE2", difference_sum_SSE2};
    if (__builtin_cpu_supports("avx2") && count < capacity)
        list[count++] = DifferenceVariant{"AVX2", difference_sum_AVX2};
#endif
    return count;
}

void select_difference_kernel()
{
    const char *forced = getenv("TRIVISTA_REFERENCE");
    DifferenceVariant variants[4];
    int count = available_difference_variants(variants, 4);
    difference_sum = forced && strcmp(forced, "1") == 0 ? difference_sum_C
                                                         : variants[count - 1].sum;
}

// Every program that links the measurement pulls this object in by this name (see the
// library's link options), so the choice is made before main in all of them.
extern "C" const int trivista_difference_kernel_selected = (select_difference_kernel(), 1);
