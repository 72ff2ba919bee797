// The main window: connection, visual check, window, colours, graphics contexts and the
// one image description that all panes share.
#include <sys/socket.h>

#include <algorithm>
#include <csignal>
#include <cstdio>

#include "display.h"
#include "layout.h"
#include "screen_fit.h"
#include "shm_transfer.h"
#include "viewport.h"
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

DisplayState x11;

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
    if (gone && id && (id == x11.window || id == x11.status_win))
        die(1, "The %s window was closed by another program\n", id == x11.window ? "main" : "info");
    return default_error_handler(connection, error);
}

// Bits per pixel of the server's ZPixmap images at `depth`, 0 when it has none.
static int zpixmap_bits_per_pixel(int depth)
{
    int count = 0;
    XPixmapFormatValues *formats = XListPixmapFormats(x11.display, &count);
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
    if (x11.dpy_depth != 16 && x11.dpy_depth != 24 && x11.dpy_depth != 32)
        return 0;
    return zpixmap_bits_per_pixel(x11.dpy_depth) == (x11.dpy_depth == 16 ? 16 : 32);
}

static void allocate_named_colour(Colormap colormap, const char *name, XColor *colour)
{
    XParseColor(x11.display, colormap, name, colour);
    XAllocColor(x11.display, colormap, colour);
}

static void wait_until_mapped()
{
    XEvent event;
    do
        XNextEvent(x11.display, &event);
    while (event.type != MapNotify || event.xmap.window != x11.window);
}

// A socket buffer that holds a whole picture lets the transfer of one pane overlap the
// conversion of the next, instead of waiting for the server to read most of it first.
static void widen_send_buffer()
{
    int bytes = 4 << 20;
    setsockopt(ConnectionNumber(x11.display), SOL_SOCKET, SO_SNDBUF, &bytes, sizeof bytes);
}

void open_display(const char *display_name)
{
    x11.display = XOpenDisplay(display_name);
    if (!x11.display)
        die(1, "Can not open display\n");
    signal(SIGPIPE, SIG_IGN);
    widen_send_buffer();
    XSetIOErrorHandler(lost_connection);

    XSetErrorHandler(nullptr);  // the library's own handler, to hand other errors on to
    default_error_handler = XSetErrorHandler(window_error);

    // The X library takes the screen number from DISPLAY as given, a negative one too.
    int screen = DefaultScreen(x11.display);
    if (screen < 0 || screen >= ScreenCount(x11.display))
        die(1, "Can not open display\n");
    x11.dpy_screen = screen;
    x11.dpy_depth = DefaultDepth(x11.display, screen);
    if (!display_accepted(DefaultVisual(x11.display, screen)))
        die(1, refusal);

    printf("\n%s\n%s\n\n", window_title, web_address);
    fflush(stdout);

    int screen_width = DisplayWidth(x11.display, screen);
    int screen_height = DisplayHeight(x11.display, screen);
    if (!settings.zoom_given)
        zoom_out_to_fit(screen_width, screen_height);
    if (warn_if_window_exceeds_screen(main_window_width(), main_window_height(), screen_width,
                                      screen_height))
        fit_panes_to_window(screen_width - 2 * main_window_border,
                            screen_height - 2 * main_window_border);
}

// The window manager may make the main window as small as panes of a few pixels and as large
// as the whole pictures at the zoom.
static void set_size_hints(int width, int height)
{
    XSizeHints hints = {};
    hints.flags = PSize | PMinSize | PMaxSize;
    hints.width = width;
    hints.height = height;
    main_window_limits(&hints.min_width, &hints.min_height, &hints.max_width, &hints.max_height);
    XSetWMNormalHints(x11.display, x11.window, &hints);
}

// The one image description follows what the panes render.
static void size_image()
{
    x11.ximage->width = rendered_width();
    x11.ximage->height = rendered_height();
    x11.ximage->bytes_per_line = rendered_width() * (x11.ximage->bits_per_pixel / 8);
}

