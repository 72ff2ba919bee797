// The main window: connection, visual check, window, colours, graphics contexts and the
// one image description that all panes share.
#include <sys/socket.h>

#include <csignal>
#include <cstdio>

#include "display.h"
#include "layout.h"
#include "screen_fit.h"
#include "shm_transfer.h"
#include "common/die.h"
#include "common/settings.h"
#include "convert/color_tables.h"
#include "convert/zoom.h"

static const char window_title[] = "kestrin Trivista";
static const char web_address[] = "https://trivista.example/";
static const char gray_name[] = "#DBDBDB";
static const char green_name[] = "#548B54";
static const char red_name[] = "#CD3700";
static const unsigned long graph_pixel = 124;  // a raw pixel value, blue on the usual layouts
static const int graph_line_width = 2;

static const char refusal[] = "requires 16/24/32 bit TrueColor display\n";

Display *display;
int dpy_screen;
int dpy_depth;
Window window;
GC gc;
GC psnr_gc;
XImage *ximage;
XColor gray_col, green_col, red_col;

// A write to a server that has gone raises SIGPIPE, which would end the process by a
// signal without a word; with SIGPIPE ignored the write fails and the X library calls
// this handler, which says what happened.
static int lost_connection(Display *)
{
    die(1, "Lost the connection to the X server\n");
}

static XErrorHandler default_error_handler;

// Another program may destroy one of our windows (a window manager's kill, a tool that
// closes windows); every later request on it fails. That is an end of the run, said in
// one line; every other protocol error keeps the X library's own report.
static int window_error(Display *connection, XErrorEvent *error)
{
    XID id = error->resourceid;
    bool gone = error->error_code == BadWindow || error->error_code == BadDrawable;
    if (gone && id && (id == window || id == status_win))
        die(1, "The %s window was closed by another program\n", id == window ? "main" : "info");
    return default_error_handler(connection, error);
}

// Bits per pixel of the server's ZPixmap images at `depth`, 0 when it has none.
static int zpixmap_bits_per_pixel(int depth)
{
    int count = 0;
    XPixmapFormatValues *formats = XListPixmapFormats(display, &count);
    int bits = 0;
    for (int i = 0; i < count; ++i)
        if (formats[i].depth == depth)
            bits = formats[i].bits_per_pixel;
    if (formats)
        XFree(formats);
    return bits;
}

// The renderers write 2-byte pixels for depth 16 and 4-byte pixels for 24 and 32; a
// server that packs them otherwise would show garbage, so it is refused like any other.
static int display_accepted(Visual *visual)
{
    if (visual->c_class != TrueColor)
        return 0;
    if (dpy_depth != 16 && dpy_depth != 24 && dpy_depth != 32)
        return 0;
    return zpixmap_bits_per_pixel(dpy_depth) == (dpy_depth == 16 ? 16 : 32);
}

static void allocate_named_colour(Colormap colormap, const char *name, XColor *colour)
{
    XParseColor(display, colormap, name, colour);
    XAllocColor(display, colormap, colour);
}

static void wait_until_mapped()
{
    XEvent event;
    do
        XNextEvent(display, &event);
    while (event.type != MapNotify || event.xmap.window != window);
}

// A socket buffer that holds a whole picture lets the transfer of one pane overlap the
// conversion of the next, instead of waiting for the server to read most of it first.
static void widen_send_buffer()
{
    int bytes = 4 << 20;
    setsockopt(ConnectionNumber(display), SOL_SOCKET, SO_SNDBUF, &bytes, sizeof bytes);
}

int init_display(const char *display_name)
{
    display = XOpenDisplay(display_name);
    if (!display)
        die(1, "Can not open display\n");
    signal(SIGPIPE, SIG_IGN);
    widen_send_buffer();
    XSetIOErrorHandler(lost_connection);

    XSetErrorHandler(nullptr);  // the library's own handler, to hand other errors on to
    default_error_handler = XSetErrorHandler(window_error);

    // The X library takes the screen number from DISPLAY as given, a negative one too.
    int screen = DefaultScreen(display);
    if (screen < 0 || screen >= ScreenCount(display))
        die(1, "Can not open display\n");
    dpy_screen = screen;
    Visual *visual = DefaultVisual(display, screen);
    Window root = RootWindow(display, screen);
    dpy_depth = DefaultDepth(display, screen);
    if (!display_accepted(visual))
        die(1, refusal);

    printf("\n%s\n%s\n\n", window_title, web_address);
    fflush(stdout);

    if (!zoom_given)
        zoom_out_to_fit(DisplayWidth(display, screen), DisplayHeight(display, screen));
    int width = main_window_width();
    int height = main_window_height();
    warn_if_window_exceeds_screen(width, height, DisplayWidth(display, screen),
                                  DisplayHeight(display, screen));
    XSizeHints hints = {};
    hints.flags = PSize | PMinSize | PMaxSize;
    hints.width = hints.min_width = hints.max_width = width;
    hints.height = hints.min_height = hints.max_height = height;

    Colormap shared_colormap = DefaultColormap(display, screen);
    allocate_named_colour(shared_colormap, gray_name, &gray_col);
    allocate_named_colour(shared_colormap, green_name, &green_col);
    allocate_named_colour(shared_colormap, red_name, &red_col);

    XSetWindowAttributes attributes = {};
    attributes.background_pixel = gray_col.pixel;
    attributes.border_pixel = BlackPixel(display, screen);
    attributes.colormap = XCreateColormap(display, root, visual, AllocNone);
    window = XCreateWindow(display, root, 0, 0, width, height, main_window_border, dpy_depth,
                           InputOutput, visual, CWBackPixel | CWBorderPixel | CWColormap,
                           &attributes);

    XSelectInput(display, window, StructureNotifyMask);
    XSetStandardProperties(display, window, window_title, window_title, None, nullptr, 0, &hints);
    XMapWindow(display, window);
    wait_until_mapped();
    XSelectInput(display, window, NoEventMask);

    gc = DefaultGC(display, screen);
    XSetBackground(display, gc, gray_col.pixel);

    psnr_gc = XCreateGC(display, window, 0, nullptr);
    XSetForeground(display, psnr_gc, graph_pixel);
    XSetLineAttributes(display, psnr_gc, graph_line_width, LineSolid, CapButt, JoinMiter);

    ximage = XCreateImage(display, visual, dpy_depth, ZPixmap, 0, nullptr, shown_width(),
                          shown_height(), 8, 0);
    if (!ximage)
        die(1, "Can not create the picture image\n");
    if (shm)
        init_shm_transfer();

    XWindowAttributes window_attributes;
    XGetWindowAttributes(display, window, &window_attributes);
    wpixel[0] = window_attributes.visual->red_mask;
    wpixel[1] = window_attributes.visual->green_mask;
    wpixel[2] = window_attributes.visual->blue_mask;

    int thirty_two_bit = dpy_depth != 16;
    InitColorDither(thirty_two_bit);
    select_render_kernels();
    select_zoom_kernels();
    return thirty_two_bit ? 32 : 16;
}
