// The choice of the measurements' fast kernels.
#pragma once

// Sets difference_kernels (both sample sizes) and ssim_kernels to the fastest variants this
// processor runs, or to the references when the environment forces them. Every program
// calls it once at start-up; until then the references are in place.
void select_quality_kernels();
