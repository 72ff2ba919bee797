// The info window: logo, frame counter, settings, file names and the PSNR rows.
#include "display.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "layout.h"
#include "look.h"
#include "viewport.h"
#include "common/die.h"
#include "common/labels.h"
#include "common/region.h"
#include "common/settings.h"
#include "convert/color_tables.h"
#include "quality/metrics.h"
#include "source/sequence.h"

static const int logo_width = 300;  // the image has 301 columns; the last is not shown
static const int logo_height = 44;

// Values below the red limit (quality/metrics.h) are red, above the upper limit green, else
// black.
static const double psnr_upper_limit = 40.0;

// The text block of draw_status hangs from this baseline.
static const int text_base = 75;
// One PSNR row per pair from here down, in the order of the pair table.
static const int psnr_row_first = 225;
static const int psnr_row_step = 20;
// The difference view's row, between the limits and the file names, and its colour bar.
static const int view_row = text_base + 232;
static const int scale_bar_x = 80;
static const int scale_bar_width = 128;  // two levels a column
static const int scale_bar_height = 10;

// The zoom and the view, once either was changed or the panes show part of the pictures,
// and with -crop the region from the start: between the logo and the frame counter.
static const int zoom_row = text_base - 15;

// The main window's outer edge as the X server has it; the server's answer makes init_display
// the one place that decides the first one.
static bool main_window_edge(Rect *edge)
{
    XWindowAttributes main_window;
    Window child;
    if (!XGetWindowAttributes(x11.display, x11.window, &main_window) ||
        !XTranslateCoordinates(x11.display, x11.window, main_window.root, -main_window.border_width,
                               -main_window.border_width, &edge->x, &edge->y, &child))
        return false;
    edge->width = main_window.width + 2 * main_window.border_width;
    edge->height = main_window.height + 2 * main_window.border_width;
    return true;
}

static void info_window_place(const Rect &main_window, int *x, int *y)
{
    place_info_window(main_window, DisplayWidth(x11.display, x11.dpy_screen),
                      DisplayHeight(x11.display, x11.dpy_screen), x, y);
}

void move_info_window(const Rect &main_window)
{
    int x, y;
    info_window_place(main_window, &x, &y);
    XMoveWindow(x11.display, x11.status_win, x, y);
}

void follow_main_window()
{
    Rect edge;
    if (!settings.quiet && main_window_edge(&edge))
        move_info_window(edge);
}

void init_status()
{
    Rect edge = {0, 0, 0, 0};
    int x = 0, y = 0;
    if (main_window_edge(&edge))
        info_window_place(edge, &x, &y);
    x11.status_win = XCreateSimpleWindow(
        x11.display, RootWindow(x11.display, x11.dpy_screen), x, y, info_window_width,
        info_window_height, 0, BlackPixel(x11.display, x11.dpy_screen), x11.gray_col.pixel);
    XSelectInput(x11.display, x11.status_win, StructureNotifyMask);

    XSizeHints hints;
    memset(&hints, 0, sizeof hints);
    // Without a position in the hints a window manager places the window as it likes,
    // over the panes too.
    hints.x = x;
    hints.y = y;
    hints.min_width = hints.max_width = hints.base_width = info_window_width;
    hints.min_height = hints.max_height = hints.base_height = info_window_height;
    hints.flags = USPosition | PPosition | PMinSize | PMaxSize | PBaseSize;
    XSetStandardProperties(x11.display, x11.status_win, "Trivista info", "Trivista info", None,
                           nullptr, 0, &hints);

    XMapWindow(x11.display, x11.status_win);
    XEvent event;
    do {
        XNextEvent(x11.display, &event);
    } while (event.type != MapNotify || event.xmap.window != x11.status_win);

    x11.status_gc = XCreateGC(x11.display, x11.status_win, 0, nullptr);
    x11.red_gc = XCreateGC(x11.display, x11.status_win, 0, nullptr);
    x11.green_gc = XCreateGC(x11.display, x11.status_win, 0, nullptr);
    XSetBackground(x11.display, x11.status_gc, x11.gray_col.pixel);
    XSetBackground(x11.display, x11.green_gc, x11.gray_col.pixel);
    XSetBackground(x11.display, x11.red_gc, x11.gray_col.pixel);
    XSetForeground(x11.display, x11.status_gc, 0);
    XSetForeground(x11.display, x11.green_gc, x11.green_col.pixel);
    XSetForeground(x11.display, x11.red_gc, x11.red_col.pixel);
    XFlush(x11.display);
}

