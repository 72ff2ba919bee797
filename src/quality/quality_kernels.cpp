#include "quality_kernels.h"

#include "difference_fast.h"
#include "ssim.h"
#include "common/kernel_choice.h"

QualityKernels quality_kernels = {{difference_sum_C, difference_sum_wide_C},
                                  {"C", ssim_block_row_C, ssim_window_row_C}};

void select_quality_kernels()
{
    DifferenceVariant narrow[4], wide[4];
    quality_kernels.difference.narrow = choose_kernel(narrow, available_difference_variants(narrow, 4)).sum;
    quality_kernels.difference.wide = choose_kernel(wide, available_wide_difference_variants(wide, 4)).sum;
    SsimVariant ssims[4];
    quality_kernels.ssim = choose_kernel(ssims, available_ssim_variants(ssims, 4));
}
