// What the viewer measures of a pair: the metrics it keeps a series and a history of, each
// measured on the sequences' current pictures with the report's table of metrics.
#pragma once

#include "convert/plane_view.h"
#include "quality/metrics.h"

// The metrics the viewer shows: the PSNR of each plane, so that the graphs and the info
// window can follow the plane shown at any frame. The luma PSNR also puts the pair's
// difference into its difference picture, and is measured even without -PSNR for it.
const int viewer_metrics[] = {metric_psnr_y, metric_psnr_u, metric_psnr_v};

// Allocates what the measurements write besides the difference pictures, once at start-up.
void allocate_metric_scratch();

// Whether the viewer measures `metric` in this run.
bool metric_measured(int metric);

// Measures `metric` of pair 1..3.
MetricSample measure_shown_metric(int pair, int metric);

// The PSNR of the plane shown, whose values are in the graphs and the info window; the luma's
// in colour.
int metric_of_plane(PlaneView plane);