static void draw_text(GC context, int x, int y, const char *text)
{
    XDrawImageString(x11.display, x11.status_win, context, x, y, text, (int)strlen(text));
}

// Formats into a buffer of `size` bytes (at most 50), cutting what does not fit,
// and draws the result at (5, y).
static void draw_line(GC context, int y, size_t size, const char *format, ...)
    __attribute__((format(printf, 4, 5)));

static void draw_line(GC context, int y, size_t size, const char *format, ...)
{
    char buffer[50];
    if (size > sizeof buffer)
        size = sizeof buffer;
    va_list args;
    va_start(args, format);
    vsnprintf(buffer, size, format, args);
    va_end(args);
    draw_text(context, 5, y, buffer);
}

// "Org: name", or with a label "Org CRF23: name".
static void draw_file_line(int n, int y, const char *name)
{
    static const char *const short_names[4] = {"", "Org", "Enc", "Tra"};
    if (settings.sequence_labels[n])
        draw_line(x11.status_gc, y, 50, "%s %s: %s", short_names[n], settings.sequence_labels[n], name);
    else
        draw_line(x11.status_gc, y, 50, "%s: %s", short_names[n], name);
}

// Under a decoded sequence's file line: what its stream says of the picture shown,
// "I    2995 bytes  QP 21.32" (QP "-" where the decoder exports none), or "frozen"; padded
// so that a shorter line covers a longer one.
static void draw_facts_line(int n, int y)
{
    const FrameFacts &facts = sequences[n].facts;
    char bytes[24] = "?", qp[24] = "-", text[72] = "  -";
    if (facts.bytes >= 0)
        snprintf(bytes, sizeof bytes, "%lld", (long long)facts.bytes);
    if (facts.has_qp)
        snprintf(qp, sizeof qp, "%.2f", facts.mean_qp);
    if (facts.frozen)
        snprintf(text, sizeof text, "  frozen");
    else if (facts.known)
        snprintf(text, sizeof text, "  %c %7s bytes  QP %s", facts.type, bytes, qp);
    draw_line(x11.status_gc, y, 50, "%-45s", text);
}

void draw_view_scale()
{
    static DifferenceView drawn_view = view_plain;
    static int drawn_gain = 0;
    if (drawn_view != look.difference_view || drawn_gain != view_gain()) {
        if (drawn_view != view_plain)
            XClearArea(x11.display, x11.status_win, 0, view_row - 12, info_window_width, 15,
                       False);
        drawn_view = look.difference_view;
        drawn_gain = view_gain();
    }
    int gain = view_gain();
    if (look.difference_view == view_centred) {
        draw_line(x11.status_gc, view_row, 50, "Differences 128 + %i d", gain);
        return;
    }
    if (look.difference_view != view_heat)
        return;
    // |d| x gain, clamped: the brightest colour from |d| = 255 / gain up.
    draw_line(x11.status_gc, view_row, 20, "Heat |d| 0");
    uint32_t pixels[256];
    build_view_pixels(view_heat, pixels);
    for (int column = 0; column < scale_bar_width; column++) {
        XSetForeground(x11.display, x11.status_gc, pixels[2 * column + 1]);
        XFillRectangle(x11.display, x11.status_win, x11.status_gc, scale_bar_x + column,
                       view_row - scale_bar_height, 1, scale_bar_height);
    }
    XSetForeground(x11.display, x11.status_gc, 0);
    char top[12];
    snprintf(top, sizeof top, "%i", (255 + gain - 1) / gain);
    draw_text(x11.status_gc, scale_bar_x + scale_bar_width + 5, view_row, top);
}

