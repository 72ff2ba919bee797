// The report's plot: luma PSNR (and SSIM) of every pair against frame number over the
// whole range, and each decoded sequence's frame sizes, drawn with cairo from the values
// plot_values.cpp keeps.
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

const double plot_identical_row_height = 16;  // the row of identical frames over the PSNR panel

// What the page shows, which sets the layout.
struct PlotContent {
    int first_frame, frames;
    double psnr_min, psnr_max;  // of the frames that are not identical
    int identical_row;          // some frames are identical: a row over the PSNR panel
    int with_ssim;
    double ssim_min, ssim_max;
    int size_panels;            // one per decoded sequence, in order under the others
    double most_bytes[3];       // each one's largest frame
};

// The panels and the page size. They share the frame axis; the PSNR and SSIM ranges follow
// the data with a margin (a flat series gets a small range around it), the sizes start at 0.
struct PlotPage {
    PlotPanel psnr, ssim, sizes[3];
    double identical_top;  // the identical row's top, when it is there
    int width, height;
};
void plot_layout(const PlotContent *content, PlotPage *page);

extern const unsigned plot_pair_colour[4];  // 0xRRGGBB of pair 1..3

// The colour of a frame's bar by its type: I, P and B their own, any other (and '?') one more.
unsigned plot_type_colour(char type);

// Opens -plot's file; a path that cannot be written ends the run with status 1.
void open_plot_file();

// Draws the kept values into the file and closes it; a failed write: status 1.
void write_plot();
