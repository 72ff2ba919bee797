// The whole program with -size: window, panes, captions and the info window follow a
// picture size other than QCIF or CIF.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <string>
#include <vector>

#include <X11/Xutil.h>

#include "expected_pictures.h"
#include "harness.h"
#include "pane_watch.h"

static const char title[] = "kestrin Trivista";

static std::string size_option(int width, int height)
{
    return std::to_string(width) + "x" + std::to_string(height);
}

// -f1 first -f2 second ... for the first `sequences` of `files`.
static void add_files(std::vector<std::string> &args, const std::vector<std::string> &files,
                      int sequences)
{
    for (int n = 1; n <= sequences; ++n) {
        args.push_back("-f" + std::to_string(n));
        args.push_back(files[n - 1]);
    }
}

static std::vector<std::string> write_sequences(const TempDir &dir, int width, int height, int frames)
{
    std::vector<std::string> files;
    for (int n = 1; n <= 3; ++n)
        files.push_back(write_test_sequence(dir.path(), size_option(width, height) + "_" +
                                                            std::to_string(n) + ".yuv",
                                            width, height, n, frames));
    return files;
}

// Kills a looping run and waits until its main window is gone, so that the next run's
// window is not confused with it.
static void end_run(Display *dpy, ChildProcess &child)
{
    child.kill_now(SIGTERM);
    ASSERT_TRUE(child.wait(5));
    ASSERT_TRUE(wait_until([&] { return find_window(dpy, title).id == 0; }, 5));
}

struct SizeCase {
    int width, height;
    int sequences;
    const char *option;  // "" for none
};

// The layout rule: one column per sequence; the graphs' 150 rows under two picture rows
// with PSNR of two or more sequences, else only the top row and its caption strip with
// -nodiff, else two picture rows with their caption strips.
static int window_height_for(const SizeCase &c)
{
    if (strcmp(c.option, "-PSNR") == 0 && c.sequences >= 2)
        return 2 * c.height + 200;
    if (strcmp(c.option, "-nodiff") == 0)
        return c.height + 25;
    return 2 * c.height + 50;
}

TEST(PictureSize, WindowSizeAndFixedHintsFollowTheGivenSizeSequencesPsnrAndNodiff)
{
    XvfbServer server(24, -1, 4096, 2048);
    XConnection x(server.name());
    TempDir dir;
    std::vector<std::string> files_320 = write_sequences(dir, 320, 240, 1);
    std::vector<std::string> files_1280 = write_sequences(dir, 1280, 720, 1);
    std::vector<SizeCase> cases;
    for (int n = 1; n <= 3; ++n)
        for (const char *option : {"", "-PSNR", "-nodiff"}) {
            cases.push_back({320, 240, n, option});
            cases.push_back({1280, 720, n, option});
        }
    for (const SizeCase &c : cases) {
        std::vector<std::string> args = {"-quiet", "-l", "-size", size_option(c.width, c.height)};
        if (*c.option)
            args.push_back(c.option);
        add_files(args, c.width == 320 ? files_320 : files_1280, c.sequences);
        SCOPED_TRACE(size_option(c.width, c.height) + " " + std::to_string(c.sequences) +
                     " sequences " + c.option);
        int width = c.width * c.sequences, height = window_height_for(c);
        ChildProcess child(trivista_path(), args, server.name(), dir.path(), "trivista");
        WindowGeometry found = wait_for_window(x.get(), title, 15);
        ASSERT_NE(found.id, 0u) << child.stderr_text();
        EXPECT_EQ(found.width, width);
        EXPECT_EQ(found.height, height);
        SizeHints hints = read_size_hints(x.get(), found.id);
        EXPECT_EQ(hints.flags, PSize | PMinSize | PMaxSize);
        EXPECT_EQ(hints.min_width, width);
        EXPECT_EQ(hints.max_width, width);
        EXPECT_EQ(hints.min_height, height);
        EXPECT_EQ(hints.max_height, height);
        EXPECT_EQ(child.stderr_text(), "") << "the window fits the screen";
        end_run(x.get(), child);
    }
}

