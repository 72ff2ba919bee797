// What the viewer measures of a pair: the metrics it keeps a series and a history of, each
// measured on the sequences' current pictures with the report's table of metrics.
#pragma once

#include "quality/metrics.h"

// The metrics the viewer shows: luma PSNR alone for now. The luma PSNR also puts the
// pair's difference into its difference picture.
const int viewer_metrics[] = {metric_psnr_y};

// Measures `metric` of pair 1..3; the viewer's metrics need no scratch.
MetricSample measure_shown_metric(int pair, int metric);
