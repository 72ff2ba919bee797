// The plot of the report, drawn with cairo into PNG, SVG or PDF. Frames are reduced to
// one minimum and maximum per column of the data area before anything is drawn, so that
// 100,000 frames cost about as much as a thousand and a one-frame dip stays visible.
#include "report_plot.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "plot_title.h"
#include "report.h"
#include "common/die.h"
#include "common/labels.h"
#include "common/pairs.h"
#include "common/region.h"
#include "common/settings.h"
#include "source/sequence.h"

static const double title_right_margin = 16;  // the file names end this far from the edge

// Colours: the viewer's red and green for its 30 dB and 40 dB limits.
const unsigned plot_pair_colour[4] = {0, 0x1f4fd0, 0xc08a00, 0x9030b0};
static const unsigned lower_limit_colour = 0xcd3700;
static const unsigned upper_limit_colour = 0x548b54;
static const double psnr_lower_limit = 30;
static const double psnr_upper_limit = 40;
static const unsigned axis_colour = 0x303030;
static const unsigned grid_colour = 0xdddddd;
static const unsigned frozen_colour = 0x505050;
static const unsigned note_colour = 0x707070;
static const double identical_psnr = 100;  // what identical frames measure
static const char font[] = "sans-serif";
static const double text_size = 11;
static const double title_size = 15;
static const double series_line_width = 1.5;
static const double band_alpha = 0.35;     // the fill between a column's minimum and maximum
static const double mean_dash[] = {6, 4};

static FILE *plot_file;  // opened before the run, written and closed at its end
static float column_low[plot_page_width];  // one column's minimum and maximum, per column
static float column_high[plot_page_width];

static void set_colour(cairo_t *cr, unsigned rgb, double alpha = 1)
{
    cairo_set_source_rgba(cr, (rgb >> 16) / 255.0, (rgb >> 8 & 0xff) / 255.0,
                          (rgb & 0xff) / 255.0, alpha);
}

static void line(cairo_t *cr, double x0, double y0, double x1, double y1)
{
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    cairo_stroke(cr);
}

// Text with its baseline at y; `align` 0 puts x at its left end, 0.5 middle, 1 right end.
static void text(cairo_t *cr, double x, double y, double align, const char *string)
{
    cairo_text_extents_t extents;
    cairo_text_extents(cr, string, &extents);
    cairo_move_to(cr, x - align * extents.x_advance, y);
    cairo_show_text(cr, string);
}

static int decimals_of(double step)
{
    return step >= 1 ? 0 : (int)std::ceil(-std::log10(step) - 1e-9);
}

static void clip_to(cairo_t *cr, const PlotPanel *panel)
{
    cairo_rectangle(cr, panel->left, panel->top, panel->width, panel->height);
    cairo_clip(cr);
}

// The panel's name, grid lines and numbers; `largest` caps the numbers (PSNR stops at 100).
static void draw_value_axis(cairo_t *cr, const PlotPanel *panel, const char *name, double largest)
{
    double step = plot_tick_step(panel->high - panel->low, plot_most_value_ticks);
    char label[32];
    set_colour(cr, axis_colour);
    text(cr, panel->left, panel->top - 6, 0, name);
    cairo_set_line_width(cr, 1);
    for (double value = std::ceil(panel->low / step) * step; value <= panel->high;
         value += step) {
        if (value > largest + step / 2)
            break;
        double y = std::round(plot_y(panel, value)) + 0.5;
        set_colour(cr, grid_colour);
        line(cr, panel->left, y, panel->left + panel->width, y);
        set_colour(cr, axis_colour);
        line(cr, panel->left - 4, y, panel->left, y);
        snprintf(label, sizeof label, "%.*f", decimals_of(step), std::fabs(value) < step / 2 ? 0 : value);
        text(cr, panel->left - 7, y + 4, 1, label);
    }
}

