#include "viewport.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "display.h"
#include "layout.h"
#include "screen_fit.h"
#include "common/region.h"
#include "common/settings.h"
#include "convert/zoom.h"

// The zoom factors as in and out, smallest pictures first; -zoom offers the same.
static const int zoom_steps[][2] = {{1, 8}, {1, 6}, {1, 5}, {1, 4}, {1, 3},
                                    {1, 2}, {1, 1}, {2, 1}, {3, 1}, {4, 1}};
static const int zoom_step_count = sizeof zoom_steps / sizeof *zoom_steps;

ViewSpan view_span(int origin, int pane, int samples, int scale)
{
    // As many samples wherever the view stands, so that the rendered size changes only with
    // the zoom and the pane: enough for the pane after up to two samples of skip.
    int count = std::min(samples, ((pane + 3 * scale - 2) / scale + 1) & ~1);
    int first = std::min(origin / scale & ~1, samples - count);
    return ViewSpan{first, count, origin - first * scale};
}

bool next_zoom(int direction, int *zoom_in, int *zoom_out)
{
    for (int step = 0; step < zoom_step_count; step++) {
        if (zoom_steps[step][0] != *zoom_in || zoom_steps[step][1] != *zoom_out)
            continue;
        int next = step + direction;
        if (next < 0 || next >= zoom_step_count)
            return false;
        *zoom_in = zoom_steps[next][0];
        *zoom_out = zoom_steps[next][1];
        return true;
    }
    return false;
}

int origin_after_zoom(int origin, int pane, int new_pane, int in, int out, int new_in, int new_out)
{
    // The centre in picture samples times in * out, which keeps it whole.
    int64_t centre = (2 * (int64_t)origin + pane) * out * new_in;
    return (int)(centre / (2 * (int64_t)in * new_out)) - new_pane / 2;
}

static int scale() { return settings.zoom_in; }

// The picture as the renderers take it, in samples: the zoomed-out picture when zoomed out.
static int rendered_samples(int size) { return settings.zoom_out > 1 ? shown_size(size, settings.zoom_out, 1) : size; }

static void keep_on_picture()
{
    x11.viewport.x = std::max(0, std::min(x11.viewport.x, picture_shown_width() - shown_width()));
    x11.viewport.y = std::max(0, std::min(x11.viewport.y, picture_shown_height() - shown_height()));
    if (shown_width() < picture_shown_width() || shown_height() < picture_shown_height())
        x11.viewport.reported = true;
}

ViewSpan view_span_x()
{
    return view_span(x11.viewport.x, shown_width(), rendered_samples(settings.cropping.region.width), scale());
}

ViewSpan view_span_y()
{
    return view_span(x11.viewport.y, shown_height(), rendered_samples(settings.cropping.region.height), scale());
}

int rendered_width() { return view_span_x().count * scale(); }
int rendered_height() { return view_span_y().count * scale(); }

void fit_panes_to_window(int width, int height)
{
    panes_for_window(width, height, &x11.viewport.limit_width, &x11.viewport.limit_height);
    keep_on_picture();
}

bool move_view(int dx, int dy)
{
    int x = x11.viewport.x, y = x11.viewport.y;
    x11.viewport.x += dx;
    x11.viewport.y += dy;
    keep_on_picture();
    return x11.viewport.x != x || x11.viewport.y != y;
}

bool zoom_view(int direction, int screen_width, int screen_height)
{
    int in = settings.zoom_in, out = settings.zoom_out, new_in = in, new_out = out;
    if (!next_zoom(direction, &new_in, &new_out))
        return false;
    int old_width = shown_width(), old_height = shown_height();
    settings.zoom_in = new_in, settings.zoom_out = new_out;
    x11.viewport.reported = true;
    int width = screen_width - 2 * main_window_border;
    int height = screen_height - 2 * main_window_border;
    panes_for_window(width, height, &x11.viewport.limit_width, &x11.viewport.limit_height);
    if (!settings.quiet)  // no smaller than before for the info window's sake
        panes_beside_info_window(width, height, std::min(old_width, picture_shown_width()),
                                 std::min(old_height, picture_shown_height()),
                                 &x11.viewport.limit_width, &x11.viewport.limit_height);
    x11.viewport.x = origin_after_zoom(x11.viewport.x, old_width, shown_width(), in, out, settings.zoom_in, settings.zoom_out);
    x11.viewport.y = origin_after_zoom(x11.viewport.y, old_height, shown_height(), in, out, settings.zoom_in, settings.zoom_out);
    keep_on_picture();
    return true;
}

void describe_view(char *text, int size)
{
    char zoom[16];
    if (settings.zoom_out > 1)
        snprintf(zoom, sizeof zoom, "1/%d", settings.zoom_out);
    else
        snprintf(zoom, sizeof zoom, "%d", settings.zoom_in);
    snprintf(text, (size_t)size, "Zoom %s  view %dx%d+%d+%d", zoom, shown_width() * settings.zoom_out / settings.zoom_in,
             shown_height() * settings.zoom_out / settings.zoom_in, x11.viewport.x * settings.zoom_out / settings.zoom_in,
             x11.viewport.y * settings.zoom_out / settings.zoom_in);
    size_t length = strlen(text);
    if (settings.cropping.text && length + 1 < (size_t)size) {
        char region[48];
        region_text(settings.cropping.region, region, sizeof region);
        snprintf(text + length, (size_t)size - length, " in %s", region);
    }
}
