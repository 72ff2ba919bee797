// The variants of the difference kernel this build and processor offer.
#include "difference_fast.h"

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

int available_wide_difference_variants(DifferenceVariant *list, int capacity)
{
    int count = 0;
    if (count < capacity)
        list[count++] = DifferenceVariant{"C", difference_sum_wide_C};
#if defined(TRIVISTA_X86_KERNELS)
    if (__builtin_cpu_supports("avx2") && count < capacity)
        list[count++] = DifferenceVariant{"AVX2", difference_sum_wide_AVX2};
#endif
    return count;
}
