// The headless quality report: per-frame PSNR (Y, U, V, and of all three) and luma SSIM of
// every measured pair over the viewer's frame range, with the viewer's freeze semantics.
#pragma once

#include <cstdint>
#include <cstdio>

#include "common/yuv_frame.h"
#include "quality/metric_series.h"
#include "quality/metrics.h"

// Options of the report tool on top of the viewer's.
struct ReportOptions {
    int json = 0;                     // JSON lines instead of CSV
    int ssim = 1;                     // measure SSIM (on unless -no-ssim)
    int min_psnr_given = 0;           // -min-psnr was given
    double min_psnr = 0;              // luma PSNR below this on any frame and pair: exit status 2
    int threads = 0;                  // a helper thread reads and measures beside the main one
    const char *plot_path = nullptr;  // -plot FILE, null without it; the extension names the format
};
extern ReportOptions report_options;

// The full help, printed for --help and -h.
extern const char report_help_text[];

// Hook for the shared option loop (see options.h).
int report_option(const char *name, const char *value);

// Whether the report has the psnr_yuv columns: with -pix_fmt or a format other than 8-bit
// 4:2:0, so that the report of 8-bit 4:2:0 files keeps its columns.
bool report_yuv_columns();
// Whether the report has a metric's columns, and whether they hold values (the chroma
// columns of gray pictures are empty).
bool metric_reported(int metric);
bool metric_has_values(int metric);

// What the report has measured.
struct ReportState {
    int pair_count;                              // 1 with two sequences, 3 with three
    MetricSample pair_frame[4][metric_count];    // pair 1..3, this frame
    MetricSeries pair_summary[4][metric_count];  // pair 1..3, over the range
    int frames_below_min_psnr;                   // frames on which some pair fell below min_psnr
    int frozen2, frozen3;  // sequence 2 / 3 was held at the frame report_frame handled last
};
extern ReportState report_state;

// Allocates the scratch planes of the measurement, once for the run.
void allocate_measure_buffers();

// Measures `metric` of pair `pair` on the sequences' current pictures into pair_frame; the
// luma difference goes into the pair's difference picture exactly as in the viewer.
void measure_pair_metric(int pair, int metric);

// Every metric of every pair on this thread, in the order of the table.
void measure_every_metric();

// The same shared between two threads: the metrics that read pictures, pair by pair, cut
// in two shares of about equal cost (pairs and metrics never share an output), then the
// ones combined from them.
void measure_first_share();
void measure_second_share();
void measure_combined_metrics();

// Adds the figures of every pair to the summaries and checks them against -min-psnr.
void add_frame_to_summary(int frame_number);

// Plays the frame range once as the viewer's first pass does, measuring and writing one
// record per frame to `out`: start_report, then report_frame until it returns 0.
void run_report(FILE *out);

// Writes the CSV header and positions every sequence at start_frame.
void start_report(FILE *out);

// Reads, measures and writes frame `frame` and steps to the next; 0 once the pass is over.
int report_frame(FILE *out);

// The report's lines: the CSV header, one record per frame, the summary.
void write_header(FILE *out);
void write_frame(FILE *out, int frame_number, int frozen2, int frozen3);
void write_summary(FILE *csv_summary, FILE *json_out);

// What the plot draws, one entry per frame of the range in order (entry 0: start_frame),
// kept only with -plot. Allocated once from the range, so the frame loop never allocates.
struct PlotValues {
    int capacity;              // entries each array holds: the frames of the range
    int frames;                // entries filled so far
    float *psnr[4];            // luma PSNR of pair 1..3
    float *ssim[4];            // luma SSIM of pair 1..3 (when measured)
    unsigned char *frozen[4];  // sequence 2..3 was held (1) or read (0)
    // Of each decoded sequence 1..3 (null for the others): the type of the frame read (0
    // where none was: held, or past the stream's end) and its coded bytes (-1: unknown).
    char *type[4];
    int64_t *bytes[4];
};
extern PlotValues plot_values;

// Allocates the plot's arrays for start_frame..end_frame.
void allocate_plot_values();

// Stores the frame report_frame measured last.
void add_frame_to_plot();
