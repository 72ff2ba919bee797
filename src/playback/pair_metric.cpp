#include "pair_metric.h"

#include "common/pairs.h"
#include "quality/difference_pictures.h"
#include "source/sequence.h"

MetricSample measure_shown_metric(int pair, int metric)
{
    PairPictures pictures = {picture_of(pairs[pair].first), picture_of(pairs[pair].second),
                             difference_of(pair), {nullptr, nullptr}, nullptr};
    return metrics[metric].measure(pictures, nullptr);
}
