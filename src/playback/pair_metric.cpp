#include "pair_metric.h"

#include "startup.h"
#include "common/pairs.h"

MetricSample measure_shown_metric(int pair, int metric)
{
    PairPictures pictures = {picture_of(pairs[pair].first), picture_of(pairs[pair].second),
                             difference_of(pair), {nullptr, nullptr}, nullptr};
    return metrics[metric].measure(pictures, nullptr);
}
