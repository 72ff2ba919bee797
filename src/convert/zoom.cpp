// The zoom kernels the program calls, chosen once at start-up.
#include "zoom.h"

#include "convert_kernels.h"

#include "common/kernel_choice.h"


#if defined(TRIVISTA_X86_KERNELS)
extern const ZoomKernels zoom_kernels_SSE2;
extern const ZoomKernels zoom_kernels_AVX2;
#endif

int available_zoom_variants(const ZoomKernels **list, int capacity)
{
    int count = 0;
    if (count < capacity)
        list[count++] = &zoom_kernels_C;
#if defined(TRIVISTA_X86_KERNELS)
    if (__builtin_cpu_supports("sse2") && count < capacity)
        list[count++] = &zoom_kernels_SSE2;
    if (__builtin_cpu_supports("avx2") && count < capacity)
        list[count++] = &zoom_kernels_AVX2;
#endif
    return count;
}

void select_zoom_kernels()
{
    const ZoomKernels *variants[3];
    int count = available_zoom_variants(variants, 3);
    convert_kernels.zoom = *choose_kernel(variants, count);
}