void resize_main_window()
{
    int width = main_window_width(), height = main_window_height();
    set_size_hints(width, height);
    XWindowAttributes now;
    Window child;
    int x = 0, y = 0;
    XGetWindowAttributes(x11.display, x11.window, &now);
    XTranslateCoordinates(x11.display, x11.window, now.root, -now.border_width, -now.border_width,
                          &x, &y, &child);
    // Kept on the screen: a window that grows to the right or down moves back as far as it must.
    int outer_width = width + 2 * main_window_border, outer_height = height + 2 * main_window_border;
    int screen_width = DisplayWidth(x11.display, x11.dpy_screen);
    int screen_height = DisplayHeight(x11.display, x11.dpy_screen);
    Rect outer = {std::max(0, std::min(x, screen_width - outer_width)),
                  std::max(0, std::min(y, screen_height - outer_height)), outer_width,
                  outer_height};
    if (!settings.quiet)
        outer = room_for_info_window(outer, screen_width, screen_height);
    int new_x = outer.x, new_y = outer.y;
    if (new_x != x || new_y != y)
        XMoveResizeWindow(x11.display, x11.window, new_x, new_y, width, height);
    else if (width != now.width || height != now.height)
        XResizeWindow(x11.display, x11.window, width, height);
    if (!settings.quiet)
        move_info_window(outer);
    XClearWindow(x11.display, x11.window);
    size_image();
    if (x11.shm_ready)
        resize_shm_transfer();
}

int init_display(const char *display_name)
{
    if (!x11.display)
        open_display(display_name);
    int screen = x11.dpy_screen;
    Visual *visual = DefaultVisual(x11.display, screen);
    Window root = RootWindow(x11.display, screen);
    int width = main_window_width();
    int height = main_window_height();

    Colormap shared_colormap = DefaultColormap(x11.display, screen);
    allocate_named_colour(shared_colormap, gray_name, &x11.gray_col);
    allocate_named_colour(shared_colormap, green_name, &x11.green_col);
    allocate_named_colour(shared_colormap, red_name, &x11.red_col);

    XSetWindowAttributes attributes = {};
    attributes.background_pixel = x11.gray_col.pixel;
    attributes.border_pixel = BlackPixel(x11.display, screen);
    attributes.colormap = XCreateColormap(x11.display, root, visual, AllocNone);
    x11.window = XCreateWindow(x11.display, root, 0, 0, width, height, main_window_border,
                               x11.dpy_depth, InputOutput, visual,
                               CWBackPixel | CWBorderPixel | CWColormap, &attributes);

    XSelectInput(x11.display, x11.window, StructureNotifyMask);
    XSetStandardProperties(x11.display, x11.window, window_title, window_title, None, nullptr, 0,
                           nullptr);
    set_size_hints(width, height);
    XMapWindow(x11.display, x11.window);
    wait_until_mapped();
    XSelectInput(x11.display, x11.window, NoEventMask);

    x11.gc = DefaultGC(x11.display, screen);
    XSetBackground(x11.display, x11.gc, x11.gray_col.pixel);

    x11.psnr_gc = XCreateGC(x11.display, x11.window, 0, nullptr);
    XSetForeground(x11.display, x11.psnr_gc, graph_pixel);
    XSetLineAttributes(x11.display, x11.psnr_gc, graph_line_width, LineSolid, CapButt, JoinMiter);

    x11.ximage = XCreateImage(x11.display, visual, x11.dpy_depth, ZPixmap, 0, nullptr,
                              rendered_width(), rendered_height(), 8, 0);
    if (!x11.ximage)
        die(1, "Can not create the picture image\n");
    if (settings.shm)
        init_shm_transfer();

    XWindowAttributes window_attributes;
    XGetWindowAttributes(x11.display, x11.window, &window_attributes);
    pixel_tables.wpixel[0] = window_attributes.visual->red_mask;
    pixel_tables.wpixel[1] = window_attributes.visual->green_mask;
    pixel_tables.wpixel[2] = window_attributes.visual->blue_mask;

    int thirty_two_bit = x11.dpy_depth != 16;
    InitColorDither(thirty_two_bit);
    select_render_kernels();
    select_zoom_kernels();
    return thirty_two_bit ? 32 : 16;
}
