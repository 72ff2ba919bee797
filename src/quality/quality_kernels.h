// The choice of the measurements' fast kernels.
#pragma once

#include "difference.h"
#include "ssim.h"

// The measurements' kernels the program calls; the references until
// select_quality_kernels chooses.
struct QualityKernels {
    SampleSizes<difference_sum_fn> difference;  // kernel_for(quality_kernels.difference, picture)
    SsimVariant ssim;                           // what ssim_plane uses
};
extern QualityKernels quality_kernels;

// Sets difference_kernels (both sample sizes) and ssim_kernels to the fastest variants this
// processor runs, or to the references when the environment forces them. Every program
// calls it once at start-up; until then the references are in place.
void select_quality_kernels();
