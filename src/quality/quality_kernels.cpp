#include "quality_kernels.h"

#include "difference_fast.h"
#include "ssim.h"
#include "common/kernel_choice.h"

void select_quality_kernels()
{
    DifferenceVariant differences[4];
    difference_sum = choose_kernel(differences, available_difference_variants(differences, 4)).sum;
    SsimVariant ssims[4];
    ssim_kernels = choose_kernel(ssims, available_ssim_variants(ssims, 4));
}

void select_difference_kernel(int bit_depth)
{
    DifferenceVariant differences[4];
    int count = bit_depth > 8 ? available_wide_difference_variants(differences, 4)
                              : available_difference_variants(differences, 4);
    difference_sum = choose_kernel(differences, count).sum;
}
