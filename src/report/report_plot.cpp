// The plot of the report, drawn with cairo into PNG, SVG or PDF. Frames are reduced to
// one minimum and maximum per column of the data area before anything is drawn, so that
// 100,000 frames cost about as much as a thousand and a one-frame dip stays visible.
// Identical frames (100 dB) leave the PSNR axis to the others and get a row of their own.
#include "report_plot.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "plot_drawing.h"
#include "plot_sizes.h"
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
static const unsigned note_colour = 0x707070;
static const double identical_psnr = 100;  // what identical frames measure
static const char font[] = "sans-serif";
static const double text_size = 11;
static const double title_size = 15;
static const double series_line_width = 1.5;
static const double band_alpha = 0.35;     // the fill between a column's minimum and maximum
static const double psnr_range_for_none[2] = {20, 50};  // with no frame to span

static FILE *plot_file;  // opened before the run, written and closed at its end
static float column_low[plot_page_width];  // one column's minimum and maximum, per column
static float column_high[plot_page_width];

// Each column's minimum and maximum over the frames that fall into it, leaving out values
// at or above `gap` (identical frames); a column without any other gets high < low.
static void reduce_to_columns(const float *values, int frames, int columns, float gap)
{
    for (int column = 0; column < columns; column++) {
        int from = first_frame_of_column(column, frames, columns);
        int to = first_frame_of_column(column + 1, frames, columns);
        float low = INFINITY, high = -INFINITY;
        for (int i = from; i < to; i++) {
            if (values[i] >= gap)
                continue;
            low = values[i] < low ? values[i] : low;
            high = values[i] > high ? values[i] : high;
        }
        column_low[column] = low;
        column_high[column] = high;
    }
}

// One band per run of columns that hold values; a run of one column gets a little width.
static void band_paths(cairo_t *cr, const PlotPanel *panel, int columns)
{
    for (int first = 0, last; first < columns; first = last + 1) {
        if (column_high[first] < column_low[first]) {
            last = first;
            continue;
        }
        for (last = first; last + 1 < columns && column_high[last + 1] >= column_low[last + 1];)
            last++;
        double x = panel->left + first + 0.5;
        if (first == last) {
            cairo_move_to(cr, x - 1.5, plot_y(panel, column_high[first]));
            cairo_line_to(cr, x + 1.5, plot_y(panel, column_high[first]));
            cairo_line_to(cr, x + 1.5, plot_y(panel, column_low[first]));
            cairo_line_to(cr, x - 1.5, plot_y(panel, column_low[first]));
            cairo_close_path(cr);
            continue;
        }
        cairo_move_to(cr, x, plot_y(panel, column_high[first]));
        for (int column = first + 1; column <= last; column++)
            cairo_line_to(cr, panel->left + column + 0.5, plot_y(panel, column_high[column]));
        for (int column = last; column >= first; column--)
            cairo_line_to(cr, panel->left + column + 0.5, plot_y(panel, column_low[column]));
        cairo_close_path(cr);
    }
}

