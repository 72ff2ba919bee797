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
static SsimSums *ssim_scratch[4];            // per pair, so pairs may run in parallel
static SsimSumsWide *ssim_wide_scratch[4];   // the same for two-byte samples

void allocate_measure_buffers()
{
    pair_count = pair_count_for(expand);
    int largest_value = largest_sample_value(picture1);
    for (int pair = 1; pair <= pair_count; pair++) {
        chroma_difference[pair] = (unsigned char *)malloc((size_t)chroma_size + 1);
        // SSIM's scratch for the run's sample width, and none without SSIM.
        size_t entries = (size_t)ssim_scratch_entries(picture1.width);
        bool narrow = report_ssim && largest_value <= 255, wide = report_ssim && !narrow;
        if (narrow)
            ssim_scratch[pair] = (SsimSums *)malloc(sizeof(SsimSums) * entries);
        if (wide)
            ssim_wide_scratch[pair] = (SsimSumsWide *)malloc(sizeof(SsimSumsWide) * entries);
        if (!chroma_difference[pair] || (narrow && !ssim_scratch[pair]) ||
            (wide && !ssim_wide_scratch[pair]))
            die(1, "Out of memory: could not allocate the measurement buffers\n");
        pair_summary[pair] = PairSummary{};
        series_reset(&pair_summary[pair].y, largest_value);
        series_reset(&pair_summary[pair].u, largest_value);
        series_reset(&pair_summary[pair].v, largest_value);
        series_reset(&pair_summary[pair].yuv, largest_value);
    }
}

// Planes of one pair, first minus second, as the viewer pairs them.
struct PairPlanes {
    const unsigned char *first, *second;
    unsigned char *out;
    int width, height;
    ptrdiff_t stride;
};

static PairPlanes luma_planes(int pair)
{
    const YuvFrame &first = *picture_of(pairs[pair].first);
    return PairPlanes{first.y, picture_of(pairs[pair].second)->y, difference_of(pair)->y,
                      first.width, first.height, first.luma_stride};
}

// U or V; the chroma differences are not kept, so both go to one scratch plane.
static PairPlanes chroma_planes(int pair, unsigned char *YuvFrame::*plane)
{
    const YuvFrame &first = *picture_of(pairs[pair].first);
    return PairPlanes{first.*plane, picture_of(pairs[pair].second)->*plane,
                      chroma_difference[pair], chroma_width(first), chroma_height(first),
                      first.chroma_stride};
}

// The PSNR of chroma planes, with the sum of squared differences behind it.
static double psnr_of(const PairPlanes &p, int largest_value, uint64_t *sum)
{
    *sum = difference_sum(p.first, p.second, p.out, p.width, p.height, p.stride, largest_value);
    return cap_psnr(psnr_of_sum(*sum, (int64_t)p.width * p.height, largest_value));
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
        m->psnr_u = psnr_of(chroma_planes(pair, &YuvFrame::u), largest_value, &m->sum_u);
        m->psnr_v = psnr_of(chroma_planes(pair, &YuvFrame::v), largest_value, &m->sum_v);
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
    PairPlanes p = luma_planes(pair);
    int largest_value = largest_sample_value(*picture_of(pairs[pair].first));
    pair_frame[pair].ssim =
        largest_value > 255
            ? ssim_plane_wide(p.first, p.second, p.width, p.height, p.stride, largest_value,
                              ssim_wide_scratch[pair])
            : ssim_plane(p.first, p.second, p.width, p.height, p.stride, largest_value,
                         ssim_scratch[pair]);
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
