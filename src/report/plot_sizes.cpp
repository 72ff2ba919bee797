// The frame-size panels. With more frames than columns each column shows its largest frame
// in that frame's colour, so that cost stays bounded and a lone large I frame stays visible.
#include "plot_sizes.h"

#include <cstdio>
#include <cstring>

#include "plot_drawing.h"
#include "report.h"
#include "common/labels.h"

// Colours of the types: I red, P blue, B green, others grey.
static const char typed[] = "IPB";
static const unsigned typed_colour[] = {0xd0402a, 0x3a6fc4, 0x3e9a4a};
static const unsigned other_type_colour = 0x9a9a9a;
static const double bar_share = 0.7;  // of a frame's slot, with fewer frames than columns
static const double frozen_mark_height = 5;

// Each column's largest frame (bytes and type; type 0 for none) and whether it holds a frame
// that was held.
static int64_t column_bytes[plot_page_width];
static char column_type[plot_page_width];
static bool column_frozen[plot_page_width];

unsigned plot_type_colour(char type)
{
    const char *at = type ? strchr(typed, type) : nullptr;
    return at ? typed_colour[at - typed] : other_type_colour;
}

static bool has_bar(int n, int i)
{
    return plot_values.type[n][i] && plot_values.bytes[n][i] >= 0;
}

static bool held(int n, int i)
{
    return n > 1 && plot_values.frozen[n][i];
}

double most_bytes_of(int n)
{
    int64_t most = 0;
    for (int i = 0; i < plot_values.frames; i++)
        if (has_bar(n, i) && plot_values.bytes[n][i] > most)
            most = plot_values.bytes[n][i];
    return (double)most;
}

static void bar(cairo_t *cr, const PlotPanel *panel, double x0, double x1, int64_t bytes,
                char type)
{
    double bottom = panel->top + panel->height;
    set_colour(cr, plot_type_colour(type));
    cairo_rectangle(cr, x0, plot_y(panel, (double)bytes), x1 - x0,
                    bottom - plot_y(panel, (double)bytes));
    cairo_fill(cr);
}

static void frozen_mark(cairo_t *cr, const PlotPanel *panel, double x0, double x1)
{
    double bottom = panel->top + panel->height;
    set_colour(cr, plot_frozen_colour);
    cairo_rectangle(cr, x0, bottom - frozen_mark_height, x1 - x0, frozen_mark_height);
    cairo_fill(cr);
}

static void reduce_to_columns(int n, int columns)
{
    for (int column = 0; column < columns; column++) {
        int from = first_frame_of_column(column, plot_values.frames, columns);
        int to = first_frame_of_column(column + 1, plot_values.frames, columns);
        column_bytes[column] = -1;
        column_type[column] = 0;
        column_frozen[column] = false;
        for (int i = from; i < to; i++) {
            column_frozen[column] |= held(n, i);
            if (has_bar(n, i) && plot_values.bytes[n][i] > column_bytes[column]) {
                column_bytes[column] = plot_values.bytes[n][i];
                column_type[column] = plot_values.type[n][i];
            }
        }
    }
}

static void draw_bars(cairo_t *cr, const PlotPanel *panel, int n)
{
    int columns = (int)panel->width, frames = plot_values.frames;
    cairo_save(cr);
    clip_to(cr, panel);
    if (frames <= columns) {
        double half = bar_share * panel->width / frames / 2;
        half = half < 0.5 ? 0.5 : half;
        for (int i = 0; i < frames; i++) {
            double x = plot_x(panel, panel->first_frame + i);
            if (has_bar(n, i))
                bar(cr, panel, x - half, x + half, plot_values.bytes[n][i], plot_values.type[n][i]);
            else if (held(n, i))
                frozen_mark(cr, panel, x - half, x + half);
        }
    } else {
        reduce_to_columns(n, columns);
        for (int column = 0; column < columns; column++) {
            double x = panel->left + column;
            if (column_type[column])
                bar(cr, panel, x, x + 1, column_bytes[column], column_type[column]);
            else if (column_frozen[column])
                frozen_mark(cr, panel, x, x + 1);
        }
    }
    cairo_restore(cr);
}

// The types the panel shows, I, P and B always, others and held frames when there are any.
static void draw_type_legend(cairo_t *cr, const PlotPanel *panel, int n)
{
    double x = panel->left + panel->width + 16, y = panel->top + 12;
    static const char *const names[] = {"I frame", "P frame", "B frame"};
    for (int t = 0; typed[t]; t++, y += 15)
        legend_entry(cr, x, y, typed_colour[t], 1, 0, names[t], 1);
    bool other = false, any_held = false;
    for (int i = 0; i < plot_values.frames; i++) {
        other |= plot_values.type[n][i] && !strchr(typed, plot_values.type[n][i]);
        any_held |= held(n, i);
    }
    if (other) {
        legend_entry(cr, x, y, other_type_colour, 1, 0, "other or ?", 1);
        y += 15;
    }
    if (any_held)
        legend_entry(cr, x, y, plot_frozen_colour, 1, 0, "frozen", 1);
}

void draw_size_panel(cairo_t *cr, const PlotPanel *panel, int n)
{
    char name[300];
    snprintf(name, sizeof name, "%s frame size (bytes)", sequence_short_name(n));
    draw_value_axis(cr, panel, name, panel->high);
    if (plot_values.frames > 0)
        draw_bars(cr, panel, n);
    draw_frame_axis(cr, panel);
    if (plot_values.frames > 0)
        draw_type_legend(cr, panel, n);
}