void draw_status()
{
    if (look.help_shown) {
        draw_key_help();
        return;
    }
    if (settings.fps_label[0])
        draw_line(x11.status_gc, text_base, 50, "Frame %6i @ %s fps target rate", playhead.frame, settings.fps_label);
    else
        draw_line(x11.status_gc, text_base, 50, "Frame %6i @ %2i fps target rate", playhead.frame, settings.fps);
    // In the gap above the frame range, so that the other lines keep their places.
    if (settings.colour_conversion_named)
        draw_line(x11.status_gc, text_base + 15, 50, "Colours %s",
                  colour_conversion_text(pixel_tables.colour_conversion));
    draw_line(x11.status_gc, text_base + 30, 20, "Startframe %i", playhead.start_frame);
    if (playhead.end_frame != 0)
        draw_line(x11.status_gc, text_base + 45, 20, "Endframe   %i", playhead.end_frame);
    if (playhead.loop != 0)
        draw_line(x11.green_gc, text_base + 60, 25, "Looping Enabled (%i)", playhead.loop);
    else
        draw_line(x11.red_gc, text_base + 60, 20, "Looping Disabled");
    if (sequences[2].fr)
        draw_line(x11.green_gc, text_base + 75, 30, "Encoded freezing %i", sequences[2].fr_count);
    if (sequences[3].fr)
        draw_line(x11.green_gc, text_base + 90, 30, "Transmitted freezing %i",
                  sequences[3].fr_count);
    if (settings.psnr) {
        static const char *const states[] = {"PSNR    On", "PSNR Y  On", "PSNR U  On",
                                             "PSNR V  On"};  // by PlaneView, of one length
        draw_line(x11.green_gc, text_base + 105, 20, "%s", states[look.plane]);
        draw_text(x11.status_gc, 100, text_base + 125, "Current");
        draw_text(x11.status_gc, 210, text_base + 125, "Mean");
        draw_text(x11.red_gc, 110, text_base + 215, "<30");
        draw_text(x11.status_gc, 155, text_base + 215, "Limits");
        draw_text(x11.green_gc, 215, text_base + 215, ">40");
    } else {
        draw_line(x11.red_gc, text_base + 105, 20, "PSNR    Off");
    }
    for (int n = 1; n <= settings.expand; n++) {
        draw_file_line(n, text_base + 225 + 25 * n, sequences[n].yuvname);
        if (sequence_has_facts(n))
            draw_facts_line(n, text_base + 237 + 25 * n);
    }

    draw_view_scale();
    if (x11.viewport.reported || settings.cropping.text) {
        char view[50];
        describe_view(view, sizeof view);
        draw_line(x11.status_gc, zoom_row, 50, "%-48s", view);  // spaces over a longer one
    }
    // Without a logo image (it could not be made) the strip stays gray.
    if (x11.kestrin && x11.kestrin->width >= logo_width && x11.kestrin->height >= logo_height)
        XPutImage(x11.display, x11.status_win, x11.status_gc, x11.kestrin, 0, 0, 0, 0, logo_width,
                  logo_height);
}

static GC gc_for_psnr(double value)
{
    if (value < psnr_red_limit)
        return x11.red_gc;
    if (value > psnr_upper_limit)
        return x11.green_gc;
    return x11.status_gc;
}

void PSNRstatus(double current, double mean, int pair)
{
    if (look.help_shown)
        return;
    char current_text[25];
    char mean_text[25];
    snprintf(current_text, sizeof current_text, "%6.2f", current);
    snprintf(mean_text, sizeof mean_text, "%6.2f", mean);

    if (pair < 1 || pair > 3)
        die(255, "%s", "");
    int y = psnr_row_first + psnr_row_step * (pair - 1);

    char label[16];  // what fits before the values
    snprintf(label, sizeof label, "%s", pair_caption(pair));
    draw_text(x11.status_gc, 5, y, label);
    draw_text(gc_for_psnr(current), 100, y, current_text);
    draw_text(gc_for_psnr(mean), 200, y, mean_text);
}