TEST(PictureSize, InfoWindowOpensJustRightOfTheMainWindowOfTheGivenSize)
{
    XvfbServer server(24, -1, 4096, 2048);
    XConnection x(server.name());
    TempDir dir;
    const SizeCase cases[] = {{320, 240, 3, ""}, {1280, 720, 1, ""}, {48, 32, 2, ""}};
    for (const SizeCase &c : cases) {
        std::vector<std::string> args = {"-l", "-size", size_option(c.width, c.height)};
        add_files(args, write_sequences(dir, c.width, c.height, 1), c.sequences);
        SCOPED_TRACE(size_option(c.width, c.height) + " " + std::to_string(c.sequences) + " sequences");
        ChildProcess child(trivista_path(), args, server.name(), dir.path(), "trivista");
        ASSERT_NE(wait_for_window(x.get(), title, 15).id, 0u) << child.stderr_text();
        WindowGeometry info = wait_for_window(x.get(), "Trivista info", 15);
        ASSERT_NE(info.id, 0u) << child.stderr_text();
        EXPECT_EQ(info.x, c.width * c.sequences + 2 + 10);
        EXPECT_EQ(info.y, 0);
        EXPECT_EQ(info.width, 300);
        EXPECT_EQ(info.height, 400);
        end_run(x.get(), child);
        ASSERT_TRUE(wait_until([&] { return find_window(x.get(), "Trivista info").id == 0; }, 5));
    }
}

static const char *const captions[6] = {"Original",  "Encoded",   "Transmitted",
                                        "Org<->Enc", "Enc<->Tra", "Org<->Tra"};

// The window as the layout says it must look outside the pictures: gray, with each
// caption 5 pixels right of its pane's left edge and 15 below its picture, drawn in pane
// order with the server's default font, as the test itself draws it.
static Capture expected_captions(Display *dpy, int width, int height, uint32_t gray)
{
    int screen = DefaultScreen(dpy);
    int window_width = 3 * width, window_height = 2 * height + 50;
    Pixmap pixmap = XCreatePixmap(dpy, RootWindow(dpy, screen), window_width, window_height,
                                  DefaultDepth(dpy, screen));
    GC gc = XCreateGC(dpy, pixmap, 0, nullptr);
    XSetForeground(dpy, gc, gray);
    XFillRectangle(dpy, pixmap, gc, 0, 0, window_width, window_height);
    XSetForeground(dpy, gc, BlackPixel(dpy, screen));
    XSetBackground(dpy, gc, gray);
    for (int pane = 0; pane < 6; ++pane) {
        int x = (pane % 3) * width + 5;
        int y = (pane / 3) * (height + 30) + height + 15;
        XDrawImageString(dpy, pixmap, gc, x, y, captions[pane], static_cast<int>(strlen(captions[pane])));
    }
    Capture expected = capture_region(dpy, pixmap, 0, 0, window_width, window_height);
    XFreeGC(dpy, gc);
    XFreePixmap(dpy, pixmap);
    return expected;
}

// The two caption strips: the rows between the picture rows and under the second one.
static Capture caption_strips(const Capture &window, int height)
{
    Capture strips;
    strips.width = window.width;
    for (int top : {height, 2 * height + 30}) {
        Capture part = crop(window, 0, top, window.width, 20 + (top == height ? 10 : 0));
        strips.pixels.insert(strips.pixels.end(), part.pixels.begin(), part.pixels.end());
        strips.height += part.height;
    }
    return strips;
}

