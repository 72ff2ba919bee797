#include "info_x_session.h"

#include <unistd.h>

#include <cstdlib>
#include <sstream>

#include "display.h"
#include "psnr_graph.h"
#include "settings.h"

namespace {

// Ends the server when the test program ends, but only in the process that started it:
// a forked child (a death test) must not take the server with it.
struct SessionOwner {
    XSession session{nullptr, nullptr};
    pid_t owner = getpid();
    ~SessionOwner()
    {
        if (getpid() != owner)
            return;
        if (session.probe)
            XCloseDisplay(session.probe);
        delete session.server;
    }
};

SessionOwner owner;

}  // namespace

XSession &start_display_session(int sequences, int psnr_on, int quiet_on)
{
    if (owner.session.server)
        return owner.session;
    owner.session.server = new XvfbServer(24, -1, 1600, 1200);
    owner.session.probe = XOpenDisplay(owner.session.server->name().c_str());
    if (!owner.session.probe)
        abort();

    expand = sequences;
    psnr = psnr_on;
    quiet = quiet_on;
    init_psnr_histories();
    colordepth = init_display(owner.session.server->name().c_str());
    if (!quiet)
        init_status();
    create_logo();
    XSync(display, False);
    return owner.session;
}

unsigned long named_pixel(Display *dpy, const char *name)
{
    Colormap colormap = DefaultColormap(dpy, DefaultScreen(dpy));
    XColor colour;
    XParseColor(dpy, colormap, name, &colour);
    XAllocColor(dpy, colormap, &colour);
    return colour.pixel;
}

ExpectedPicture::ExpectedPicture(Display *dpy_, int width, int height, unsigned long background_)
    : dpy(dpy_), background(background_), text_background(background_)
{
    int screen = DefaultScreen(dpy);
    pixmap = XCreatePixmap(dpy, RootWindow(dpy, screen), width, height, DefaultDepth(dpy, screen));
    fill(background, 0, 0, width, height);
}

ExpectedPicture::~ExpectedPicture()
{
    XFreePixmap(dpy, pixmap);
}

GC ExpectedPicture::make_gc(unsigned long foreground) const
{
    GC context = XCreateGC(dpy, pixmap, 0, nullptr);
    XSetForeground(dpy, context, foreground);
    XSetBackground(dpy, context, text_background);
    return context;
}

void ExpectedPicture::text(unsigned long foreground, int x, int y, const std::string &text)
{
    GC context = make_gc(foreground);
    XDrawImageString(dpy, pixmap, context, x, y, text.data(), static_cast<int>(text.size()));
    XFreeGC(dpy, context);
}

void ExpectedPicture::lines(unsigned long foreground, int line_width, std::vector<XPoint> points)
{
    GC context = make_gc(foreground);
    XSetLineAttributes(dpy, context, line_width, LineSolid, CapButt, JoinMiter);
    XDrawLines(dpy, pixmap, context, points.data(), static_cast<int>(points.size()),
               CoordModeOrigin);
    XFreeGC(dpy, context);
}

void ExpectedPicture::line(unsigned long foreground, int x1, int y1, int x2, int y2)
{
    GC context = make_gc(foreground);
    XDrawLine(dpy, pixmap, context, x1, y1, x2, y2);
    XFreeGC(dpy, context);
}

void ExpectedPicture::fill(unsigned long foreground, int x, int y, int width, int height)
{
    GC context = make_gc(foreground);
    XFillRectangle(dpy, pixmap, context, x, y, width, height);
    XFreeGC(dpy, context);
}

void ExpectedPicture::image(XImage *image, int width, int height)
{
    GC context = make_gc(0);
    XPutImage(dpy, pixmap, context, image, 0, 0, 0, 0, width, height);
    XFreeGC(dpy, context);
}

Capture ExpectedPicture::capture(int x, int y, int width, int height) const
{
    return capture_region(dpy, pixmap, x, y, width, height);
}

void draw_expected_graph(ExpectedPicture &picture, int graph, const std::vector<double> &newest_first,
                         int H, int V, unsigned long gray, unsigned long black)
{
    int baseline = 2 * V + 175;
    int base = graph == 1 ? 20 : (graph - 1) * H + 15;
    int axis_end = (graph - 1) * H + 175;
    std::vector<XPoint> points;
    for (int i = 0; i < 20; ++i) {
        int y = baseline;
        if (i < static_cast<int>(newest_first.size()))
            y = static_cast<int>(baseline - newest_first[i]);
        points.push_back({static_cast<short>(base + 8 * i), static_cast<short>(y)});
    }
    picture.fill(gray, graph == 1 ? 15 : base, 2 * V + 70, H, 200);
    picture.lines(124, 2, points);
    picture.line(black, base, baseline, axis_end, baseline);
    picture.line(black, base, baseline, base, 2 * V + 70);
    if (graph == 1) {
        picture.text(black, 0, baseline, "0");
        picture.text(black, 0, 2 * V + 75, "100");
        picture.text(black, 25, 2 * V + 195, "PSNR last 20 frames");
    }
}

std::string capture_difference(Display *dpy, const Capture &actual, const Capture &expected)
{
    if (actual.empty() || expected.empty())
        return "a capture failed";
    if (actual.width != expected.width || actual.height != expected.height)
        return "the captures differ in size";
    uint32_t bits = default_colour_bits(dpy);
    Capture a = masked(actual, bits);
    Capture e = masked(expected, bits);
    long differing = 0;
    std::ostringstream first;
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
            if (a.at(x, y) == e.at(x, y))
                continue;
            if (differing++ == 0)
                first << std::hex << "first at (" << std::dec << x << ", " << y << "): 0x"
                      << std::hex << a.at(x, y) << " instead of 0x" << e.at(x, y);
        }
    }
    if (differing == 0)
        return "";
    std::ostringstream out;
    out << differing << " pixels differ, " << first.str();
    return out.str();
}
