// The choice of the measurements' fast kernels.
#pragma once

// Sets difference_sum and ssim_kernels to the fastest variants this processor runs, or to
// the references when the environment forces them. Every program calls it once at start-up;
// until then the references are in place.
void select_quality_kernels();

// Sets difference_sum to the fastest variant for samples of that bit depth: one byte up to 8
// bits, two above. Start-up calls it once the sequences' format is known.
void select_difference_kernel(int bit_depth);
