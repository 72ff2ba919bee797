// What the tests share: a private Xvfb, programs run as child processes, files in a
// private directory, test pictures that tell every frame apart, and window captures.
#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// An Xvfb on a display number it picks itself (-displayfd); stopped when the object goes.
class XvfbServer {
public:
    // visual_class: Xvfb's -cc value (4 TrueColor, 5 DirectColor), or -1 for the default.
    explicit XvfbServer(int depth = 24, int visual_class = -1, int width = 1280, int height = 1024,
                        const std::vector<std::string> &extra_args = {});
    XvfbServer(int depth, const std::vector<std::string> &extra_args)
        : XvfbServer(depth, -1, 1280, 1024, extra_args) {}
    ~XvfbServer() { stop(); }
    XvfbServer(const XvfbServer &) = delete;
    XvfbServer &operator=(const XvfbServer &) = delete;
    const std::string &name() const { return display_name; }  // e.g. ":7"
    void stop();

private:
    pid_t server_pid = -1;
    std::string display_name;
};

std::string trivista_path();

// A program with DISPLAY set (or unset when `display` is empty); its standard output and
// error go to <output_dir>/<label>.out and .err. Killed when the object goes.
class ChildProcess {
public:
    ChildProcess(const std::string &program, const std::vector<std::string> &args,
                 const std::string &display, const std::string &output_dir,
                 const std::string &label = "child");
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;
    pid_t pid() const { return child_pid; }
    bool wait(double timeout_s);  // true when it has ended
    bool running();
    bool exited_normally() const { return ended && exited; }
    int exit_status() const { return status; }
    int term_signal() const { return killed_by; }
    std::string stdout_text() const;
    std::string stderr_text() const;

private:
    pid_t child_pid = -1;
    bool ended = false, exited = false;
    int status = -1, killed_by = 0;
    std::string out_path, err_path;
};

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::string &path() const { return dir; }
    std::string file(const std::string &name) const { return dir + "/" + name; }

private:
    std::string dir;
};

std::string read_text_file(const std::string &path);
void write_text_file(const std::string &path, const std::string &text);

// A YUV 4:2:0 frame whose content depends on `sequence` (1..3) and `frame`: below frame 12
// the frames of a sequence differ in every sample, and the luma difference (mod 256) of
// frame i of one sequence and frame j of another differs for every (i, j).
std::vector<uint8_t> make_test_frame(int width, int height, int sequence, int frame);
// Frames 0..frames-1 of make_test_frame in dir/name, then `extra_bytes` of garbage.
std::string write_test_sequence(const std::string &dir, const std::string &name, int width,
                                int height, int sequence, int frames, int extra_bytes = 0);

// The test's own connection. Reset it before killing its server: the X library ends the
// process on a broken connection.
class XConnection {
public:
    explicit XConnection(const std::string &display_name);
    ~XConnection() { reset(); }
    XConnection(const XConnection &) = delete;
    XConnection &operator=(const XConnection &) = delete;
    Display *get() const { return dpy; }
    void reset();

private:
    Display *dpy = nullptr;
};

struct WindowGeometry {
    Window id = 0;
    int x = 0, y = 0, width = 0, height = 0, border = 0;  // x, y relative to the root
};
// The first viewable top-level window titled `title` (id 0 when there is none).
WindowGeometry find_window(Display *dpy, const std::string &title);
WindowGeometry wait_for_window(Display *dpy, const std::string &title, double timeout_s = 10);

struct SizeHints {
    bool present = false;
    long flags = 0;
    int width = 0, height = 0, min_width = 0, min_height = 0, max_width = 0, max_height = 0;
};
SizeHints read_size_hints(Display *dpy, Window window);

// Pixels as the server's pixel values, row by row.
struct Capture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    bool empty() const { return pixels.empty(); }
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    bool operator==(const Capture &o) const
    {
        return width == o.width && height == o.height && pixels == o.pixels;
    }
};
// Empty when the request fails, e.g. when the window has gone.
Capture capture_region(Display *dpy, Window window, int x, int y, int width, int height);
Capture crop(const Capture &capture, int x, int y, int width, int height);
// A rendered buffer (native 16- or 32-bit pixels) masked to the visual's colour bits.
Capture capture_from_buffer(const void *buffer, int bytes_per_pixel, int width, int height,
                            uint32_t colour_bits);
// Depth 24 may report the unused top byte as it likes.
Capture masked(const Capture &capture, uint32_t colour_bits);
uint32_t default_colour_bits(Display *dpy);

bool wait_until(const std::function<bool()> &predicate, double timeout_s, int poll_ms = 20);
