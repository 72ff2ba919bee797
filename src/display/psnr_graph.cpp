// History graphs of the last 20 PSNR values of each pair, below the difference panes.
#include "psnr_graph.h"

#include "display.h"
#include "common/settings.h"

PsnrHistory psnr_history[3];

static const int history_points = 20;
static const int pixels_per_frame = 8;
static const int cleared_height = 200;

// Vertical layout below the difference panes, as offsets from 2 V: one pixel per dB.
static const int baseline_offset = 175;  // PSNR 0
static const int top_offset = 70;        // top of the vertical axis and of the cleared area
static const int mark_100_offset = 75;   // PSNR 100
static const int title_offset = 195;

struct GraphPlace {
    int base_x;      // x of the newest point
    int clear_left;  // left edge of the cleared area
    int axis_x;      // the vertical axis and the start of the horizontal one
    int axis_end;    // end of the horizontal axis
};

// Graph 1 stands under pane 4, 2 under pane 5, 3 under pane 6.
static GraphPlace graph_place(int graph)
{
    int h = horizontal_size;
    if (graph == 1)
        return {20, 15, 20, 175};
    int left = (graph - 1) * h + 15;
    return {left, left, left, (graph - 1) * h + 175};
}

static int baseline_y()
{
    return 2 * vertical_size + baseline_offset;
}

void init_psnr_histories()
{
    for (PsnrHistory &history : psnr_history) {
        for (XPoint &point : history.point) {
            point.x = 0;
            point.y = (short)baseline_y();
        }
    }
}

// y of a PSNR value, truncated toward zero; values that the cap can never produce
// are held inside the 16-bit coordinate range instead of overflowing it.
static short psnr_y(double psnr_value)
{
    double y = baseline_y() - psnr_value;
    if (!(y > -32768.0))
        return -32768;
    if (!(y < 32767.0))
        return 32767;
    return (short)(int)y;
}

void draw_psnr_graph(PsnrHistory *history, int graph, double psnr_value)
{
    if (graph < 1 || graph > 3)
        return;
    GraphPlace place = graph_place(graph);
    int v2 = 2 * vertical_size;

    for (int i = history_points - 1; i >= 1; i--) {
        history->point[i].x = (short)(place.base_x + pixels_per_frame * i);
        history->point[i].y = history->point[i - 1].y;
    }
    history->point[0].x = (short)place.base_x;
    history->point[0].y = psnr_y(psnr_value);

    XClearArea(display, window, place.clear_left, v2 + top_offset, horizontal_size,
               cleared_height, False);
    XDrawLines(display, window, psnr_gc, history->point, history_points, CoordModeOrigin);
    XDrawLine(display, window, gc, place.axis_x, baseline_y(), place.axis_end, baseline_y());
    XDrawLine(display, window, gc, place.axis_x, baseline_y(), place.axis_x, v2 + top_offset);
    if (graph == 1) {
        XDrawImageString(display, window, gc, 0, baseline_y(), "0", 1);
        XDrawImageString(display, window, gc, 0, v2 + mark_100_offset, "100", 3);
        XDrawImageString(display, window, gc, 25, v2 + title_offset, "PSNR last 20 frames", 19);
    }
}
