// What part of its picture each pane shows. A zoomed picture that the pane fitting the main
// window cannot hold is shown through a view of the pane's size, the same in every pane, which
// the user moves; a picture that fits is shown whole, as it always was.
#pragma once

#include <climits>

// One axis of what is rendered: samples [first, first + count) of the picture as the renderers
// take it (zoomed in: the picture itself, else the zoomed-out picture), `scale` pixels each, of
// which the pane shows its pixels from pixel `skip` on. first and count are even, so that
// 4:2:0 chroma is never split, and count depends on the pane and the zoom alone.
struct ViewSpan {
    int first, count, skip;
};
// For a view starting at shown pixel `origin`, `pane` pixels long, of `samples` samples shown
// `scale` pixels each; origin + pane must not pass samples * scale.
ViewSpan view_span(int origin, int pane, int samples, int scale);

// A step through the zoom factors: `direction` +1 shows larger, -1 smaller. False at either
// end, which leaves the zoom alone.
bool next_zoom(int direction, int *zoom_in, int *zoom_out);

// Where a view keeps its centre when the zoom goes from in/out to new_in/new_out: the new
// origin of a view of `pane` (now `new_pane`) pixels that started at `origin`.
int origin_after_zoom(int origin, int pane, int new_pane, int in, int out, int new_in, int new_out);

struct Viewport {
    // The largest pane the main window has room for; no limit until a window or a screen sets
    // one, so that the panes show the whole pictures.
    int limit_width = INT_MAX, limit_height = INT_MAX;
    int x = 0, y = 0;         // the view's top left in the zoomed picture, shown pixels
    bool reported = false;    // the info window shows the zoom and the view
    int grip_x = 0, grip_y = 0;  // where button 2 or 3 holds the pictures: pointer plus origin
};

// The view's spans across and down, for the zoom and the panes' size as they are.
ViewSpan view_span_x();
ViewSpan view_span_y();
// Pixels of what the panes render, across and down: a pane's size, or a little more.
int rendered_width();
int rendered_height();

// The panes as large as a main window of this inner size holds at the zoom, the view kept on
// the picture.
void fit_panes_to_window(int width, int height);
// The view moved by (dx, dy) shown pixels and kept on the picture; false when it stays.
bool move_view(int dx, int dy);
// The view after a step of the zoom, its centre kept, with panes as large as the screen
// holds; false when there is no further zoom that way.
bool zoom_view(int direction, int screen_width, int screen_height);

// The part of the picture that the panes show, in picture samples, as the info window
// names it: "Zoom 2  view 88x72+40+36", with -crop in the region: "... in 176x144+16+8".
void describe_view(char *text, int size);
