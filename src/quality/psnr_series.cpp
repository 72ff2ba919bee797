#include "psnr_series.h"

#include "difference.h"

void series_reset(PsnrSeries *series, int largest_value)
{
    *series = PsnrSeries{0, 0.0, 0, 0, 0.0, 0.0, 0, largest_value};
}

void series_add(PsnrSeries *series, int frame, double capped_psnr, uint64_t sum,
                int64_t samples)
{
    if (series->frames == 0 || capped_psnr < series->min) {
        series->min = capped_psnr;
        series->min_frame = frame;
    }
    if (series->frames == 0 || capped_psnr > series->max)
        series->max = capped_psnr;
    series->frames++;
    series->total += capped_psnr;
    series->sum += sum;
    series->samples += samples;
}

double series_mean(const PsnrSeries *series)
{
    return series->frames ? series->total / series->frames : 0.0;
}

double series_global(const PsnrSeries *series)
{
    if (series->frames == 0)
        return 0.0;
    return cap_psnr(psnr_of_sum(series->sum, series->samples, series->largest_value));
}