// One line through the frames, or with more frames than columns a band from each
// column's minimum to its maximum. Values at or above `gap` break the line: identical
// frames have their own row.
static void draw_series(cairo_t *cr, const PlotPanel *panel, const float *values, int frames,
                        unsigned colour, float gap)
{
    int columns = (int)panel->width;
    cairo_save(cr);
    clip_to(cr, panel);
    cairo_set_line_width(cr, series_line_width);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    set_colour(cr, colour);
    if (frames <= columns) {
        for (int i = 0, run = 0; i < frames; i++) {
            if (values[i] >= gap) {
                run = 0;
                continue;
            }
            double x = plot_x(panel, panel->first_frame + i), y = plot_y(panel, values[i]);
            if (run++ == 0)
                cairo_move_to(cr, x, y);
            else
                cairo_line_to(cr, x, y);
            if (run == 1 && (i + 1 == frames || values[i + 1] >= gap)) {  // a lone frame
                cairo_move_to(cr, x - 3, y);
                cairo_line_to(cr, x + 3, y);
            }
        }
        cairo_stroke(cr);
    } else {
        reduce_to_columns(values, frames, columns, gap);
        band_paths(cr, panel, columns);
        set_colour(cr, colour, band_alpha);
        cairo_fill_preserve(cr);
        set_colour(cr, colour);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}

static bool any_identical(int pair)
{
    for (int i = 0; i < plot_values.frames; i++)
        if (plot_values.psnr[pair][i] >= identical_psnr)
            return true;
    return false;
}

// Over the PSNR panel, a row labelled "identical" with a lane per pair, marked in the pair's
// colour at its identical frames (with more frames than columns, at each column holding one).
static void draw_identical_row(cairo_t *cr, const PlotPanel *psnr, double top)
{
    double lane = (plot_identical_row_height - 4) / report_state.pair_count;
    int frames = plot_values.frames, columns = (int)psnr->width;
    set_colour(cr, plot_axis_colour);
    text(cr, psnr->left - 7, top + 11, 1, "identical");
    for (int pair = 1; pair <= report_state.pair_count; pair++) {
        const float *psnr_of = plot_values.psnr[pair];
        double lane_top = top + 1 + (pair - 1) * lane;
        set_colour(cr, plot_pair_colour[pair]);
        if (frames <= columns) {
            double half = psnr->width / frames / 2;
            for (int i = 0; i < frames; i++)
                if (psnr_of[i] >= identical_psnr)
                    cairo_rectangle(cr, plot_x(psnr, psnr->first_frame + i) - half, lane_top,
                                    2 * half, lane);
        } else {
            for (int column = 0; column < columns; column++) {
                int to = first_frame_of_column(column + 1, frames, columns);
                int i = first_frame_of_column(column, frames, columns);
                while (i < to && psnr_of[i] < identical_psnr)
                    i++;
                if (i < to)
                    cairo_rectangle(cr, psnr->left + column, lane_top, 1, lane);
            }
        }
        cairo_fill(cr);
    }
}

// A short stroke under the PSNR panel at every frame at which the sequence was held.
static void draw_frozen_row(cairo_t *cr, const PlotPanel *panel, int row, int sequence)
{
    const unsigned char *frozen = plot_values.frozen[sequence];
    double top =
        panel->top + panel->height + plot_tick_label_height + row * plot_frozen_row_height + 3;
    char name[32];
    snprintf(name, sizeof name, "%s frozen", sequence_short_name(sequence));
    set_colour(cr, plot_axis_colour);
    text(cr, panel->left - 7, top + 9, 1, name);
    set_colour(cr, plot_frozen_colour);
    cairo_set_line_width(cr, 1);
    int columns = (int)panel->width;
    double last_x = -1;
    for (int i = 0; i < plot_values.frames; i++) {
        // With more frames than columns, one stroke per column that holds a frozen frame.
        double x = plot_values.frames <= columns ? plot_x(panel, panel->first_frame + i)
                                          : panel->left + column_of_frame(i, plot_values.frames, columns) + 0.5;
        if (!frozen[i] || x == last_x)
            continue;
        cairo_move_to(cr, x, top);
        cairo_line_to(cr, x, top + plot_frozen_row_height - 5);
        last_x = x;
    }
    cairo_stroke(cr);
}

// The PSNR of the pair's mean squared error over the range, as the summary gives it.
static double global_psnr_of(int pair)
{
    return series_global(&report_state.pair_summary[pair][metric_psnr_y]);
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
        snprintf(label, sizeof label, "global %.2f dB", global_psnr_of(pair));
        if (plot_values.frames)
            legend_entry(cr, x, y + 15, plot_pair_colour[pair], 1, 1, label);
    }
    legend_entry(cr, x, y, upper_limit_colour, 1, 0, "40 dB");
    legend_entry(cr, x, y + 15, lower_limit_colour, 1, 0, "30 dB");
    if (any_frozen)
        legend_entry(cr, x, y + 30, plot_frozen_colour, 1, 0, "frozen frame");
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
    set_colour(cr, plot_axis_colour);
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

// The extent of the pairs' values below `gap` (identical frames have their own row); min
// stays above max when there is none.
static void value_extent(const float *const *series, float gap, double *min, double *max)
{
    *min = INFINITY;
    *max = -INFINITY;
    for (int pair = 1; pair <= report_state.pair_count; pair++)
        for (int i = 0; i < plot_values.frames; i++) {
            if (series[pair][i] >= gap)
                continue;
            *min = series[pair][i] < *min ? series[pair][i] : *min;
            *max = series[pair][i] > *max ? series[pair][i] : *max;
        }
}

static void draw_plot(cairo_t *cr, const PlotPage *page, const PlotContent *content)
{
    const PlotPanel *psnr = &page->psnr, *ssim = &page->ssim;
    int with_ssim = content->with_ssim;
    set_colour(cr, 0xffffff);
    cairo_paint(cr);
    draw_title(cr, with_ssim);
    double row = content->identical_row ? plot_identical_row_height : 0;
    draw_value_axis(cr, psnr, "luma PSNR (dB)", identical_psnr, 6 + row);
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
        draw_level(cr, psnr, global_psnr_of(pair), colour, 1, 1);
        draw_series(cr, psnr, plot_values.psnr[pair], plot_values.frames, colour, identical_psnr);
        if (with_ssim) {
            draw_level(cr, ssim, mean_ssim_of(pair), colour, 1, 1);
            draw_series(cr, ssim, plot_values.ssim[pair], plot_values.frames, colour, INFINITY);
        }
    }
    if (content->identical_row)
        draw_identical_row(cr, psnr, page->identical_top);
    set_colour(cr, note_colour);
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
    for (int n = 1, panel = 0; n <= settings.expand; n++)
        if (plot_values.type[n])
            draw_size_panel(cr, &page->sizes[panel++], n);
}

