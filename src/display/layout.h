// Where everything in the two windows goes, worked out from the size at which one picture
// is shown. The main window, the panes, the graphs and the info window all read their
// rectangles here, so a change of the shown size moves everything together.
#pragma once

struct Rect {
    int x, y, width, height;
};

// The size of the whole picture at the zoom.
int picture_shown_width();
int picture_shown_height();
// The size of each pane: the whole picture at the zoom, or as much of it as the main window
// has room for (display/viewport.h).
int shown_width();
int shown_height();

// The main window's size when its panes are as small as they go, and when they show the
// whole pictures.
void main_window_limits(int *min_width, int *min_height, int *max_width, int *max_height);

// The largest panes that a main window of this inner size holds.
void panes_for_window(int width, int height, int *pane_width, int *pane_height);

// The main window: as many picture columns as sequences, and rows for the pictures, the
// difference pictures and the graphs as they are shown.
int main_window_width();
int main_window_height();

// Pane 1..pane_count of the table of panes (common/panes.h).
Rect pane_rect(int pane);
// Whether a pane is shown: sequences that were given, and the differences of the
// measured pairs unless difference pictures are off.
bool pane_shown(int pane);

// The shown pane under position (x, y) of the main window, and the picture sample under
// it (zoomed out, the first sample of the block) in the view; false outside every shown pane.
bool pane_at(int x, int y, int *pane, int *picture_x, int *picture_y);

// Start of the baseline of the caption under a pane.
int caption_x(int pane);
int caption_y(int pane);

// The PSNR history graph of pair 1..3, under the pair's pane. One pixel per dB upward from the
// baseline; points are `point_spacing` apart, the newest at the left. Zoomed, the width
// follows the shown size, so that graphs of small shown pictures keep to their own pane.
struct GraphArea {
    Rect cleared;       // wiped before each redraw
    int newest_x;       // x of the newest point
    int point_spacing;
    int axis_x;         // the vertical axis, where the horizontal one starts
    int axis_end_x;     // end of the horizontal axis
    int baseline_y;     // PSNR 0
    int axis_top_y;     // top of the vertical axis
    int label_100_y;    // baseline of the "100" label (graph 1 carries the labels and title)
    int title_x, title_y;
};
GraphArea graph_area(int graph);

// The info window: its fixed size, and its place beside a main window whose outer edge
// (borders included) is `main_window` on a screen of the given size. Right of the main
// window when that fits, else below it, else right of it; then pulled onto the screen,
// the top left corner winning when the screen is smaller than the window.
const int info_window_width = 300;
const int info_window_height = 400;
void place_info_window(Rect main_window, int screen_width, int screen_height, int *x, int *y);
// The largest panes of a main window within `width` x `height` that leaves the info window
// room right of it or below it, the side that holds the larger panes; false, leaving the
// panes alone, when neither holds panes of `least_width` x `least_height`.
bool panes_beside_info_window(int width, int height, int least_width, int least_height,
                              int *pane_width, int *pane_height);
// The main window's outer edge moved left, or else up, as far as it must for the info window
// to fit right of it or below it on the screen; unmoved where it already fits or never can.
Rect room_for_info_window(Rect main_window, int screen_width, int screen_height);
