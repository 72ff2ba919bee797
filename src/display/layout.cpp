#include "layout.h"

#include <algorithm>
#include <cstdint>

#include "common/pairs.h"
#include "common/panes.h"
#include "common/region.h"
#include "common/settings.h"
#include "convert/zoom.h"
#include "display.h"
#include "viewport.h"

static const int row_gap = 30;           // caption strip between the picture rows
static const int caption_left = 5;
static const int caption_below = 15;     // caption baseline below the picture's last row + 1
static const int graphs_height = 200;    // below the difference row, with -PSNR
static const int caption_only_height = 25;   // below the single row of -nodiff
static const int caption_strip_height = 50;  // below the difference row otherwise
static const int gap_to_main_window = 10;

// Graphs, as offsets from the top of the graph strip (two picture heights down) and from
// the left of their pane; graph 1 is set 5 pixels further right for its labels.
static const int graph_baseline = 175;
static const int graph_top = 70;
static const int graph_label_100 = 75;
static const int graph_title = 195;
static const int graph_title_x = 25;
static const int graph_left = 15;
static const int graph_axis_length = 160;  // at zoom 1
static const int graph_point_spacing = 8;
static const int history_points = 20;
static const int graph_label_room = 5;
static const int smallest_pane = 16;  // however small a window manager makes the window

int picture_shown_width() { return shown_size(settings.cropping.region.width, settings.zoom_out, settings.zoom_in); }
int picture_shown_height() { return shown_size(settings.cropping.region.height, settings.zoom_out, settings.zoom_in); }

static int pane_size(int picture, int limit)
{
    return std::min(picture, std::max(limit, smallest_pane));
}

int shown_width() { return pane_size(picture_shown_width(), x11.viewport.limit_width); }
int shown_height() { return pane_size(picture_shown_height(), x11.viewport.limit_height); }

static int columns() { return (settings.expand == 2 || settings.expand == 3) ? settings.expand : 1; }

// Rows of pictures and what stands below them besides.
static int picture_rows() { return settings.psnr || !settings.nodiff ? 2 : 1; }

static int height_besides_pictures()
{
    return settings.psnr ? graphs_height : settings.nodiff ? caption_only_height : caption_strip_height;
}

static int window_width_for(int pane_width) { return pane_width * columns(); }

static int window_height_for(int pane_height)
{
    return picture_rows() * pane_height + height_besides_pictures();
}

int main_window_width() { return window_width_for(shown_width()); }
int main_window_height() { return window_height_for(shown_height()); }

void main_window_limits(int *min_width, int *min_height, int *max_width, int *max_height)
{
    *min_width = window_width_for(pane_size(picture_shown_width(), 0));
    *min_height = window_height_for(pane_size(picture_shown_height(), 0));
    *max_width = window_width_for(picture_shown_width());
    *max_height = window_height_for(picture_shown_height());
}

void panes_for_window(int width, int height, int *pane_width, int *pane_height)
{
    *pane_width = width / columns();
    *pane_height = (height - height_besides_pictures()) / picture_rows();
}

Rect pane_rect(int pane)
{
    return Rect{panes[pane].column * shown_width(), panes[pane].row * (shown_height() + row_gap),
                shown_width(), shown_height()};
}

bool pane_shown(int pane)
{
    if (panes[pane].kind == pane_sequence)
        return panes[pane].source <= settings.expand;
    return !settings.nodiff && panes[pane].source <= pair_count_for(settings.expand);
}

bool pane_at(int x, int y, int *pane, int *picture_x, int *picture_y)
{
    for (int p = 1; p <= pane_count; p++) {
        Rect r = pane_rect(p);
        if (pane_shown(p) && x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height) {
            *pane = p;
            *picture_x = (x - r.x + x11.viewport.x) * settings.zoom_out / settings.zoom_in;
            *picture_y = (y - r.y + x11.viewport.y) * settings.zoom_out / settings.zoom_in;
            return true;
        }
    }
    return false;
}

int caption_x(int pane) { return pane_rect(pane).x + caption_left; }

int caption_y(int pane)
{
    Rect picture = pane_rect(pane);
    return picture.y + picture.height + caption_below;
}

GraphArea graph_area(int graph)
{
    int strip = 2 * shown_height();
    int left = pane_rect(pane_of_pair(graph)).x + graph_left;
    int axis_x = graph == 1 ? left + graph_label_room : left;
    GraphArea area;
    area.cleared = Rect{left, strip + graph_top, shown_width(), graphs_height};
    area.newest_x = axis_x;
    area.axis_x = axis_x;
    // Zoomed or in a narrower pane, the graph grows with the pictures and shrinks only as far
    // as it must to stay in its own pane; whole pictures at zoom 1 have it as it always was.
    area.point_spacing = graph_point_spacing;
    if (settings.zoom_in > 1 || settings.zoom_out > 1 || shown_width() < picture_shown_width()) {
        int fitting = (shown_width() - graph_label_room - 1) / (history_points - 1);
        area.point_spacing = std::max(1, std::min(graph_point_spacing * settings.zoom_in, fitting));
    }
    area.axis_end_x = left + graph_axis_length * area.point_spacing / graph_point_spacing;
    area.baseline_y = strip + graph_baseline;
    area.axis_top_y = strip + graph_top;
    area.label_100_y = strip + graph_label_100;
    area.title_x = graph_title_x;
    area.title_y = strip + graph_title;
    return area;
}

static int clamp(int value, int low, int high)
{
    if (value > high)
        value = high;
    return value < low ? low : value;
}

void place_info_window(Rect main_window, int screen_width, int screen_height, int *x, int *y)
{
    int right = main_window.x + main_window.width + gap_to_main_window;
    int below = main_window.y + main_window.height + gap_to_main_window;
    *x = main_window.x;
    *y = main_window.y;
    if (right + info_window_width <= screen_width)
        *x = right;
    else if (below + info_window_height <= screen_height)
        *y = below;
    else
        *x = right;
    *x = clamp(*x, 0, screen_width - info_window_width);
    *y = clamp(*y, 0, screen_height - info_window_height);
}

bool panes_beside_info_window(int width, int height, int least_width, int least_height,
                              int *pane_width, int *pane_height)
{
    const int room[2][2] = {{info_window_width + gap_to_main_window, 0},
                            {0, info_window_height + gap_to_main_window}};
    int64_t largest = -1;
    for (const auto &side : room) {
        int pane_w, pane_h;
        panes_for_window(width - side[0], height - side[1], &pane_w, &pane_h);
        if (pane_w < least_width || pane_h < least_height || (int64_t)pane_w * pane_h <= largest)
            continue;
        largest = (int64_t)pane_w * pane_h;
        *pane_width = pane_w;
        *pane_height = pane_h;
    }
    return largest >= 0;
}

Rect room_for_info_window(Rect main_window, int screen_width, int screen_height)
{
    int room_width = info_window_width + gap_to_main_window;
    int room_height = info_window_height + gap_to_main_window;
    Rect &m = main_window;
    if (m.x + m.width + room_width <= screen_width || m.y + m.height + room_height <= screen_height)
        return m;
    if (m.width + room_width <= screen_width)
        m.x = screen_width - room_width - m.width;
    else if (m.height + room_height <= screen_height)
        m.y = screen_height - room_height - m.height;
    return m;
}