// Four frames of three sequences of a small size whose panes do not line up with QCIF:
// every pane shows each of its pictures pixel for pixel at its W/H-derived origin, and
// the caption strips match the captions drawn by the test at their places.
static void check_small_size_panes(int depth)
{
    const int width = 48, height = 32, frames = 4;
    const int window_width = 3 * width, window_height = 2 * height + 50;
    XvfbServer server(depth);
    XConnection x(server.name());
    TempDir dir;
    prepare_tables(x.get(), width, height);
    uint32_t colour_bits = default_colour_bits(x.get());
    std::vector<WatchedPane> panes;
    for (int n = 1; n <= 3; ++n) {
        std::vector<Capture> pictures;
        for (int f = 0; f < frames; ++f)
            pictures.push_back(expected_picture(n, f, width, height, colour_bits));
        panes.push_back(watched_pane(n, width, height, pictures));
    }
    const int pairs[3][2] = {{1, 2}, {2, 3}, {1, 3}};
    for (int d = 0; d < 3; ++d) {
        std::vector<Capture> pictures;
        for (int f = 0; f < frames; ++f)
            pictures.push_back(expected_difference(pairs[d][0], f, pairs[d][1], f, width, height,
                                                   colour_bits));
        panes.push_back(watched_pane(4 + d, width, height, pictures));
    }
    // The layout's origins, spelled out rather than taken from the watcher.
    const int origins[6][2] = {{0, 0},          {width, 0},          {2 * width, 0},
                               {0, height + 30}, {width, height + 30}, {2 * width, height + 30}};
    for (int p = 0; p < 6; ++p) {
        ASSERT_EQ(panes[p].x, origins[p][0]);
        ASSERT_EQ(panes[p].y, origins[p][1]);
    }

    std::vector<std::string> args = {"-quiet", "-l", "-fps", "10", "-size", size_option(width, height)};
    add_files(args, write_sequences(dir, width, height, frames), 3);
    ChildProcess child(trivista_path(), args, server.name(), dir.path(), "trivista");
    WindowGeometry found = wait_for_window(x.get(), title, 15);
    ASSERT_NE(found.id, 0u) << child.stderr_text();
    EXPECT_EQ(found.width, window_width);
    EXPECT_EQ(found.height, window_height);

    auto all_seen = [&] {
        for (const WatchedPane &pane : panes)
            for (int f = 0; f < frames; ++f)
                if (!was_shown(pane, f))
                    return false;
        return true;
    };
    wait_until([&] {
        return !observe_panes(x.get(), found.id, window_width, window_height, panes, colour_bits) ||
               all_seen();
    }, 60, 15);
    for (const WatchedPane &pane : panes) {
        EXPECT_EQ(pane.unknown, 0) << pane.first_unknown;
        for (int f = 0; f < frames; ++f)
            EXPECT_TRUE(was_shown(pane, f)) << "pane " << pane.number << " never showed frame " << f;
    }

    // The window background, as the server stores the gray: its bottom right corner.
    Capture corner = capture_region(x.get(), found.id, window_width - 1, window_height - 1, 1, 1);
    ASSERT_FALSE(corner.empty());
    Capture expected = caption_strips(
        masked(expected_captions(x.get(), width, height, corner.pixels[0] & colour_bits), colour_bits),
        height);
    // Polled: a capture may fall between a picture and its caption.
    bool same = wait_until([&] {
        Capture window = capture_region(x.get(), found.id, 0, 0, window_width, window_height);
        return !window.empty() && caption_strips(masked(window, colour_bits), height) == expected;
    }, 15, 50);
    EXPECT_TRUE(same) << "caption strips differ from the captions drawn at their places";
    EXPECT_TRUE(child.running()) << child.stderr_text();
    child.kill_now(SIGTERM);
    EXPECT_TRUE(child.wait(5));
}

TEST(PictureSize, SmallPanesAndCaptionsArePixelExactAtTheirPlacesOnDepth24)
{
    check_small_size_panes(24);
}

TEST(PictureSize, SmallPanesAndCaptionsArePixelExactAtTheirPlacesOnDepth16)
{
    check_small_size_panes(16);
}
