// The harness itself: a display test is only as good as the server it starts and the
// pictures it reads back.
#include <gtest/gtest.h>

#include <X11/Xutil.h>

#include <signal.h>

#include <cerrno>

#include "harness.h"

static int default_class(Display *dpy)
{
    return DefaultVisual(dpy, DefaultScreen(dpy))->c_class;
}

TEST(XvfbServer, StartsWithTheRequestedDepthAndVisualClass)
{
    {
        XvfbServer server(24);
        XConnection x(server.name());
        EXPECT_EQ(DefaultDepth(x.get(), DefaultScreen(x.get())), 24);
        EXPECT_EQ(default_class(x.get()), TrueColor);
    }
    {
        XvfbServer server(16);
        XConnection x(server.name());
        EXPECT_EQ(DefaultDepth(x.get(), DefaultScreen(x.get())), 16);
        EXPECT_EQ(default_class(x.get()), TrueColor);
    }
    {
        XvfbServer server(8);
        XConnection x(server.name());
        EXPECT_EQ(DefaultDepth(x.get(), DefaultScreen(x.get())), 8);
        EXPECT_EQ(default_class(x.get()), PseudoColor);
    }
    {
        XvfbServer server(24, DirectColor);
        XConnection x(server.name());
        EXPECT_EQ(default_class(x.get()), DirectColor);
    }
}

TEST(XvfbServer, TwoServersGetDifferentDisplaysAndStopEndsTheServerProcess)
{
    XvfbServer first(24);
    XvfbServer second(16);
    EXPECT_NE(first.name(), second.name());
    pid_t pid = first.pid();
    first.stop();
    EXPECT_FALSE(first.running());
    // Reaped, not just signalled: the process id no longer exists for us.
    EXPECT_EQ(kill(pid, 0), -1);
    EXPECT_EQ(errno, ESRCH);
    first.stop();  // a second stop is harmless
    XConnection still(second.name());
    EXPECT_NE(still.get(), nullptr);
}

TEST(XInspect, FindsAWindowByTitleAndReadsBackWhatWasDrawn)
{
    XvfbServer server(16);
    XConnection x(server.name());
    Display *dpy = x.get();
    int screen = DefaultScreen(dpy);
    Window w = XCreateSimpleWindow(dpy, RootWindow(dpy, screen), 10, 20, 64, 48, 1,
                                   BlackPixel(dpy, screen), 0xF800 /* 5-6-5 pure red */);
    XStoreName(dpy, w, "harness probe");
    XMapWindow(dpy, w);
    XSync(dpy, False);

    WindowGeometry found = wait_for_window(dpy, "harness probe", 5);
    ASSERT_EQ(found.id, w);
    EXPECT_EQ(found.width, 64);
    EXPECT_EQ(found.height, 48);
    EXPECT_EQ(found.border, 1);
    EXPECT_EQ(find_window(dpy, "no such window").id, 0u);

    GC gc = XCreateGC(dpy, w, 0, nullptr);
    XSetForeground(dpy, gc, 0x07E0);  // 5-6-5 pure green
    XFillRectangle(dpy, w, gc, 8, 4, 2, 3);
    Capture capture = capture_region(dpy, w, 0, 0, 64, 48);
    ASSERT_EQ(capture.pixels.size(), 64u * 48u);
    EXPECT_EQ(capture.at(0, 0), 0xF800u);
    EXPECT_EQ(capture.at(8, 4), 0x07E0u);
    EXPECT_EQ(capture.at(9, 6), 0x07E0u);
    EXPECT_EQ(capture.at(10, 6), 0xF800u);
    EXPECT_EQ(capture.at(9, 7), 0xF800u);
    XFreeGC(dpy, gc);
    EXPECT_EQ(default_colour_bits(dpy), 0xFFFFu);
}

