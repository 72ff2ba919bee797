#include "pair_luma.h"

#include "startup.h"
#include "common/pairs.h"
#include "quality/difference.h"

double measure_pair_luma(int pair, uint64_t *sum, int64_t *samples)
{
    const YuvFrame &first = *picture_of(pairs[pair].first);
    const YuvFrame &second = *picture_of(pairs[pair].second);
    int largest = largest_sample_value(first);
    *sum = difference_sum(first.y, second.y, difference_of(pair)->y, first.width, first.height,
                          first.luma_stride, largest);
    *samples = (int64_t)first.width * first.height;
    return cap_psnr(psnr_of_sum(*sum, *samples, largest));
}
