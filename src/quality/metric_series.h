// Summary of one metric's per-frame values for one pair over a range of frames.
#pragma once

#include <cstdint>

struct MetricSeries {
    int frames;         // frames added
    double total;       // per-frame values (PSNRs capped) added in frame order
    uint64_t sum;       // squared differences over every frame (PSNRs only)
    int64_t samples;    // samples over every frame (PSNRs only)
    double min, max;    // per-frame extremes
    int min_frame;      // the first frame that measured `min`
    int largest_value;  // the largest sample value: the peak of the global PSNR
};

// Empties the series for samples of at most `largest_value`.
void series_reset(MetricSeries *series, int largest_value);

// Adds one frame: its value (a PSNR capped) and the sum of squared differences behind a PSNR.
void series_add(MetricSeries *series, int frame, double capped_psnr, uint64_t sum, int64_t samples);

// Mean of the per-frame values (the viewer's mean PSNR); 0 without frames.
double series_mean(const MetricSeries *series);

// PSNR of the mean squared error over every frame (capped like a frame's); 0 without frames.
double series_global(const MetricSeries *series);
