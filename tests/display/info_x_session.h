// In-process display tests: the real display subsystem on a private Xvfb, and pictures
// of what it should show, drawn by the test on the same server.
#pragma once

#include <X11/Xlib.h>

#include <string>
#include <vector>

#include "harness.h"

// Starts the server once per test program and runs init_display, init_status and
// create_logo with `sequences` sequences and PSNR on or off, QCIF. Later calls return the
// same session whatever they ask for. The server is 1600 x 1200 at depth 24.
struct XSession {
    XvfbServer *server;
    Display *probe;  // the test's own connection
};
XSession &start_display_session(int sequences, int psnr_on, int quiet_on = 0);

// A pixel of the default colormap, allocated by the test itself from a colour string.
unsigned long named_pixel(Display *dpy, const char *name);

// An off-screen picture on the test's connection, filled with a background pixel.
class ExpectedPicture {
public:
    ExpectedPicture(Display *dpy, int width, int height, unsigned long background);
    ~ExpectedPicture();
    ExpectedPicture(const ExpectedPicture &) = delete;
    ExpectedPicture &operator=(const ExpectedPicture &) = delete;

    // XDrawImageString in the server's default font on the text background, which is
    // the picture's background unless set otherwise.
    void set_text_background(unsigned long pixel) { text_background = pixel; }
    void text(unsigned long foreground, int x, int y, const std::string &text);
    void lines(unsigned long foreground, int line_width, std::vector<XPoint> points);
    void line(unsigned long foreground, int x1, int y1, int x2, int y2);
    void fill(unsigned long foreground, int x, int y, int width, int height);
    void image(XImage *image, int width, int height);
    Capture capture(int x, int y, int width, int height) const;

private:
    GC make_gc(unsigned long foreground) const;
    Display *dpy;
    Pixmap pixmap;
    unsigned long background;
    unsigned long text_background;
};

// Draws what graph 1, 2 or 3 should show below the difference panes of an H x V layout:
// the cleared area, the polyline of `newest_first` (the rest on the baseline), the axes
// and, for graph 1, the labels.
void draw_expected_graph(ExpectedPicture &picture, int graph, const std::vector<double> &newest_first,
                         int H, int V, unsigned long gray, unsigned long black);

// "" when both captures are equal after masking to the visual's colour bits, otherwise
// how many pixels differ and where the first one is.
std::string capture_difference(Display *dpy, const Capture &actual, const Capture &expected);
