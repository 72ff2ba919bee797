// Drawing helpers that the plot's panels share.
#include "plot_drawing.h"

#include <cmath>
#include <cstdio>

#include "report.h"

static const double mean_dash[] = {6, 4};

void set_colour(cairo_t *cr, unsigned rgb, double alpha)
{
    cairo_set_source_rgba(cr, (rgb >> 16) / 255.0, (rgb >> 8 & 0xff) / 255.0,
                          (rgb & 0xff) / 255.0, alpha);
}

void line(cairo_t *cr, double x0, double y0, double x1, double y1)
{
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    cairo_stroke(cr);
}

void text(cairo_t *cr, double x, double y, double align, const char *string)
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

void clip_to(cairo_t *cr, const PlotPanel *panel)
{
    cairo_rectangle(cr, panel->left, panel->top, panel->width, panel->height);
    cairo_clip(cr);
}

void draw_value_axis(cairo_t *cr, const PlotPanel *panel, const char *name, double largest,
                     double name_above)
{
    double step = plot_tick_step(panel->high - panel->low, plot_most_value_ticks);
    char label[32];
    set_colour(cr, plot_axis_colour);
    text(cr, panel->left, panel->top - name_above, 0, name);
    cairo_set_line_width(cr, 1);
    for (double value = std::ceil(panel->low / step) * step; value <= panel->high;
         value += step) {
        if (value > largest + step / 2)
            break;
        double y = std::round(plot_y(panel, value)) + 0.5;
        set_colour(cr, plot_grid_colour);
        line(cr, panel->left, y, panel->left + panel->width, y);
        set_colour(cr, plot_axis_colour);
        line(cr, panel->left - 4, y, panel->left, y);
        snprintf(label, sizeof label, "%.*f", decimals_of(step), std::fabs(value) < step / 2 ? 0 : value);
        text(cr, panel->left - 7, y + 4, 1, label);
    }
}

void draw_frame_axis(cairo_t *cr, const PlotPanel *panel)
{
    int last = panel->first_frame + panel->frames - 1;
    double step = plot_tick_step(panel->frames, plot_most_frame_ticks);
    if (step < 1)
        step = 1;
    double bottom = panel->top + panel->height;
    char label[32];
    set_colour(cr, plot_axis_colour);
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

void legend_entry(cairo_t *cr, double x, double y, unsigned colour, double width, int dashed,
                  const char *label, int filled)
{
    cairo_save(cr);
    set_colour(cr, colour);
    cairo_set_line_width(cr, width);
    if (dashed)
        cairo_set_dash(cr, mean_dash, 2, 0);
    if (filled) {
        cairo_rectangle(cr, x + 7, y - 9, 10, 10);
        cairo_fill(cr);
    } else {
        line(cr, x, y - 4, x + 24, y - 4);
    }
    cairo_restore(cr);
    set_colour(cr, plot_axis_colour);
    text(cr, x + 30, y, 0, label);
}

void draw_level(cairo_t *cr, const PlotPanel *panel, double value, unsigned colour,
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

int first_frame_of_column(int column, int frames, int columns)
{
    return (int)((long long)column * frames / columns);
}

// The last column whose first frame is at most `frame`: c * frames < (frame + 1) * columns.
int column_of_frame(int frame, int frames, int columns)
{
    return (int)((((long long)frame + 1) * columns - 1) / frames);
}
