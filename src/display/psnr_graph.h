// History graphs of the last 20 PSNR values of each pair, below the difference panes.
#pragma once

#include <X11/Xlib.h>

#include "quality/metrics.h"

// Point 0 is the newest value, point 19 the oldest; values stand `metric->graph_scale`
// pixels a unit above the baseline.
struct PsnrHistory {
    XPoint point[20];
    const Metric *metric;
};

// Sets every point of every pair's and metric's history to the baseline.
void init_psnr_histories();

// Sets the points of graph 1, 2 or 3 to the baseline.
void reset_psnr_history(PsnrHistory *history, int graph);

// Every history moved to the graphs' places after the panes changed size; the graphs'
// baseline stood at old_baseline.
void move_psnr_histories(int old_baseline);

// Enters the newest value (a PSNR capped) into the history of graph 1, 2 or 3, the others moving
// one place older, without drawing.
void enter_psnr_value(PsnrHistory *history, int graph, double psnr_value);

// Draws graph 1, 2 or 3 as its history stands, inside its area.
void draw_psnr_history(const PsnrHistory *history, int graph);

// Enters the newest value into `history` and draws graph 1, 2 or 3.
void draw_psnr_graph(PsnrHistory *history, int graph, double psnr_value);
