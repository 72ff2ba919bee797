// Per-frame measurement of the pairs, on the viewer's buffers and with its difference.
#include <cstdlib>

#include "report.h"
#include "common/die.h"
#include "common/pairs.h"
#include "common/pixel_format.h"
#include "common/settings.h"
#include "playback/pair_luma.h"
#include "playback/startup.h"
#include "quality/difference.h"
#include "quality/ssim.h"

int pair_count = 0;
PairFrame pair_frame[4];
PairSummary pair_summary[4];
int frames_below_min_psnr = 0;

static unsigned char *chroma_difference[4];  // per pair: U, then V difference (unused)
// (one byte a sample at any depth fits in chroma_size bytes; gray's 0 gets one all the same)
static void *ssim_scratch[4];  // per pair, so pairs may run in parallel

void allocate_measure_buffers()
{
    pair_count = pair_count_for(expand);
    int largest_value = largest_sample_value(picture1);
    for (int pair = 1; pair <= pair_count; pair++) {
        chroma_difference[pair] = (unsigned char *)malloc((size_t)chroma_size + 1);
        // No SSIM, no scratch for it.
        if (report_ssim)
            ssim_scratch[pair] = malloc(ssim_scratch_bytes(picture1.width));
        if (!chroma_difference[pair] || (report_ssim && !ssim_scratch[pair]))
            die(1, "Out of memory: could not allocate the measurement buffers\n");
        pair_summary[pair] = PairSummary{};
        series_reset(&pair_summary[pair].y, largest_value);
        series_reset(&pair_summary[pair].u, largest_value);
        series_reset(&pair_summary[pair].v, largest_value);
        series_reset(&pair_summary[pair].yuv, largest_value);
    }
}

// U or V of one pair, first minus second, as the viewer pairs them: the PSNR, with the sum
// of squared differences behind it. The chroma differences are not kept, so both go to one
// scratch plane.
static double chroma_psnr(int pair, unsigned char *YuvFrame::*plane, uint64_t *sum)
{
    const YuvFrame &first = *picture_of(pairs[pair].first);
    const YuvFrame &second = *picture_of(pairs[pair].second);
    int width = chroma_width(first), height = chroma_height(first);
    int largest_value = largest_sample_value(first);
    *sum = kernel_for(difference_kernels, first)(first.*plane, first.chroma_stride,
                                                 second.*plane, second.chroma_stride,
                                                 chroma_difference[pair], width, width,
                                                 height, largest_value);
    return cap_psnr(psnr_of_sum(*sum, (int64_t)width * height, largest_value));
}

void measure_pair_psnr(int pair)
{
    PairFrame *m = &pair_frame[pair];
    int largest_value = largest_sample_value(*picture_of(pairs[pair].first));
    int64_t luma_samples;
    m->psnr_y = measure_pair_luma(pair, &m->sum_y, &luma_samples);
    m->psnr_u = m->psnr_v = 0.0;
    m->sum_u = m->sum_v = 0;
    if (report_chroma_columns()) {
        m->psnr_u = chroma_psnr(pair, &YuvFrame::u, &m->sum_u);
        m->psnr_v = chroma_psnr(pair, &YuvFrame::v, &m->sum_v);
    }
    const YuvFrame &picture = *picture_of(pairs[pair].first);
    int64_t samples = (int64_t)picture.width * picture.height +
                      2 * (int64_t)chroma_width(picture) * chroma_height(picture);
    m->psnr_yuv = cap_psnr(psnr_of_sum(m->sum_y + m->sum_u + m->sum_v, samples, largest_value));
}

bool report_yuv_columns()
{
    return pix_fmt_given || pixel_format != default_pixel_format;
}

bool report_chroma_columns()
{
    return pixel_format->chroma != chroma_gray;
}

void measure_pair_ssim(int pair)
{
    if (!report_ssim) {
        pair_frame[pair].ssim = 0.0;
        return;
    }
    const YuvFrame &first = *picture_of(pairs[pair].first);
    const YuvFrame &second = *picture_of(pairs[pair].second);
    pair_frame[pair].ssim = kernel_for(ssim_planes, first)(
        first.y, first.luma_stride, second.y, second.luma_stride, first.width, first.height,
        largest_sample_value(first), ssim_scratch[pair]);
}

void measure_pair(int pair)
{
    measure_pair_psnr(pair);
    measure_pair_ssim(pair);
}

static void add_to_summary(int pair, int frame_number)
{
    const PairFrame *m = &pair_frame[pair];
    PairSummary *s = &pair_summary[pair];
    const YuvFrame &picture = *picture_of(1);
    int64_t luma = (int64_t)picture.width * picture.height;
    int64_t chroma = (int64_t)chroma_width(picture) * chroma_height(picture);
    series_add(&s->y, frame_number, m->psnr_y, m->sum_y, luma);
    series_add(&s->u, frame_number, m->psnr_u, m->sum_u, chroma);
    series_add(&s->v, frame_number, m->psnr_v, m->sum_v, chroma);
    series_add(&s->yuv, frame_number, m->psnr_yuv, m->sum_y + m->sum_u + m->sum_v,
               luma + 2 * chroma);
    s->ssim_total += m->ssim;
}

void add_frame_to_summary(int frame_number)
{
    int below = 0;
    for (int pair = 1; pair <= pair_count; pair++) {
        add_to_summary(pair, frame_number);
        if (min_psnr_given && pair_frame[pair].psnr_y < min_psnr)
            below = 1;
    }
    frames_below_min_psnr += below;
}
