// Summary of the per-frame PSNRs of one pair and plane over a range of frames.
#pragma once

#include <cstdint>

struct PsnrSeries {
    int frames;              // frames added
    double total;            // capped per-frame PSNRs added in frame order, as the viewer's total
    uint64_t sum;            // squared differences over every frame
    int64_t samples;         // samples over every frame
    double min, max;         // capped per-frame extremes
    int min_frame;           // the first frame that measured `min`
    int largest_value;       // the largest sample value: the peak of the global PSNR
};

// Empties the series for samples of at most `largest_value`.
void series_reset(PsnrSeries *series, int largest_value);

// Adds one frame: its capped PSNR and the sum of squared differences it came from.
void series_add(PsnrSeries *series, int frame, double capped_psnr, uint64_t sum,
                int64_t samples);

// Mean of the per-frame PSNRs (the viewer's mean); 0 without frames.
double series_mean(const PsnrSeries *series);

// PSNR of the mean squared error over every frame (capped like a frame's); 0 without frames.
double series_global(const PsnrSeries *series);
