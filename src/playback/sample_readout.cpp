#include "sample_readout.h"

#include <cstdio>

#include "common/pairs.h"
#include "common/region.h"
#include "common/settings.h"
#include "common/yuv_frame.h"
#include "source/sequence.h"

static int sample_at(const unsigned char *plane, ptrdiff_t stride, int bit_depth, int x, int y)
{
    if (!plane)
        return 1 << (bit_depth - 1);  // no chroma planes: neutral, as shown
    return sample_in_row(plane + stride * y, x, bit_depth);
}

// One line a click, flushed at once for scripts: the samples of every sequence at the
// position (x, y) of the region shown, which the line gives in the whole picture, and the
// signed luma differences of the measured pairs.
void print_samples(int x, int y)
{
    static const char *const names[4] = {"", "org", "enc", "tra"};
    printf("pixel: frame %i x %i y %i", playhead.frame, settings.cropping.region.x + x,
           settings.cropping.region.y + y);
    int luma[4] = {};
    for (int n = 1; n <= settings.expand; n++) {
        const YuvFrame &p = *picture_of(n);
        int cx = (int)((int64_t)x * chroma_width(p) / p.width);
        int cy = (int)((int64_t)y * chroma_height(p) / p.height);
        luma[n] = sample_at(p.y, p.luma_stride, p.bit_depth, x, y);
        printf(" %s %i %i %i", names[n], luma[n],
               sample_at(p.u, p.chroma_stride, p.bit_depth, cx, cy),
               sample_at(p.v, p.chroma_stride, p.bit_depth, cx, cy));
    }
    for (int pair = 1; pair <= pair_count_for(settings.expand); pair++) {
        int first = pairs[pair].first, second = pairs[pair].second;
        printf(" %s-%s %i", names[first], names[second], luma[first] - luma[second]);
    }
    printf("\n");
    fflush(stdout);
}
