// The measurement of one pair that the viewer and the report share: the luma difference
// into the pair's difference picture and the PSNR it leads to.
#pragma once

#include <cstdint>

// Measures pair 1..3 on the sequences' current pictures; `sum` and `samples` are what the
// capped PSNR it returns comes from.
double measure_pair_luma(int pair, uint64_t *sum, int64_t *samples);
