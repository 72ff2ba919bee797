// Looking at a running X server from the test process: windows by title, their
// geometry, and what they show.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The test's own connection; closed when the object goes away. Close it (reset) before
// killing the server it talks to, or the X library ends the test on the broken pipe.
class XConnection {
public:
    explicit XConnection(const std::string &display_name);  // throws when it cannot connect
    ~XConnection();
    XConnection(const XConnection &) = delete;
    XConnection &operator=(const XConnection &) = delete;
    Display *get() const { return dpy; }
    void reset();

private:
    Display *dpy = nullptr;
};

struct WindowGeometry {
    Window id = 0;
    int x = 0, y = 0;          // relative to the root window
    int width = 0, height = 0;
    int border = 0;
};

// The first mapped top-level window whose WM_NAME equals `title`; id 0 when none.
WindowGeometry find_window(Display *dpy, const std::string &title);

// Polls find_window until it finds the window or timeout_s passes.
WindowGeometry wait_for_window(Display *dpy, const std::string &title, double timeout_s = 10);

// Size hints as the window carries them (WM_NORMAL_HINTS).
struct SizeHints {
    bool present = false;
    long flags = 0;
    int width = 0, height = 0, min_width = 0, min_height = 0, max_width = 0, max_height = 0;
};
SizeHints read_size_hints(Display *dpy, Window window);

// Pixels of a window region, each as the server's pixel value.
struct Capture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // row by row
    bool empty() const { return pixels.empty(); }
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    bool operator==(const Capture &other) const
    {
        return width == other.width && height == other.height && pixels == other.pixels;
    }
};

// XGetImage of (x, y, width, height) in `window`; empty when the request fails (for
// example when the window has gone away).
Capture capture_region(Display *dpy, Window window, int x, int y, int width, int height);

// The part (x, y, width, height) of a capture; the rectangle must lie inside it.
Capture crop(const Capture &capture, int x, int y, int width, int height);

// A rendered buffer (native 16- or 32-bit pixels, rows without gaps) as a Capture,
// with every pixel masked to the visual's colour bits, as the server stores them.
Capture capture_from_buffer(const void *buffer, int bytes_per_pixel, int width, int height,
                            uint32_t colour_bits);

// Masks every pixel of a capture to `colour_bits` (a depth-24 server may report the
// unused top byte as it likes).
Capture masked(const Capture &capture, uint32_t colour_bits);

// Red, green and blue masks of the default visual, OR'ed together.
uint32_t default_colour_bits(Display *dpy);

// Calls `predicate` every poll_ms until it returns true or timeout_s passes; returns
// the last result.
bool wait_until(const std::function<bool()> &predicate, double timeout_s, int poll_ms = 20);
