// A private Xvfb for one test: started on a display number the server picks itself,
// stopped (killed and reaped) when the object goes away.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class XvfbServer {
public:
    // depth: 8, 16, 24 or 32. visual_class: a value for Xvfb's -cc (e.g. 4 TrueColor,
    // 5 DirectColor), or -1 for the server's default. Throws std::runtime_error when the
    // server does not come up within a few seconds.
    explicit XvfbServer(int depth = 24, int visual_class = -1, int width = 1280, int height = 1024,
                        const std::vector<std::string> &extra_args = {});
    // A depth-`depth` TrueColor server with further Xvfb arguments, e.g.
    // {"-extension", "MIT-SHM"} or {"-listen", "tcp"}.
    XvfbServer(int depth, const std::vector<std::string> &extra_args)
        : XvfbServer(depth, -1, 1280, 1024, extra_args) {}
    ~XvfbServer();
    XvfbServer(const XvfbServer &) = delete;
    XvfbServer &operator=(const XvfbServer &) = delete;

    const std::string &name() const { return display_name; }  // e.g. ":7"
    pid_t pid() const { return server_pid; }
    bool running() const { return server_pid > 0; }

    // Kills the server and waits for it; safe to call more than once.
    void stop();

private:
    pid_t server_pid = -1;
    std::string display_name;
};
