// Per-frame measurement of the pairs, on the viewer's buffers and with its difference, one
// metric of the table at a time.
#include <cstdlib>

#include "report.h"
#include "common/die.h"
#include "common/pairs.h"
#include "common/pixel_format.h"
#include "common/settings.h"
#include "quality/difference_pictures.h"
#include "quality/ssim.h"
#include "source/sequence.h"

ReportState report_state;

// Per pair, so that pairs and metrics may run in parallel: the U and V differences (not
// kept; one byte a sample at any depth fits in chroma_size bytes, gray's 0 gets one all the
// same) and SSIM's scratch for the run's sample width.
static unsigned char *chroma_difference[4][2];
static void *ssim_scratch[4];

// The metrics that read pictures, pair by pair in table order, and where the helper's share
// of them begins.
struct Job {
    int pair, metric;
};
static Job jobs[3 * metric_count];
static int job_count = 0;
static int first_helper_job = 0;

bool report_yuv_columns()
{
    return settings.pix_fmt_given || settings.pixel_format != default_pixel_format;
}

bool metric_reported(int metric)
{
    switch (metrics[metric].presence) {
    case present_beyond_8bit_420: return report_yuv_columns();
    case present_unless_no_ssim: return report_options.ssim;
    default: return true;
    }
}

bool metric_has_values(int metric)
{
    return metric_applies(metrics[metric], settings.pixel_format->chroma);
}

// What is measured at all: every reported metric, and the planes a combined one needs.
static bool metric_measured(int metric)
{
    return metrics[metric].presence != present_unless_no_ssim || report_options.ssim;
}

// Cuts the jobs where the costs before and after the cut differ least.
static void share_jobs()
{
    job_count = 0;
    int total = 0;
    for (int pair = 1; pair <= report_state.pair_count; pair++)
        for (int metric = 0; metric < metric_count; metric++)
            if (metric_measured(metric) && metrics[metric].plane != plane_all) {
                jobs[job_count++] = Job{pair, metric};
                total += metrics[metric].cost;
            }
    int before = 0, best = total;
    first_helper_job = 0;
    for (int cut = 0; cut <= job_count; cut++) {
        int difference = abs(total - 2 * before);
        if (difference < best) {
            best = difference;
            first_helper_job = cut;
        }
        if (cut < job_count)
            before += metrics[jobs[cut].metric].cost;
    }
}

void allocate_measure_buffers()
{
    report_state.pair_count = pair_count_for(settings.expand);
    int largest_value = largest_sample_value(*picture_of(1));
    for (int pair = 1; pair <= report_state.pair_count; pair++) {
        for (unsigned char *&plane : chroma_difference[pair]) {
            plane = (unsigned char *)malloc((size_t)settings.chroma_size + 1);
            if (!plane)
                die(1, "Out of memory: could not allocate the measurement buffers\n");
        }
        if (report_options.ssim && !(ssim_scratch[pair] = malloc(ssim_scratch_bytes(picture_of(1)->width))))
            die(1, "Out of memory: could not allocate the measurement buffers\n");
        for (MetricSeries &series : report_state.pair_summary[pair])
            series_reset(&series, largest_value);
    }
    share_jobs();
}

static PairPictures pair_pictures(int pair)
{
    return PairPictures{picture_of(pairs[pair].first), picture_of(pairs[pair].second),
                        difference_of(pair),
                        {chroma_difference[pair][0], chroma_difference[pair][1]},
                        ssim_scratch[pair]};
}

void measure_pair_metric(int pair, int metric)
{
    report_state.pair_frame[pair][metric] =
        metric_measured(metric) ? metrics[metric].measure(pair_pictures(pair), report_state.pair_frame[pair])
                                : MetricSample{0.0, 0, 0};
}

void measure_every_metric()
{
    for (int pair = 1; pair <= report_state.pair_count; pair++)
        for (int metric = 0; metric < metric_count; metric++)
            measure_pair_metric(pair, metric);
}

void measure_first_share()
{
    for (int i = 0; i < first_helper_job; i++)
        measure_pair_metric(jobs[i].pair, jobs[i].metric);
}

void measure_second_share()
{
    for (int i = first_helper_job; i < job_count; i++)
        measure_pair_metric(jobs[i].pair, jobs[i].metric);
}

void measure_combined_metrics()
{
    for (int pair = 1; pair <= report_state.pair_count; pair++)
        for (int metric = 0; metric < metric_count; metric++)
            if (metrics[metric].plane == plane_all)
                measure_pair_metric(pair, metric);
}

void add_frame_to_summary(int frame_number)
{
    int below = 0;
    for (int pair = 1; pair <= report_state.pair_count; pair++) {
        for (int metric = 0; metric < metric_count; metric++) {
            const MetricSample &m = report_state.pair_frame[pair][metric];
            series_add(&report_state.pair_summary[pair][metric], frame_number, m.value, m.sum, m.samples);
        }
        if (report_options.min_psnr_given && report_state.pair_frame[pair][metric_psnr_y].value < report_options.min_psnr)
            below = 1;
    }
    report_state.frames_below_min_psnr += below;
}
