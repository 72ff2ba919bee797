// Drawing helpers that the plot's panels share: colours, lines, text and the axes.
#pragma once

#include <cairo.h>

#include "report_plot.h"

const unsigned plot_axis_colour = 0x303030;
const unsigned plot_grid_colour = 0xdddddd;
const unsigned plot_frozen_colour = 0x505050;

void set_colour(cairo_t *cr, unsigned rgb, double alpha = 1);
void line(cairo_t *cr, double x0, double y0, double x1, double y1);

// Text with its baseline at y; `align` 0 puts x at its left end, 0.5 middle, 1 right end.
void text(cairo_t *cr, double x, double y, double align, const char *string);

void clip_to(cairo_t *cr, const PlotPanel *panel);

// The panel's name (its baseline `name_above` over the panel), grid lines and numbers;
// `largest` caps the numbers (PSNR stops at 100).
void draw_value_axis(cairo_t *cr, const PlotPanel *panel, const char *name, double largest,
                     double name_above = 6);

// The frame numbers under the panel and its frame.
void draw_frame_axis(cairo_t *cr, const PlotPanel *panel);

// A legend entry: a line of `width` (dashed or not), or with `filled` a square, and its label.
void legend_entry(cairo_t *cr, double x, double y, unsigned colour, double width, int dashed,
                  const char *label, int filled = 0);

// With more frames than columns, the first frame (index into the range) that column `column`
// of `columns` holds; column c holds the frames from its first to the next column's first.
int first_frame_of_column(int column, int frames, int columns);

// The column that holds frame `frame` (index into the range) by the rule above.
int column_of_frame(int frame, int frames, int columns);

// A level across the panel: a limit, or dashed a pair's global PSNR or mean SSIM.
void draw_level(cairo_t *cr, const PlotPanel *panel, double value, unsigned colour,
                double width, int dashed);