static void draw_frame_axis(cairo_t *cr, const PlotPanel *panel)
{
    int last = panel->first_frame + panel->frames - 1;
    double step = plot_tick_step(panel->frames, plot_most_frame_ticks);
    if (step < 1)
        step = 1;
    double bottom = panel->top + panel->height;
    char label[32];
    set_colour(cr, axis_colour);
    cairo_set_line_width(cr, 1);
    for (double frame = std::ceil(panel->first_frame / step) * step; plot_values.frames && frame <= last;
         frame += step) {
        double x = std::round(plot_x(panel, frame)) + 0.5;
        line(cr, x, bottom, x, bottom + 4);
        snprintf(label, sizeof label, "%.0f", frame);
        text(cr, x, bottom + 15, 0.5, label);
    }
    text(cr, panel->left + panel->width + 8, bottom + 15, 0, "frame");
    cairo_rectangle(cr, panel->left - 0.5, panel->top - 0.5, panel->width + 1, panel->height + 1);
    cairo_stroke(cr);
}

// Each column's minimum and maximum over the frames that fall into it.
static void reduce_to_columns(const float *values, int frames, int columns)
{
    for (int column = 0; column < columns; column++) {
        int from = (int)((long long)column * frames / columns);
        int to = (int)((long long)(column + 1) * frames / columns);
        float low = values[from], high = values[from];
        for (int i = from + 1; i < to; i++) {
            low = values[i] < low ? values[i] : low;
            high = values[i] > high ? values[i] : high;
        }
        column_low[column] = low;
        column_high[column] = high;
    }
}

