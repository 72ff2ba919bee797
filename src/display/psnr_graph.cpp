// History graphs of the last 20 PSNR values of each pair, below the difference panes.
#include "psnr_graph.h"

#include <cstring>

#include "display.h"
#include "layout.h"
#include "look.h"

static const int history_points = 20;
// Graph 1's title, by PlaneView: the graphs follow the plane shown.
static const char *const graph_titles[] = {"PSNR last 20 frames", "PSNR Y last 20 frames",
                                           "PSNR U last 20 frames", "PSNR V last 20 frames"};

void reset_psnr_history(PsnrHistory *history, int graph)
{
    for (XPoint &point : history->point) {
        point.x = 0;
        point.y = (short)graph_area(graph).baseline_y;
    }
}

void init_psnr_histories()
{
    for (int pair = 1; pair <= 3; pair++)
        for (int metric = 0; metric < metric_count; metric++) {
            x11.psnr_history[pair][metric].metric = &metrics[metric];
            reset_psnr_history(&x11.psnr_history[pair][metric], pair);
        }
}

// y of a value, truncated toward zero and held between the baseline and the top of the
// axis: large pictures measure more than 100 dB (one LSB in 720p: 107.78 dB), and samples
// above the peak less than 0.
static short value_y(const GraphArea &area, const Metric &metric, double value)
{
    double y = area.baseline_y - value * metric.graph_scale;
    if (!(y > area.axis_top_y))
        return (short)area.axis_top_y;
    if (!(y < area.baseline_y))
        return (short)area.baseline_y;
    return (short)(int)y;
}

void move_psnr_histories(int old_baseline)
{
    for (int pair = 1; pair <= 3; pair++) {
        GraphArea area = graph_area(pair);
        for (PsnrHistory &history : x11.psnr_history[pair])
            for (int i = 0; i < history_points; i++) {
                XPoint &point = history.point[i];
                point.y = (short)(point.y + area.baseline_y - old_baseline);
                if (history.point[0].x)  // a history with values; a new one stays at 0
                    point.x = (short)(area.newest_x + area.point_spacing * i);
            }
    }
}

void enter_psnr_value(PsnrHistory *history, int graph, double psnr_value)
{
    GraphArea area = graph_area(graph);
    for (int i = history_points - 1; i >= 1; i--) {
        history->point[i].x = (short)(area.newest_x + area.point_spacing * i);
        history->point[i].y = history->point[i - 1].y;
    }
    history->point[0].x = (short)area.newest_x;
    history->point[0].y = value_y(area, *history->metric, psnr_value);
}

void draw_psnr_history(const PsnrHistory *history, int graph)
{
    GraphArea area = graph_area(graph);
    XClearArea(x11.display, x11.window, area.cleared.x, area.cleared.y, area.cleared.width,
               area.cleared.height, False);
    // Clipped to the cleared area: the wide line's edges and mitred peaks reach past its
    // points, and what fell outside would stay there.
    XRectangle clip = {(short)area.cleared.x, (short)area.cleared.y, (unsigned short)area.cleared.width,
                       (unsigned short)area.cleared.height};
    XSetClipRectangles(x11.display, x11.psnr_gc, 0, 0, &clip, 1, Unsorted);
    XDrawLines(x11.display, x11.window, x11.psnr_gc, const_cast<XPoint *>(history->point),
               history_points, CoordModeOrigin);
    XSetClipMask(x11.display, x11.psnr_gc, None);
    XDrawLine(x11.display, x11.window, x11.gc, area.axis_x, area.baseline_y, area.axis_end_x,
              area.baseline_y);
    XDrawLine(x11.display, x11.window, x11.gc, area.axis_x, area.baseline_y, area.axis_x,
              area.axis_top_y);
    if (graph == 1) {
        XDrawImageString(x11.display, x11.window, x11.gc, 0, area.baseline_y, "0", 1);
        XDrawImageString(x11.display, x11.window, x11.gc, 0, area.label_100_y, "100", 3);
        const char *title = graph_titles[look.plane];
        XDrawImageString(x11.display, x11.window, x11.gc, area.title_x, area.title_y, title,
                         (int)strlen(title));
    }
}

void draw_psnr_graph(PsnrHistory *history, int graph, double psnr_value)
{
    if (graph < 1 || graph > 3)
        return;
    enter_psnr_value(history, graph, psnr_value);
    draw_psnr_history(history, graph);
}
