#include "harness.h"

#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

bool wait_until(const std::function<bool()> &predicate, double timeout_s, int poll_ms)
{
    auto deadline = std::chrono::steady_clock::now() +
                    std::chrono::microseconds(static_cast<long>(timeout_s * 1e6));
    while (!predicate()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(poll_ms));
    }
    return true;
}

// The display number Xvfb writes to -displayfd once it accepts connections.
static std::string read_display_number(int fd)
{
    std::string number;
    char c = 0;
    pollfd p = {fd, POLLIN, 0};
    while (poll(&p, 1, 15000) > 0 && read(fd, &c, 1) == 1 && c != '\n')
        number += c;
    return c == '\n' ? number : "";
}

XvfbServer::XvfbServer(int depth, int visual_class, int width, int height,
                       const std::vector<std::string> &extra_args)
{
    int fds[2];
    if (pipe(fds) != 0)
        throw std::runtime_error("pipe failed");
    std::vector<std::string> args = {"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0",
                                     std::to_string(width) + "x" + std::to_string(height) + "x" +
                                         std::to_string(depth),
                                     "-nolisten", "tcp", "-noreset"};
    if (visual_class >= 0)
        args.insert(args.end(), {"-cc", std::to_string(visual_class)});
    args.insert(args.end(), extra_args.begin(), extra_args.end());
    std::vector<char *> argv;
    for (std::string &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    server_pid = fork();
    if (server_pid == 0) {
        close(fds[0]);
        int devnull = open("/dev/null", O_RDWR);
        for (int fd = 0; fd < 3; fd++)
            dup2(devnull, fd);
        setpgid(0, 0);  // a terminal's signals meant for the test do not reach it
        execvp("Xvfb", argv.data());
        _exit(127);
    }
    close(fds[1]);
    std::string number = server_pid > 0 ? read_display_number(fds[0]) : "";
    close(fds[0]);
    display_name = ":" + number;
    // -displayfd is written when the socket listens; make sure a client gets through.
    bool up = !number.empty() && wait_until([&] {
        Display *probe = XOpenDisplay(display_name.c_str());
        if (probe)
            XCloseDisplay(probe);
        return probe != nullptr;
    }, 5, 50);
    if (!up) {
        stop();
        throw std::runtime_error("Xvfb did not start (depth " + std::to_string(depth) + ")");
    }
}

void XvfbServer::stop()
{
    if (server_pid <= 0)
        return;
    kill(server_pid, SIGTERM);
    pid_t pid = server_pid;
    if (!wait_until([pid] { return waitpid(pid, nullptr, WNOHANG) != 0; }, 2, 10)) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    server_pid = -1;
}

std::string trivista_path()
{
    return TRIVISTA_EXECUTABLE;
}

ChildProcess::ChildProcess(const std::string &program, const std::vector<std::string> &args,
                           const std::string &display, const std::string &output_dir,
                           const std::string &label)
    : out_path(output_dir + "/" + label + ".out"), err_path(output_dir + "/" + label + ".err")
{
    std::vector<char *> argv = {const_cast<char *>(program.c_str())};
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    child_pid = fork();
    if (child_pid < 0)
        throw std::runtime_error("fork failed");
    if (child_pid == 0) {
        int in = open("/dev/null", O_RDONLY);
        int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0)
            _exit(126);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        if (display.empty())
            unsetenv("DISPLAY");
        else
            setenv("DISPLAY", display.c_str(), 1);
        signal(SIGPIPE, SIG_DFL);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
}

ChildProcess::~ChildProcess()
{
    if (running()) {
        kill(child_pid, SIGKILL);
        wait(10);
    }
}

bool ChildProcess::running()
{
    int wait_status;
    if (ended || child_pid <= 0 || waitpid(child_pid, &wait_status, WNOHANG) != child_pid)
        return !ended && child_pid > 0;
    ended = true;
    exited = WIFEXITED(wait_status);
    status = exited ? WEXITSTATUS(wait_status) : -1;
    killed_by = WIFSIGNALED(wait_status) ? WTERMSIG(wait_status) : 0;
    return false;
}

bool ChildProcess::wait(double timeout_s)
{
    return wait_until([this] { return !running(); }, timeout_s, 10);
}

std::string ChildProcess::stdout_text() const { return read_text_file(out_path); }
std::string ChildProcess::stderr_text() const { return read_text_file(err_path); }

TempDir::TempDir()
{
    const char *base = getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/trivista-test-XXXXXX";
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed for " + pattern);
    dir = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

std::string read_text_file(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void write_text_file(const std::string &path, const std::string &text)
{
    std::ofstream out(path, std::ios::binary);
    if (!(out << text))
        throw std::runtime_error("cannot write " + path);
}

// Luma steps 1, 12 and 135 per frame keep i * a - j * b (mod 256) apart for all frames
// below 12 of any two sequences; the column factors make each difference picture a ramp
// that clamping cannot merge with another.
static const int frame_step[4] = {7, 1, 12, 135};
static const int column_factor[4] = {4, 1, 2, 3};

std::vector<uint8_t> make_test_frame(int width, int height, int sequence, int frame)
{
    const int s = sequence & 3, cw = width / 2, ch = height / 2;
    std::vector<uint8_t> bytes(static_cast<size_t>(width * height + 2 * cw * ch));
    uint8_t *y = bytes.data(), *u = y + width * height, *v = u + cw * ch;
    for (int row = 0; row < height; ++row)
        for (int col = 0; col < width; ++col)
            y[row * width + col] = static_cast<uint8_t>(column_factor[s] * col + 3 * row +
                                                        frame_step[s] * frame + 64 * s);
    for (int row = 0; row < ch; ++row)
        for (int col = 0; col < cw; ++col) {
            u[row * cw + col] = static_cast<uint8_t>(5 * col + row + 13 * frame + 64 * s);
            v[row * cw + col] = static_cast<uint8_t>(col + 7 * row + 19 * frame + 64 * s);
        }
    return bytes;
}

std::string write_test_sequence(const std::string &dir, const std::string &name, int width,
                                int height, int sequence, int frames, int extra_bytes)
{
    std::string all;
    for (int f = 0; f < frames; ++f) {
        std::vector<uint8_t> one = make_test_frame(width, height, sequence, f);
        all.append(one.begin(), one.end());
    }
    all.append(static_cast<size_t>(extra_bytes), '\x5a');
    write_text_file(dir + "/" + name, all);
    return dir + "/" + name;
}

XConnection::XConnection(const std::string &display_name)
    : dpy(XOpenDisplay(display_name.c_str()))
{
    if (!dpy)
        throw std::runtime_error("cannot open display " + display_name);
}

void XConnection::reset()
{
    if (dpy)
        XCloseDisplay(dpy);
    dpy = nullptr;
}

// Top-level windows are the root's children, or their children under a window manager.
static Window search(Display *dpy, Window parent, const std::string &title, int levels)
{
    Window root, up, *children = nullptr, found = 0;
    unsigned int count = 0;
    if (!XQueryTree(dpy, parent, &root, &up, &children, &count))
        return 0;
    for (unsigned int i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(dpy, children[i], &attributes) ||
            attributes.map_state != IsViewable)
            continue;
        char *name = nullptr;
        if (XFetchName(dpy, children[i], &name) && name && title == name)
            found = children[i];
        else if (levels > 1)
            found = search(dpy, children[i], title, levels - 1);
        if (name)
            XFree(name);
    }
    if (children)
        XFree(children);
    return found;
}

WindowGeometry find_window(Display *dpy, const std::string &title)
{
    WindowGeometry g;
    Window root = DefaultRootWindow(dpy), child;
    Window w = search(dpy, root, title, 2);
    XWindowAttributes a;
    if (!w || !XGetWindowAttributes(dpy, w, &a))
        return g;
    XTranslateCoordinates(dpy, w, root, 0, 0, &g.x, &g.y, &child);
    g.id = w;
    g.width = a.width;
    g.height = a.height;
    g.border = a.border_width;
    return g;
}

WindowGeometry wait_for_window(Display *dpy, const std::string &title, double timeout_s)
{
    WindowGeometry g;
    wait_until([&] { return (g = find_window(dpy, title)).id != 0; }, timeout_s);
    return g;
}

SizeHints read_size_hints(Display *dpy, Window window)
{
    SizeHints r;
    XSizeHints h = {};
    long supplied = 0;
    if (!XGetWMNormalHints(dpy, window, &h, &supplied))
        return r;
    r = {true, h.flags, h.width, h.height, h.min_width, h.min_height, h.max_width, h.max_height};
    return r;
}

static int ignore_x_error(Display *, XErrorEvent *) { return 0; }

Capture capture_region(Display *dpy, Window window, int x, int y, int width, int height)
{
    Capture c;
    XSync(dpy, False);
    XErrorHandler previous = XSetErrorHandler(ignore_x_error);
    XImage *image = XGetImage(dpy, window, x, y, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    XSync(dpy, False);
    XSetErrorHandler(previous);
    if (!image)
        return c;
    c.width = width;
    c.height = height;
    const int one = 1;
    bool native32 = image->bits_per_pixel == 32 &&
                    image->byte_order == (*reinterpret_cast<const char *>(&one) ? LSBFirst : MSBFirst);
    c.pixels.resize(static_cast<size_t>(width) * height);
    for (int row = 0; row < height; ++row)
        for (int col = 0; col < width; ++col)
            if (native32)  // the common case, without a call per pixel
                std::memcpy(&c.pixels[static_cast<size_t>(row) * width + col],
                            image->data + row * image->bytes_per_line + 4 * col, 4);
            else
                c.pixels[static_cast<size_t>(row) * width + col] =
                    static_cast<uint32_t>(XGetPixel(image, col, row));
    XDestroyImage(image);
    return c;
}

Capture crop(const Capture &capture, int x, int y, int width, int height)
{
    Capture part;
    if (x < 0 || y < 0 || width < 0 || height < 0 || x + width > capture.width ||
        y + height > capture.height)
        return part;
    part.width = width;
    part.height = height;
    for (int row = y; row < y + height; ++row)
        for (int col = x; col < x + width; ++col)
            part.pixels.push_back(capture.at(col, row));
    return part;
}

Capture capture_from_buffer(const void *buffer, int bytes_per_pixel, int width, int height,
                            uint32_t colour_bits)
{
    Capture c{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height)};
    const unsigned char *bytes = static_cast<const unsigned char *>(buffer);
    for (size_t i = 0; i < c.pixels.size(); ++i) {
        uint32_t value = 0;
        if (bytes_per_pixel == 2) {
            uint16_t v16;
            std::memcpy(&v16, bytes + 2 * i, 2);
            value = v16;
        } else {
            std::memcpy(&value, bytes + 4 * i, 4);
        }
        c.pixels[i] = value & colour_bits;
    }
    return c;
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
    Visual *v = DefaultVisual(dpy, DefaultScreen(dpy));
    return static_cast<uint32_t>(v->red_mask | v->green_mask | v->blue_mask);
}
