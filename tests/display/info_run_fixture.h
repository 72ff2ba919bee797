// A whole run of trivista on a private Xvfb, seen from the test's own connection.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "info_x_session.h"

inline const int H = 176;
inline const int V = 144;
inline const double settle_s = 15;  // generous: the machine is shared

// A QCIF sequence whose frames have constant luma, one value per frame, neutral chroma.
inline std::string write_flat_sequence(const TempDir &dir, const std::string &name,
                                       const std::vector<int> &luma_per_frame, int width = H,
                                       int height = V)
{
    std::vector<uint8_t> bytes;
    for (int luma : luma_per_frame) {
        bytes.insert(bytes.end(), width * height, static_cast<uint8_t>(luma));
        bytes.insert(bytes.end(), width * height / 2, 128);
    }
    std::string path = dir.file(name);
    write_binary_file(path, bytes);
    return path;
}

class TrivistaRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        server.reset(new XvfbServer(24, -1, 1600, 1200));
        probe.reset(new XConnection(server->name()));
        dpy = probe->get();
        gray = named_pixel(dpy, "#DBDBDB");
        red = named_pixel(dpy, "#CD3700");
        green = named_pixel(dpy, "#548B54");
        black = BlackPixel(dpy, DefaultScreen(dpy));
    }

    void TearDown() override
    {
        child.reset();
        probe.reset();  // before the server goes
        server.reset();
    }

    WindowGeometry run(const std::vector<std::string> &args)
    {
        child.reset(new ChildProcess(trivista_path(), args, server->name(), dir.path()));
        return wait_for_window(dpy, "kestrin Trivista", settle_s);
    }

    // Polls until the region of `window` equals the expected picture's region; returns
    // the last difference ("" on success).
    std::string settle(Window window, const ExpectedPicture &expected, int x, int y, int width,
                       int height)
    {
        std::string last;
        wait_until(
            [&] {
                last = capture_difference(dpy, capture_region(dpy, window, x, y, width, height),
                                          expected.capture(x, y, width, height));
                return last.empty();
            },
            settle_s, 50);
        return last;
    }

    TempDir dir;
    std::unique_ptr<XvfbServer> server;
    std::unique_ptr<XConnection> probe;
    std::unique_ptr<ChildProcess> child;
    Display *dpy = nullptr;
    unsigned long gray = 0, red = 0, green = 0, black = 0;
};
