// The report's plot: luma PSNR (and SSIM) of every pair against frame number over the
// whole range, drawn with cairo from the values plot_values.cpp keeps.
#pragma once

enum PlotFormat { plot_png, plot_svg, plot_pdf };

// Geometry that the layout and the drawing share, in plot units.
const int plot_page_width = 1200;
const double plot_margin_left = 84;        // value labels and frozen-row names
const double plot_tick_label_height = 18;  // frame numbers below each panel
const double plot_frozen_row_height = 14;  // one row of frozen marks per sequence
const int plot_most_frame_ticks = 10;
const int plot_most_value_ticks = 7;

// The format that the extension of `path` names (any case), or -1 for none of them.
int plot_format_of(const char *path);

// A panel's data area in plot units (pixels of the PNG, points of SVG and PDF) and the
// values it maps. Frame first_frame + i sits in the middle of slot i of `frames` equal
// slots across the width; `low` lies on the bottom edge, `high` on the top edge.
struct PlotPanel {
    double left, top, width, height;
    int first_frame, frames;
    double low, high;
};

// The documented axis mapping, which the drawing uses and tests check against.
double plot_x(const PlotPanel *panel, double frame);
double plot_y(const PlotPanel *panel, double value);

// Steps of 1, 2 or 5 times a power of ten, giving at most about `most` steps over `span`.
double plot_tick_step(double span, int most);

// The layout for `frames` frames from `first_frame` whose luma PSNR spans psnr_min..
// psnr_max (and SSIM ssim_min..ssim_max when `with_ssim`): the panels and the page size.
// The y ranges follow the data with a margin; a flat series gets a small range around it.
void plot_layout(int first_frame, int frames, double psnr_min, double psnr_max, int with_ssim,
                 double ssim_min, double ssim_max, PlotPanel *psnr, PlotPanel *ssim,
                 int *page_width, int *page_height);

extern const unsigned plot_pair_colour[4];  // 0xRRGGBB of pair 1..3

// Opens -plot's file; a path that cannot be written ends the run with status 1.
void open_plot_file();

// Draws the kept values into the file and closes it; a failed write: status 1.
void write_plot();
