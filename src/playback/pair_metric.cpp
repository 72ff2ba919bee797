#include "pair_metric.h"

#include "common/pairs.h"
#include "common/picture_memory.h"
#include "common/settings.h"
#include "quality/difference_pictures.h"
#include "source/sequence.h"

// The chroma differences, which nothing shows: one byte a sample.
static unsigned char *chroma_scratch;

void allocate_metric_scratch()
{
    if (settings.psnr && settings.chroma_size > 0)
        chroma_scratch = allocate_bytes(settings.chroma_size, "chroma_scratch");
}

bool metric_measured(int metric)
{
    return metric == metric_psnr_y || settings.psnr;
}

MetricSample measure_shown_metric(int pair, int metric)
{
    PairPictures pictures = {picture_of(pairs[pair].first), picture_of(pairs[pair].second),
                             difference_of(pair), {chroma_scratch, chroma_scratch}, nullptr};
    return metrics[metric].measure(pictures, nullptr);
}

int metric_of_plane(PlaneView plane)
{
    return plane == plane_view_u   ? metric_psnr_u
           : plane == plane_view_v ? metric_psnr_v
                                   : metric_psnr_y;
}
