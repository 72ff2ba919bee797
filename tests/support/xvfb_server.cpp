#include "xvfb_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <X11/Xlib.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

static const int startup_timeout_ms = 15000;

// Reads the display number that Xvfb writes to -displayfd once it accepts connections.
static std::string read_display_number(int fd)
{
    std::string number;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(startup_timeout_ms);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0)
            return "";
        pollfd p = {fd, POLLIN, 0};
        int ready = poll(&p, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return "";
        char c;
        ssize_t got = read(fd, &c, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return "";  // server exited before it was ready
        if (c == '\n')
            return number;
        number += c;
    }
}

XvfbServer::XvfbServer(int depth, int visual_class, int width, int height,
                       const std::vector<std::string> &extra_args)
{
    int fds[2];
    if (pipe(fds) != 0)
        throw std::runtime_error("pipe failed");

    std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth);
    std::string fd_text = std::to_string(fds[1]);
    std::string cc_text = std::to_string(visual_class);

    pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        throw std::runtime_error("fork failed");
    }
    if (pid == 0) {
        close(fds[0]);
        int devnull = open("/dev/null", O_RDWR);
        if (devnull >= 0) {
            dup2(devnull, 0);
            dup2(devnull, 1);
            dup2(devnull, 2);
        }
        // Own process group, so that a terminal's signals meant for the test do not race us.
        setpgid(0, 0);
        std::vector<const char *> argv(16 + extra_args.size());
        int n = 0;
        argv[n++] = "Xvfb";
        argv[n++] = "-displayfd";
        argv[n++] = fd_text.c_str();
        argv[n++] = "-screen";
        argv[n++] = "0";
        argv[n++] = screen.c_str();
        if (visual_class >= 0) {
            argv[n++] = "-cc";
            argv[n++] = cc_text.c_str();
        }
        argv[n++] = "-nolisten";
        argv[n++] = "tcp";
        argv[n++] = "-noreset";
        for (const std::string &a : extra_args)
            argv[n++] = a.c_str();
        argv[n] = nullptr;
        execvp("Xvfb", const_cast<char **>(argv.data()));
        _exit(127);
    }
    close(fds[1]);
    server_pid = pid;
    std::string number = read_display_number(fds[0]);
    close(fds[0]);
    if (number.empty()) {
        stop();
        throw std::runtime_error("Xvfb did not start (depth " + std::to_string(depth) + ")");
    }
    display_name = ":" + number;

    // -displayfd is written when the socket listens; confirm that a client gets through.
    for (int attempt = 0; attempt < 100; ++attempt) {
        Display *probe = XOpenDisplay(display_name.c_str());
        if (probe) {
            XCloseDisplay(probe);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    stop();
    throw std::runtime_error("Xvfb " + display_name + " does not accept connections");
}

XvfbServer::~XvfbServer()
{
    stop();
}

void XvfbServer::stop()
{
    if (server_pid <= 0)
        return;
    kill(server_pid, SIGTERM);
    // Xvfb normally leaves within milliseconds; do not let a stuck one outlive the test.
    for (int i = 0; i < 200; ++i) {
        int status;
        pid_t done = waitpid(server_pid, &status, WNOHANG);
        if (done == server_pid || (done < 0 && errno == ECHILD)) {
            server_pid = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(server_pid, SIGKILL);
    waitpid(server_pid, nullptr, 0);
    server_pid = -1;
}
