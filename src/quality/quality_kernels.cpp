#include "quality_kernels.h"

#include "difference_fast.h"
#include "ssim.h"
#include "common/kernel_choice.h"

void select_quality_kernels()
{
    DifferenceVariant narrow[4], wide[4];
    difference_kernels.narrow = choose_kernel(narrow, available_difference_variants(narrow, 4)).sum;
    difference_kernels.wide = choose_kernel(wide, available_wide_difference_variants(wide, 4)).sum;
    SsimVariant ssims[4];
    ssim_kernels = choose_kernel(ssims, available_ssim_variants(ssims, 4));
}
