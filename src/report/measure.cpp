// Per-frame measurement of the pairs, on the viewer's buffers and with its difference.
#include <cstdlib>

#include "common/die.h"
#include "quality/difference.h"
#include "report.h"
#include "common/settings.h"
#include "quality/ssim.h"
#include "playback/startup.h"

int pair_count = 0;
PairFrame pair_frame[4];
PairSummary pair_summary[4];
int frames_below_min_psnr = 0;

const char *const pair_caption[4] = {"", "Org<->Enc", "Enc<->Tra", "Org<->Tra"};
const char *const pair_key[4] = {"", "org_enc", "enc_tra", "org_tra"};

static unsigned char *chroma_difference[4];  // per pair: U, then V difference (unused)
static SsimSums *ssim_scratch[4];            // per pair, so pairs may run in parallel

void allocate_measure_buffers()
{
    pair_count = expand >= 3 ? 3 : expand == 2 ? 1 : 0;
    for (int pair = 1; pair <= pair_count; pair++) {
        chroma_difference[pair] = (unsigned char *)malloc((size_t)chroma_size);
        ssim_scratch[pair] =
            (SsimSums *)malloc(sizeof(SsimSums) * (size_t)ssim_scratch_entries(horizontal_size));
        if (!chroma_difference[pair] || !ssim_scratch[pair])
            die(1, "Out of memory: could not allocate the measurement buffers\n");
        pair_summary[pair] = PairSummary{};
        series_reset(&pair_summary[pair].y);
        series_reset(&pair_summary[pair].u);
        series_reset(&pair_summary[pair].v);
    }
}

// The pictures of a pair, first minus second, as the viewer pairs them.
static void pair_pictures(int pair, const YuvFrame **first, const YuvFrame **second,
                          YuvFrame **diff)
{
    *first = pair == 2 ? &picture2 : &picture1;
    *second = pair == 1 ? &picture2 : &picture3;
    *diff = pair == 1 ? &diff1 : pair == 2 ? &diff2 : &diff3;
}

void measure_pair_psnr(int pair)
{
    const YuvFrame *first, *second;
    YuvFrame *diff;
    pair_pictures(pair, &first, &second, &diff);
    PairFrame *m = &pair_frame[pair];
    int luma = (int)luma_size, chroma = (int)chroma_size;

    // What difference() returns, with the sum it comes from kept for the global PSNR.
    m->sum_y = difference_sum(first->y, second->y, diff->y, luma);
    m->psnr_y = cap_psnr(psnr_of_sum(m->sum_y, luma));
    m->sum_u = difference_sum(first->u, second->u, chroma_difference[pair], chroma);
    m->psnr_u = cap_psnr(psnr_of_sum(m->sum_u, chroma));
    m->sum_v = difference_sum(first->v, second->v, chroma_difference[pair], chroma);
    m->psnr_v = cap_psnr(psnr_of_sum(m->sum_v, chroma));
}

void measure_pair_ssim(int pair)
{
    const YuvFrame *first, *second;
    YuvFrame *diff;
    pair_pictures(pair, &first, &second, &diff);
    pair_frame[pair].ssim = report_ssim ? ssim_plane(first->y, second->y, horizontal_size,
                                                     vertical_size, ssim_scratch[pair])
                                        : 0.0;
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
    series_add(&s->y, frame_number, m->psnr_y, m->sum_y, luma_size);
    series_add(&s->u, frame_number, m->psnr_u, m->sum_u, chroma_size);
    series_add(&s->v, frame_number, m->psnr_v, m->sum_v, chroma_size);
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

void measure_frame(int frame_number)
{
    for (int pair = 1; pair <= pair_count; pair++)
        measure_pair(pair);
    add_frame_to_summary(frame_number);
}