// One line through the frames, or with more frames than columns a band from each
// column's minimum to its maximum.
static void draw_series(cairo_t *cr, const PlotPanel *panel, const float *values, int frames,
                        unsigned colour)
{
    int columns = (int)panel->width;
    cairo_save(cr);
    clip_to(cr, panel);
    cairo_set_line_width(cr, series_line_width);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    set_colour(cr, colour);
    if (frames <= columns) {
        for (int i = 0; i < frames; i++)
            cairo_line_to(cr, plot_x(panel, panel->first_frame + i), plot_y(panel, values[i]));
        if (frames == 1) {
            double x = plot_x(panel, panel->first_frame), y = plot_y(panel, values[0]);
            cairo_move_to(cr, x - 3, y);
            cairo_line_to(cr, x + 3, y);
        }
        cairo_stroke(cr);
    } else {
        reduce_to_columns(values, frames, columns);
        for (int column = 0; column < columns; column++)
            cairo_line_to(cr, panel->left + column + 0.5, plot_y(panel, column_high[column]));
        for (int column = columns - 1; column >= 0; column--)
            cairo_line_to(cr, panel->left + column + 0.5, plot_y(panel, column_low[column]));
        cairo_close_path(cr);
        set_colour(cr, colour, band_alpha);
        cairo_fill_preserve(cr);
        set_colour(cr, colour);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}

static void draw_level(cairo_t *cr, const PlotPanel *panel, double value, unsigned colour,
                       double width, int dashed)
{
    cairo_save(cr);
    clip_to(cr, panel);
    set_colour(cr, colour);
    cairo_set_line_width(cr, width);
    if (dashed)
        cairo_set_dash(cr, mean_dash, 2, 0);
    double y = plot_y(panel, value);
    line(cr, panel->left, y, panel->left + panel->width, y);
    cairo_restore(cr);
}

// A short stroke under the PSNR panel at every frame at which the sequence was held.
static void draw_frozen_row(cairo_t *cr, const PlotPanel *panel, int row, int sequence)
{
    const unsigned char *frozen = plot_values.frozen[sequence];
    double top =
        panel->top + panel->height + plot_tick_label_height + row * plot_frozen_row_height + 3;
    char name[32];
    snprintf(name, sizeof name, "%s frozen", sequence_short_name(sequence));
    set_colour(cr, axis_colour);
    text(cr, panel->left - 7, top + 9, 1, name);
    set_colour(cr, frozen_colour);
    cairo_set_line_width(cr, 1);
    int columns = (int)panel->width;
    double last_x = -1;
    for (int i = 0; i < plot_values.frames; i++) {
        // With more frames than columns, one stroke per column that holds a frozen frame.
        double x = plot_values.frames <= columns ? plot_x(panel, panel->first_frame + i)
                                          : panel->left + (int)((long long)i * columns / plot_values.frames) + 0.5;
        if (!frozen[i] || x == last_x)
            continue;
        cairo_move_to(cr, x, top);
        cairo_line_to(cr, x, top + plot_frozen_row_height - 5);
        last_x = x;
    }
    cairo_stroke(cr);
}

static void legend_entry(cairo_t *cr, double x, double y, unsigned colour, double width,
                         int dashed, const char *label)
{
    cairo_save(cr);
    set_colour(cr, colour);
    cairo_set_line_width(cr, width);
    if (dashed)
        cairo_set_dash(cr, mean_dash, 2, 0);
    line(cr, x, y - 4, x + 24, y - 4);
    cairo_restore(cr);
    set_colour(cr, axis_colour);
    text(cr, x + 30, y, 0, label);
}

static double mean_ssim_of(int pair)
{
    return series_mean(&report_state.pair_summary[pair][metric_ssim]);
}

static void draw_legends(cairo_t *cr, const PlotPanel *psnr, const PlotPanel *ssim,
                         int with_ssim, int any_frozen)
{
    double x = psnr->left + psnr->width + 16, y = psnr->top + 12;
    char label[64];
    for (int pair = 1; pair <= report_state.pair_count; pair++, y += 34) {
        snprintf(label, sizeof label, "%s", pair_caption(pair));  // a long label is cut
        legend_entry(cr, x, y, plot_pair_colour[pair], series_line_width, 0, label);
        snprintf(label, sizeof label, "mean %.2f dB",
                 series_mean(&report_state.pair_summary[pair][metric_psnr_y]));
        if (plot_values.frames)
            legend_entry(cr, x, y + 15, plot_pair_colour[pair], 1, 1, label);
    }
    legend_entry(cr, x, y, upper_limit_colour, 1, 0, "40 dB");
    legend_entry(cr, x, y + 15, lower_limit_colour, 1, 0, "30 dB");
    if (any_frozen)
        legend_entry(cr, x, y + 30, frozen_colour, 1, 0, "frozen frame");
    if (!with_ssim || !plot_values.frames)
        return;
    y = ssim->top + 12;
    for (int pair = 1; pair <= report_state.pair_count; pair++, y += 15) {
        snprintf(label, sizeof label, "SSIM mean %.4f", mean_ssim_of(pair));
        legend_entry(cr, x, y, plot_pair_colour[pair], 1, 1, label);
    }
}

static void draw_title(cairo_t *cr, int with_ssim)
{
    char region[48];
    region_text(settings.cropping.region, region, sizeof region);
    std::string title = plot_title(with_ssim, playhead.start_frame, plot_values.frames,
                                   settings.cropping.text ? region : nullptr);
    const char *const names[3] = {sequences[1].yuvname, sequences[2].yuvname,
                                  sequences[3].yuvname};
    set_colour(cr, axis_colour);
    cairo_select_font_face(cr, font, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, title_size);
    text(cr, plot_margin_left, 24, 0, title.c_str());
    cairo_select_font_face(cr, font, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, text_size);
    const char *const captions[3] = {sequence_short_name(1), sequence_short_name(2),
                                     sequence_short_name(3)};
    std::string files = plot_file_names(cr, captions, names, settings.expand,
                                        plot_page_width - plot_margin_left - title_right_margin);
    text(cr, plot_margin_left, 44, 0, files.c_str());
}

static void value_extent(const float *const *series, double *min, double *max)
{
    *min = INFINITY;
    *max = -INFINITY;
    for (int pair = 1; pair <= report_state.pair_count; pair++)
        for (int i = 0; i < plot_values.frames; i++) {
            *min = series[pair][i] < *min ? series[pair][i] : *min;
            *max = series[pair][i] > *max ? series[pair][i] : *max;
        }
}

static void draw_plot(cairo_t *cr, const PlotPanel *psnr, const PlotPanel *ssim, int with_ssim,
                      double psnr_max)
{
    set_colour(cr, 0xffffff);
    cairo_paint(cr);
    draw_title(cr, with_ssim);
    draw_value_axis(cr, psnr, "luma PSNR (dB)", identical_psnr);
    draw_level(cr, psnr, psnr_lower_limit, lower_limit_colour, 1, 0);
    draw_level(cr, psnr, psnr_upper_limit, upper_limit_colour, 1, 0);
    if (with_ssim)
        draw_value_axis(cr, ssim, "luma SSIM", 1);
    int any_frozen = 0;
    for (int n = 2; n <= settings.expand; n++)
        for (int i = 0; i < plot_values.frames && !any_frozen; i++)
            any_frozen = plot_values.frozen[n][i];
    for (int pair = 1; pair <= report_state.pair_count && plot_values.frames > 0; pair++) {
        unsigned colour = plot_pair_colour[pair];
        draw_level(cr, psnr, series_mean(&report_state.pair_summary[pair][metric_psnr_y]), colour, 1, 1);
        draw_series(cr, psnr, plot_values.psnr[pair], plot_values.frames, colour);
        if (with_ssim) {
            draw_level(cr, ssim, mean_ssim_of(pair), colour, 1, 1);
            draw_series(cr, ssim, plot_values.ssim[pair], plot_values.frames, colour);
        }
    }
    set_colour(cr, note_colour);
    if (psnr_max >= identical_psnr)
        text(cr, psnr->left + psnr->width - 6, plot_y(psnr, identical_psnr) - 5, 1,
             "100 dB: identical frames");
    if (plot_values.frames == 0)
        text(cr, psnr->left + psnr->width / 2, psnr->top + psnr->height / 2, 0.5,
             "no frames in the range");
    draw_frame_axis(cr, psnr);
    if (with_ssim)
        draw_frame_axis(cr, ssim);
    for (int n = 2, row = 0; n <= settings.expand; n++)
        if (sequences[n].fr)
            draw_frozen_row(cr, psnr, row++, n);
    draw_legends(cr, psnr, ssim, with_ssim, any_frozen);
}

void open_plot_file()
{
    plot_file = fopen(report_options.plot_path, "wb");
    if (!plot_file)
        die(1, "%s: can not be written: %s\n", report_options.plot_path, strerror(errno));
}

// The first write error: cairo's PDF surface stops writing on one but reports success.
static int plot_write_error;

static cairo_status_t write_to_plot_file(void *, const unsigned char *data, unsigned int length)
{
    if (fwrite(data, 1, length, plot_file) == length)
        return CAIRO_STATUS_SUCCESS;
    plot_write_error = plot_write_error ? plot_write_error : errno;
    return CAIRO_STATUS_WRITE_ERROR;
}

void write_plot()
{
    int with_ssim = report_options.ssim && report_state.pair_count > 0;
    double psnr_min = 20, psnr_max = 50, ssim_min = 0.9, ssim_max = 1;  // shown for no frames
    if (plot_values.frames > 0) {
        value_extent(plot_values.psnr, &psnr_min, &psnr_max);
        if (with_ssim)
            value_extent(plot_values.ssim, &ssim_min, &ssim_max);
    }
    PlotPanel psnr, ssim;
    int width, height;
    plot_layout(playhead.start_frame, plot_values.frames, psnr_min, psnr_max, with_ssim, ssim_min, ssim_max,
                &psnr, &ssim, &width, &height);
    int format = plot_format_of(report_options.plot_path);
    cairo_surface_t *surface =
        format == plot_png ? cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height)
        : format == plot_svg
            ? cairo_svg_surface_create_for_stream(write_to_plot_file, nullptr, width, height)
            : cairo_pdf_surface_create_for_stream(write_to_plot_file, nullptr, width, height);
    cairo_t *cr = cairo_create(surface);
    cairo_select_font_face(cr, font, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, text_size);
    draw_plot(cr, &psnr, &ssim, with_ssim, psnr_max);
    cairo_status_t status = cairo_status(cr);
    cairo_destroy(cr);
    if (status == CAIRO_STATUS_SUCCESS && format == plot_png)
        status = cairo_surface_write_to_png_stream(surface, write_to_plot_file, nullptr);
    cairo_surface_finish(surface);  // SVG and PDF write their ends here
    if (status == CAIRO_STATUS_SUCCESS)
        status = cairo_surface_status(surface);
    cairo_surface_destroy(surface);
    if (fclose(plot_file) != 0 && !plot_write_error)
        plot_write_error = errno;
    if (status != CAIRO_STATUS_SUCCESS)
        die(1, "%s: could not write the plot: %s\n", report_options.plot_path, cairo_status_to_string(status));
    if (plot_write_error)
        die(1, "%s: could not write the plot: %s\n", report_options.plot_path, strerror(plot_write_error));
}
