// The display subsystem: main window, picture panes and info window on one X connection.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

extern Display *display;   // the one connection
extern int dpy_screen;     // the screen DISPLAY names; both windows live on it
extern int dpy_depth;      // depth of that screen: 16, 24 or 32
extern Window window;      // main window
extern GC gc;              // captions, graph axes and labels
extern GC psnr_gc;         // PSNR polylines
extern XImage *ximage;     // the one image description shared by all six panes
extern XColor gray_col, green_col, red_col;

extern Window status_win;  // info window
extern GC status_gc, red_gc, green_gc;
extern XImage *kestrin;        // the logo; may be null when it could not be made
extern XImage *kestrin_shape;  // its transparency mask, unused
extern const char *const kestrin_xpm[];  // the logo's XPM data: 301 x 44, 490 colours

// Opens the display, creates and maps the main window, builds the conversion
// tables for its visual and returns the bits per rendered pixel (16 or 32).
int init_display(const char *display_name);

// Puts a rendered picture into pane 1..6 of the main window with its caption.
void display_image(XImage *image, unsigned char *buffer, int pane);

// Sends what a frame drew to the server, so that it is seen before the frame's wait.
void present_frame();

// Info window: created once, text redrawn every frame, one PSNR row per pair.
void init_status();
void create_logo();
void draw_status();
// One PSNR row: the pair's value at this frame and its mean over the pass so far.
void PSNRstatus(double current, double mean, int pair);
