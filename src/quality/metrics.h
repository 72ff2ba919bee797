// The table of metrics: what each measures on a pair of pictures, how the report names and
// formats it, how it is summed over a range and how the viewer's graph scales it. The
// report's writers, its threads and the viewer's series and history walk this table.
#pragma once

#include <cstdint>

#include "common/yuv_frame.h"

// What one metric measured on one frame of a pair.
struct MetricSample {
    double value;      // a PSNR capped as the viewer caps it, or an SSIM
    uint64_t sum;      // the squared differences behind a PSNR, 0 for other metrics
    int64_t samples;   // the samples that sum covers
};

// The pictures of one pair and where a measurement may write. The luma difference goes into
// `difference`, which the viewer shows; chroma differences are not kept.
struct PairPictures {
    const YuvFrame *first;
    const YuvFrame *second;
    YuvFrame *difference;
    unsigned char *chroma_scratch[2];  // U, V: one byte a sample; null when not measured
    void *ssim_scratch;  // ssim_scratch_bytes(width) bytes; null when not measured
};

enum MetricId { metric_psnr_y, metric_psnr_u, metric_psnr_v, metric_psnr_yuv, metric_ssim };
const int metric_count = 5;

// A luma PSNR below this is poor: shown red, and what b and Shift+b seek.
const double psnr_red_limit = 30.0;

// How per-frame values add up over a range.
enum MetricSum {
    sum_of_errors,  // mean of the frames' values, and the PSNR of the summed squared errors
    sum_of_values,  // mean of the frames' values
};

// When the report has the metric's columns.
enum MetricPresence {
    present_always,
    present_beyond_8bit_420,  // with -pix_fmt or a format other than 8-bit 4:2:0
    present_unless_no_ssim,   // unless -no-ssim
};

enum MetricPlane { plane_y, plane_u, plane_v, plane_all };

struct Metric {
    const char *key;          // CSV column "<pair>_<key>", JSON key; summary keys add a prefix
    const char *format;       // of one value
    const char *unit;         // after a value in the summary line
    const char *label;        // in the summary line
    MetricPlane plane;        // the plane it measures, or all of them
    double graph_scale;       // viewer's graph: pixels per unit above the baseline
    MetricSum summed;
    bool extremes;            // the summary names the minimum (and its frame) and maximum
    MetricPresence presence;
    int cost;                 // relative work per frame, to share it between threads
    // Measures one frame; a metric over all planes combines those measured before it in
    // the table (`measured`, this pair's samples of this frame) and reads no picture.
    MetricSample (*measure)(const PairPictures &pictures, const MetricSample *measured);
};

extern const Metric metrics[metric_count];

// Whether a metric has a value for pictures of this chroma layout: chroma planes of gray
// pictures have none.
bool metric_applies(const Metric &metric, ChromaLayout chroma);