TEST(XInspect, BufferCaptureReadsNativePixelsAndMasksUnusedBits)
{
    uint32_t wide[2] = {0xFF123456u, 0x00ABCDEFu};
    Capture c32 = capture_from_buffer(wide, 4, 2, 1, 0xFFFFFFu);
    EXPECT_EQ(c32.at(0, 0), 0x123456u);
    EXPECT_EQ(c32.at(1, 0), 0xABCDEFu);
    uint16_t narrow[3] = {0xF800, 0x07E0, 0x001F};
    Capture c16 = capture_from_buffer(narrow, 2, 3, 1, 0xFFFFu);
    EXPECT_EQ(c16.pixels, (std::vector<uint32_t>{0xF800u, 0x07E0u, 0x001Fu}));
}

TEST(ChildProcess, CapturesOutputAndExitStatusWithAndWithoutDisplay)
{
    TempDir dir;
    ChildProcess with("/bin/sh", {"-c", "echo \"out:$DISPLAY\"; echo err >&2; exit 3"}, ":99",
                      dir.path(), "with");
    ASSERT_TRUE(with.wait(10));
    EXPECT_TRUE(with.exited_normally());
    EXPECT_EQ(with.exit_status(), 3);
    EXPECT_EQ(with.stdout_text(), "out::99\n");
    EXPECT_EQ(with.stderr_text(), "err\n");

    ChildProcess without("/bin/sh", {"-c", "echo \"${DISPLAY-unset}\""}, "", dir.path(), "without");
    ASSERT_TRUE(without.wait(10));
    EXPECT_EQ(without.stdout_text(), "unset\n");
}

TEST(ChildProcess, WaitTimesOutOnAHangingChildAndKillEndsIt)
{
    TempDir dir;
    ChildProcess sleeper("/bin/sleep", {"30"}, "", dir.path(), "sleeper");
    EXPECT_FALSE(sleeper.wait(0.2));
    EXPECT_TRUE(sleeper.running());
    sleeper.kill_now();
    ASSERT_TRUE(sleeper.wait(5));
    EXPECT_FALSE(sleeper.exited_normally());
    EXPECT_EQ(sleeper.term_signal(), 9);
}

TEST(TestFiles, FramesOfOneSequenceDifferInEverySample)
{
    for (int s = 1; s <= 3; ++s)
        for (int a = 0; a < distinct_test_frames; ++a)
            for (int b = a + 1; b < distinct_test_frames; ++b) {
                std::vector<uint8_t> first = make_test_frame(16, 8, s, a);
                std::vector<uint8_t> second = make_test_frame(16, 8, s, b);
                for (size_t i = 0; i < first.size(); ++i)
                    ASSERT_NE(first[i], second[i]) << "sequence " << s << " frames " << a << ", " << b;
            }
}

TEST(TestFiles, LumaDifferenceOfTwoSequencesTellsWhichFramesItCompares)
{
    const int w = 16, h = 8;
    const int pairs[3][2] = {{1, 2}, {2, 3}, {1, 3}};
    for (const auto &pair : pairs) {
        std::vector<std::vector<uint8_t>> differences;
        for (int i = 0; i < distinct_test_frames; ++i)
            for (int j = 0; j < distinct_test_frames; ++j) {
                std::vector<uint8_t> a = make_test_frame(w, h, pair[0], i);
                std::vector<uint8_t> b = make_test_frame(w, h, pair[1], j);
                std::vector<uint8_t> d(w * h);
                for (int k = 0; k < w * h; ++k)
                    d[k] = static_cast<uint8_t>(a[k] - b[k]);
                differences.push_back(d);
            }
        for (size_t a = 0; a < differences.size(); ++a)
            for (size_t b = a + 1; b < differences.size(); ++b)
                ASSERT_NE(differences[a], differences[b])
                    << "pair " << pair[0] << "-" << pair[1] << ": " << a << " vs " << b;
    }
}

TEST(TestFiles, SequenceFileHoldsTheFramesInOrderThenTheExtraBytes)
{
    TempDir dir;
    std::string path = write_test_sequence(dir.path(), "s.yuv", 176, 144, 1, 3, 100);
    std::string bytes = read_text_file(path);
    ASSERT_EQ(bytes.size(), 3u * 38016u + 100u);
    std::vector<uint8_t> second = make_test_frame(176, 144, 1, 1);
    EXPECT_EQ(bytes.compare(38016, 38016, std::string(second.begin(), second.end())), 0);
}
