// The headless quality report: per-frame PSNR (Y, U, V, and of all three) and luma SSIM of
// every measured pair over the viewer's frame range, with the viewer's freeze semantics.
#pragma once

#include <cstdint>
#include <cstdio>

#include "common/yuv_frame.h"
#include "quality/metric_series.h"
#include "quality/metrics.h"

// Options of the report tool on top of the viewer's.
extern int report_json;       // JSON lines instead of CSV
extern int report_ssim;       // measure SSIM (on unless -no-ssim)
extern int min_psnr_given;    // -min-psnr was given
extern double min_psnr;       // luma PSNR below this on any frame and pair: exit status 2
extern int report_threads;    // a helper thread reads and measures beside the main one
extern const char *plot_path; // -plot FILE, null without it; the extension names the format

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

extern int pair_count;                              // 1 with two sequences, 3 with three
extern MetricSample pair_frame[4][metric_count];    // pair 1..3, this frame
extern MetricSeries pair_summary[4][metric_count];  // pair 1..3, over the range
extern int frames_below_min_psnr;                   // frames on which some pair fell below min_psnr

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

// Whether sequence 2 / 3 was held at the frame report_frame handled last.
extern int frozen2;
extern int frozen3;

// The report's lines: the CSV header, one record per frame, the summary.
void write_header(FILE *out);
void write_frame(FILE *out, int frame_number, int frozen2, int frozen3);
void write_summary(FILE *csv_summary, FILE *json_out);

// What the plot draws, one entry per frame of the range in order (entry 0: start_frame),
// kept only with -plot. Allocated once from the range, so the frame loop never allocates.
extern int plot_capacity;              // entries each array holds: the frames of the range
extern int plot_frames;                // entries filled so far
extern float *plot_psnr[4];            // luma PSNR of pair 1..3
extern float *plot_ssim[4];            // luma SSIM of pair 1..3 (when measured)
extern unsigned char *plot_frozen[4];  // sequence 2..3 was held (1) or read (0)

// Allocates the plot's arrays for start_frame..end_frame.
void allocate_plot_values();

// Stores the frame report_frame measured last.
void add_frame_to_plot();