// What the page shows: the extents of the values, the identical row, the size panels.
static PlotContent plot_content()
{
    PlotContent content = {};
    content.first_frame = playhead.start_frame;
    content.frames = plot_values.frames;
    content.with_ssim = report_options.ssim && report_state.pair_count > 0;
    content.psnr_min = psnr_range_for_none[0];
    content.psnr_max = psnr_range_for_none[1];
    content.ssim_min = 0.9;  // shown for no frames
    content.ssim_max = 1;
    double min, max;
    value_extent(plot_values.psnr, identical_psnr, &min, &max);
    if (min <= max) {
        content.psnr_min = min;
        content.psnr_max = max;
    }
    if (content.with_ssim && plot_values.frames > 0)
        value_extent(plot_values.ssim, INFINITY, &content.ssim_min, &content.ssim_max);
    for (int pair = 1; pair <= report_state.pair_count; pair++)
        content.identical_row |= any_identical(pair);
    for (int n = 1; n <= settings.expand; n++)
        if (plot_values.type[n])
            content.most_bytes[content.size_panels++] = most_bytes_of(n);
    return content;
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
    PlotContent content = plot_content();
    PlotPage page;
    plot_layout(&content, &page);
    int width = page.width, height = page.height;
    int format = plot_format_of(report_options.plot_path);
    cairo_surface_t *surface =
        format == plot_png ? cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height)
        : format == plot_svg
            ? cairo_svg_surface_create_for_stream(write_to_plot_file, nullptr, width, height)
            : cairo_pdf_surface_create_for_stream(write_to_plot_file, nullptr, width, height);
    cairo_t *cr = cairo_create(surface);
    cairo_select_font_face(cr, font, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, text_size);
    draw_plot(cr, &page, &content);
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
