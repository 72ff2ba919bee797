// The display subsystem: main window, picture panes and info window on one X connection.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "psnr_graph.h"
#include "viewport.h"

// Everything the display holds for the run. Made once at start-up, never freed or made again.
struct DisplayState {
    Display *display;   // the one connection
    int dpy_screen;     // the screen DISPLAY names; both windows live on it
    int dpy_depth;      // depth of that screen: 16, 24 or 32
    Window window;      // main window
    GC gc;              // captions, graph axes and labels
    GC psnr_gc;         // PSNR polylines
    XImage *ximage;     // the one image description shared by all panes
    XColor gray_col, green_col, red_col;
    int shm_ready;      // panes go through the shared-memory segment (-shm, when it worked)

    Window status_win;  // info window
    GC status_gc, red_gc, green_gc;
    XImage *kestrin;        // the logo; may be null when it could not be made
    XImage *kestrin_shape;  // its transparency mask, unused

    PsnrHistory psnr_history[4][metric_count];  // graphs of pair 1..3 and each metric

    Viewport viewport;  // what part of its picture each pane shows; keys and clicks move it
};
extern DisplayState x11;

extern const char *const kestrin_xpm[];  // the logo's XPM data: 301 x 44, 490 colours

// Opens the display, checks its visual, prints the banner and settles the zoom from the
// screen's size (unless -zoom gave it), so that the buffers can be sized for the shown
// pictures. init_display opens it itself when this was not called first.
void open_display(const char *display_name);

// Opens the display unless open_display did, creates and maps the main window, builds the
// conversion tables for its visual and returns the bits per rendered pixel (16 or 32).
int init_display(const char *display_name);

// Puts a rendered picture into pane 1..pane_count of the main window with its caption.
void display_image(XImage *image, unsigned char *buffer, int pane);

// Sends what a frame drew to the server, so that it is seen before the frame's wait.
void present_frame();

// Writes the main window and, unless -quiet, the info window right of it, as the server
// shows them, into one PNG trivista-<frame>.png in shots_directory and prints
// "saved: PATH"; a file that cannot be written gets one line on standard error and the run
// goes on.
void save_screenshot(int shown_frame);

// Info window: created once, text redrawn every frame, one PSNR row per pair.
void init_status();
void create_logo();
void draw_status();
// One PSNR row: the pair's value at this frame and its mean over the pass so far.
void PSNRstatus(double current, double mean, int pair);
// Once the main window's size changed: the info window moved right of it or below it as at
// start-up, by the main window's outer edge as asked for, or else as the server has it.
struct Rect;
void move_info_window(const Rect &main_window);
void follow_main_window();

// After a change of zoom or view: the main window sized for the panes (kept on the screen and,
// where it can be, clear of the info window beside it; its hints following), cleared, and
// the image description and shared memory sized for what the
// panes render. The panes are drawn again by the caller.
void resize_main_window();
