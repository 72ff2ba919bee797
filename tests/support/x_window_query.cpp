#include "x_window_query.h"

#include <X11/Xutil.h>

#include <chrono>
#include <cstring>
#include <stdexcept>
#include <thread>

XConnection::XConnection(const std::string &display_name)
{
    dpy = XOpenDisplay(display_name.c_str());
    if (!dpy)
        throw std::runtime_error("cannot open display " + display_name);
}

XConnection::~XConnection()
{
    reset();
}

void XConnection::reset()
{
    if (dpy)
        XCloseDisplay(dpy);
    dpy = nullptr;
}

static bool title_matches(Display *dpy, Window w, const std::string &title)
{
    char *name = nullptr;
    bool same = XFetchName(dpy, w, &name) && name && title == name;
    if (name)
        XFree(name);
    return same;
}

// Top-level windows are the root's children, or their children under a window manager.
static Window search(Display *dpy, Window parent, const std::string &title, int levels)
{
    Window root_return, parent_return, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(dpy, parent, &root_return, &parent_return, &children, &count))
        return 0;
    Window found = 0;
    for (unsigned int i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(dpy, children[i], &attributes) || attributes.map_state != IsViewable)
            continue;
        if (title_matches(dpy, children[i], title))
            found = children[i];
        else if (levels > 1)
            found = search(dpy, children[i], title, levels - 1);
    }
    if (children)
        XFree(children);
    return found;
}

WindowGeometry find_window(Display *dpy, const std::string &title)
{
    WindowGeometry geometry;
    Window root = DefaultRootWindow(dpy);
    Window w = search(dpy, root, title, 2);
    if (!w)
        return geometry;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(dpy, w, &attributes))
        return geometry;
    Window child;
    int root_x = 0, root_y = 0;
    XTranslateCoordinates(dpy, w, root, 0, 0, &root_x, &root_y, &child);
    geometry.id = w;
    geometry.x = root_x;
    geometry.y = root_y;
    geometry.width = attributes.width;
    geometry.height = attributes.height;
    geometry.border = attributes.border_width;
    return geometry;
}

WindowGeometry wait_for_window(Display *dpy, const std::string &title, double timeout_s)
{
    WindowGeometry geometry;
    wait_until([&] {
        geometry = find_window(dpy, title);
        return geometry.id != 0;
    }, timeout_s);
    return geometry;
}

SizeHints read_size_hints(Display *dpy, Window window)
{
    SizeHints result;
    XSizeHints hints;
    std::memset(&hints, 0, sizeof hints);
    long supplied = 0;
    if (!XGetWMNormalHints(dpy, window, &hints, &supplied))
        return result;
    result.present = true;
    result.flags = hints.flags;
    result.width = hints.width;
    result.height = hints.height;
    result.min_width = hints.min_width;
    result.min_height = hints.min_height;
    result.max_width = hints.max_width;
    result.max_height = hints.max_height;
    return result;
}

// A failed XGetImage (window gone, region outside) must not end the test process.
static int ignore_x_error(Display *, XErrorEvent *)
{
    return 0;
}

Capture capture_region(Display *dpy, Window window, int x, int y, int width, int height)
{
    Capture capture;
    XSync(dpy, False);
    XErrorHandler previous = XSetErrorHandler(ignore_x_error);
    XImage *image = XGetImage(dpy, window, x, y, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    XSync(dpy, False);
    XSetErrorHandler(previous);
    if (!image)
        return capture;
    capture.width = width;
    capture.height = height;
    capture.pixels.resize(static_cast<size_t>(width) * height);
    const int one = 1;
    const int host_order = *reinterpret_cast<const unsigned char *>(&one) == 1 ? LSBFirst : MSBFirst;
    const bool native = image->byte_order == host_order;
    for (int row = 0; row < height; ++row) {
        uint32_t *out = &capture.pixels[static_cast<size_t>(row) * width];
        const char *in = image->data + static_cast<size_t>(row) * image->bytes_per_line;
        if (native && image->bits_per_pixel == 32) {
            std::memcpy(out, in, static_cast<size_t>(width) * 4);
        } else if (native && image->bits_per_pixel == 16) {
            for (int col = 0; col < width; ++col) {
                uint16_t v;
                std::memcpy(&v, in + 2 * col, 2);
                out[col] = v;
            }
        } else {
            for (int col = 0; col < width; ++col)
                out[col] = static_cast<uint32_t>(XGetPixel(image, col, row));
        }
    }
    XDestroyImage(image);
    return capture;
}

Capture crop(const Capture &capture, int x, int y, int width, int height)
{
    Capture part;
    if (x < 0 || y < 0 || width < 0 || height < 0 || x + width > capture.width ||
        y + height > capture.height)
        return part;
    part.width = width;
    part.height = height;
    part.pixels.reserve(static_cast<size_t>(width) * height);
    for (int row = y; row < y + height; ++row) {
        auto start = capture.pixels.begin() + static_cast<long>(row) * capture.width + x;
        part.pixels.insert(part.pixels.end(), start, start + width);
    }
    return part;
}

Capture capture_from_buffer(const void *buffer, int bytes_per_pixel, int width, int height,
                            uint32_t colour_bits)
{
    Capture capture;
    capture.width = width;
    capture.height = height;
    capture.pixels.resize(static_cast<size_t>(width) * height);
    const unsigned char *bytes = static_cast<const unsigned char *>(buffer);
    for (size_t i = 0; i < capture.pixels.size(); ++i) {
        uint32_t value;
        if (bytes_per_pixel == 2) {
            uint16_t v16;
            std::memcpy(&v16, bytes + 2 * i, 2);
            value = v16;
        } else {
            std::memcpy(&value, bytes + 4 * i, 4);
        }
        capture.pixels[i] = value & colour_bits;
    }
    return capture;
}

Capture masked(const Capture &capture, uint32_t colour_bits)
{
    Capture result = capture;
    for (uint32_t &p : result.pixels)
        p &= colour_bits;
    return result;
}

uint32_t default_colour_bits(Display *dpy)
{
    Visual *visual = DefaultVisual(dpy, DefaultScreen(dpy));
    return static_cast<uint32_t>(visual->red_mask | visual->green_mask | visual->blue_mask);
}

bool wait_until(const std::function<bool()> &predicate, double timeout_s, int poll_ms)
{
    auto deadline = std::chrono::steady_clock::now() +
                    std::chrono::microseconds(static_cast<long>(timeout_s * 1e6));
    for (;;) {
        if (predicate())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(poll_ms));
    }
}
