#include "pair_luma.h"

#include "startup.h"
#include "common/pairs.h"
#include "quality/difference.h"

double measure_pair_luma(int pair, uint64_t *sum, int64_t *samples)
{
    const YuvFrame &first = *picture_of(pairs[pair].first);
    const YuvFrame &second = *picture_of(pairs[pair].second);
    int largest = largest_sample_value(first);
    const YuvFrame &difference = *difference_of(pair);
    *sum = kernel_for(difference_kernels, first)(first.y, first.luma_stride, second.y,
                                                 second.luma_stride, difference.y,
                                                 difference.luma_stride, first.width,
                                                 first.height, largest);
    *samples = (int64_t)first.width * first.height;
    return cap_psnr(psnr_of_sum(*sum, *samples, largest));
}
