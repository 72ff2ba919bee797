#include "metric_series.h"

#include "difference.h"

void series_reset(MetricSeries *series, int largest_value)
{
    *series = MetricSeries{0, 0.0, 0, 0, 0.0, 0.0, 0, largest_value};
}

void series_add(MetricSeries *series, int frame, double capped_psnr, uint64_t sum, int64_t samples)
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

double series_mean(const MetricSeries *series)
{
    return series->frames ? series->total / series->frames : 0.0;
}

double series_global(const MetricSeries *series)
{
    if (series->frames == 0)
        return 0.0;
    return cap_psnr(psnr_of_sum(series->sum, series->samples, series->largest_value));
}
