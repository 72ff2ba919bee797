// Whole runs of the trivista executable, each on its own private Xvfb seen from the test's
// own connection: pixels on screen, messages, exit statuses, faults and memory.
#include <cairo.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "convert/color_tables.h"
#include "convert/difference_view.h"
#include "harness.h"
// After the test framework, whose names the X headers' macros would clash with.
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include "convert/render_kernels.h"
#include "common/settings.h"

const int W = 176, V = 144;  // QCIF
const char banner[] = "\nkestrin Trivista\nhttps://trivista.example/\n\n";

struct ViewerRun {
    XvfbServer server;
    TempDir dir;
    XConnection x;     // after the server: closed before it goes
    uint32_t bits;     // the visual's colour bits
    std::string host;  // the program's way to the server: "" for the local socket
    std::string screen;  // ".1": the screen of the program and of the test's connection

    explicit ViewerRun(int depth = 24, const std::vector<std::string> &server_args = {},
                       const std::string &on_screen = "")
        : server(depth, server_args), x(server.name() + on_screen),
          bits(default_colour_bits(x.get())), screen(on_screen) {}
    ViewerRun(int depth, int screen_width, int screen_height)
        : server(depth, -1, screen_width, screen_height), x(server.name()), bits(default_colour_bits(x.get())) {}
    std::string file(const std::string &name, const std::string &text)
    {
        write_text_file(dir.file(name), text);
        return dir.file(name);
    }
    // Frames 0..frames-1 of make_test_frame's sequence n.
    std::string sequence(int n, int frames)
    {
        return write_test_sequence(dir.path(), "seq" + std::to_string(n), W, V, n, frames);
    }
    std::unique_ptr<ChildProcess> start(const std::vector<std::string> &args,
                                        const std::string &program = trivista_path())
    {
        return std::make_unique<ChildProcess>(program, args, host + server.name() + screen,
                                              dir.path());
    }
    WindowGeometry window() { return wait_for_window(x.get(), "kestrin Trivista", 15); }
    // Rows y..y+height-1 of a window, masked to the colour bits.
    Capture rows(const WindowGeometry &w, int y, int height)
    {
        return masked(capture_region(x.get(), w.id, 0, y, w.width, height), bits);
    }
};

static const uint32_t graph_pixel = 124;  // the raw pixel the graphs are drawn in

// Frame fa of sequence a in colour by the reference renderer for this server's visual;
// with b, the gray picture of the luma difference a - b (mod 256) with chroma 124.
static Capture expected_pane(ViewerRun &run, int a, int fa, int b, int fb)
{
    Visual *visual = DefaultVisual(run.x.get(), DefaultScreen(run.x.get()));
    bool deep = DefaultDepth(run.x.get(), DefaultScreen(run.x.get())) != 16;
    pixel_tables.wpixel[0] = visual->red_mask, pixel_tables.wpixel[1] = visual->green_mask, pixel_tables.wpixel[2] = visual->blue_mask;
    settings.horizontal_size = W;
    settings.vertical_size = V;
    InitColorDither(deep);
    std::vector<uint8_t> yuv = make_test_frame(W, V, a, fa);
    if (b) {
        std::vector<uint8_t> other = make_test_frame(W, V, b, fb);
        for (int i = 0; i < W * V; ++i)
            yuv[i] -= other[i];
        std::fill(yuv.begin() + W * V, yuv.end(), 124);
    }
    YuvFrame picture =
        packed_420_frame(yuv.data(), yuv.data() + W * V, yuv.data() + W * V * 5 / 4, W, V);
    std::vector<uint8_t> out(W * V * 4);
    auto render = b ? (deep ? DitherImageToGray32_C : DitherImageToGray16_C)
                    : (deep ? Color32DitherImage_C : Color16DitherImage_C);
    render(&picture, out.data(), (ptrdiff_t)W * (deep ? 4 : 2));
    return capture_from_buffer(out.data(), deep ? 4 : 2, W, V, run.bits);
}

// What a pane may show, which of it was seen, how often it came back to its first
// picture (the passes) and how many captures showed something else.
struct Pane {
    std::vector<Capture> pictures;
    std::set<int> seen;
    int last = -1, starts = 0, wrong = 0;
};

// One capture of the window. A QCIF pane goes to the server in one request, so every
// capture of a pane is one whole picture, or the background before the first.
static bool observe(ViewerRun &run, const WindowGeometry &w, std::vector<Pane> &panes)
{
    Capture all = run.rows(w, 0, w.height);
    if (all.empty())
        return false;
    uint32_t background = all.at(w.width - 1, w.height - 1);
    for (size_t p = 0; p < panes.size(); ++p) {
        Pane &pane = panes[p];
        Capture part = crop(all, p % 3 * W, p < 3 ? 0 : V + 30, W, V);
        auto found = std::find(pane.pictures.begin(), pane.pictures.end(), part);
        int label = int(found - pane.pictures.begin());
        if (found != pane.pictures.end()) {
            pane.starts += label == 0 && pane.last != 0;
            pane.seen.insert(pane.last = label);
        } else if (std::count(part.pixels.begin(), part.pixels.end(), background) != W * V) {
            ++pane.wrong;
        }
    }
    return true;
}

struct PanesCase {
    const char *name, *host;
    int depth;
    std::vector<std::string> server_args, options;  // values with line ends: freeze files
    int frames[3];                                  // in each sequence file
    std::vector<int> shows[3];  // file frame each sequence shows, frame by frame of a pass
    const char *note;           // what each pass adds to standard output
    const char *err;            // standard error before the server goes: a regular expression
};

static const std::vector<int> all = {0, 1, 2, 3};
static const PanesCase panes_cases[] = {
    {"Depth24", "", 24, {}, {}, {4, 4, 4}, {all, all, all}, "", ""},
    {"Depth24Shm", "", 24, {}, {"-shm"}, {4, 4, 4}, {all, all, all}, "", ""},
    {"Depth16Shm", "", 16, {}, {"-shm"}, {4, 4, 4}, {all, all, all}, "", ""},
    {"Depth16ShmWithoutTheExtension", "", 16, {"-extension", "MIT-SHM"}, {"-shm"}, {4, 4, 4},
     {all, all, all}, "", "-shm: .*no shared-memory extension.*\n"},
    {"Depth24ShmOverTcp", "localhost", 24, {"-listen", "tcp"}, {"-shm"}, {4, 4, 4},
     {all, all, all}, "", "-shm: .*not on a local connection.*\n"},
    // From -s 2 as play from 0 shows it: sequence 2, held at its marks 1 and 2, shows its
    // frame 0, then runs two frames behind until its three frames run out and it keeps the
    // last; sequence 3 holds at 4 without a note.
    {"FreezingAndAShortSecondFile", "", 24, {}, {"-s", "2", "-fr2", "1\n2\n", "-fr3", "4\n"},
     {6, 3, 6}, {{2, 3, 4, 5}, {0, 1, 2, 2}, {2, 3, 3, 4}}, "froze: 2\n", ""},
};

class Panes : public ::testing::TestWithParam<PanesCase> {};
void PrintTo(const PanesCase &c, std::ostream *os) { *os << c.name; }

TEST_P(Panes, ShowEveryPictureOfAPassPixelExactPassAfterPassUntilTheServerGoes)
{
    const PanesCase &c = GetParam();
    ViewerRun run(c.depth, c.server_args);
    run.host = c.host;
    std::vector<std::string> args = {"-l", "-quiet", "-fps", "20"};
    for (const std::string &o : c.options)
        args.push_back(o.find('\n') == o.npos ? o : run.file(std::to_string(args.size()), o));
    for (int n = 1; n <= 3; ++n)
        args.insert(args.end(), {"-f" + std::to_string(n), run.sequence(n, c.frames[n - 1])});
    // Pane 1..3: sequence 1..3; 4: 1 against 2; 5: 2 against 3; 6: 1 against 3.
    const int compared[6][2] = {{1, 0}, {2, 0}, {3, 0}, {1, 2}, {2, 3}, {1, 3}};
    std::vector<Pane> panes(6);
    for (int p = 0; p < 6; ++p)
        for (size_t k = 0; k < c.shows[0].size(); ++k) {
            int a = compared[p][0], b = compared[p][1];
            std::vector<Capture> &pictures = panes[p].pictures;
            Capture picture =
                expected_pane(run, a, c.shows[a - 1][k], b, b ? c.shows[b - 1][k] : 0);
            if (std::find(pictures.begin(), pictures.end(), picture) == pictures.end())
                pictures.push_back(picture);
        }

    auto child = run.start(args);
    WindowGeometry w = run.window();
    ASSERT_NE(w.id, 0u) << child->stderr_text();
    auto done = [&] {
        for (const Pane &pane : panes)
            if (pane.seen.size() < pane.pictures.size())
                return false;
        return panes[0].starts >= 3;
    };
    wait_until([&] { return !observe(run, w, panes) || done(); }, 60, 10);
    EXPECT_TRUE(done()) << "pane 1 began " << panes[0].starts << " passes";
    for (int p = 0; p < 6; ++p)
        EXPECT_EQ(panes[p].wrong, 0) << "pane " << p + 1 << " showed a picture it must not";
    // Two passes ended: their notes are written at once, though standard output is a file.
    std::string out = child->stdout_text(), expected = banner;
    while (*c.note && expected.size() < out.size())
        expected += c.note;
    EXPECT_EQ(out, expected);
    EXPECT_TRUE(!*c.note || out.size() >= strlen(banner) + 2 * strlen(c.note));
    // Outside the panes only captions: no graph without -PSNR.
    Capture captions = run.rows(w, V, 30), bottom = run.rows(w, 2 * V + 30, 20);
    EXPECT_EQ(std::count(captions.pixels.begin(), captions.pixels.end(), graph_pixel) +
                  std::count(bottom.pixels.begin(), bottom.pixels.end(), graph_pixel), 0);

    ASSERT_TRUE(child->running()) << "a looping run ended: " << child->stderr_text();
    run.x.reset();  // the test's own connection goes before the server
    run.server.stop();
    ASSERT_TRUE(child->wait(5)) << "still running 5 s after its X server was killed";
    EXPECT_TRUE(child->exited_normally()) << "killed by signal " << child->term_signal();
    EXPECT_EQ(child->exit_status(), 1);
    std::regex err(std::string(c.err) + "Lost the connection to the X server\n");
    EXPECT_TRUE(std::regex_match(child->stderr_text(), err)) << child->stderr_text();
}

INSTANTIATE_TEST_SUITE_P(Viewer, Panes, ::testing::ValuesIn(panes_cases),
                         [](const auto &info) { return std::string(info.param.name); });

// Sequence n of constant luma per frame and neutral chroma: a known PSNR between two.
static std::string flat_sequence(ViewerRun &run, int n, const std::vector<int> &luma_per_frame)
{
    std::string bytes;
    for (int luma : luma_per_frame)
        bytes += std::string(W * V, char(luma)) + std::string(W * V / 2, char(128));
    return run.file("flat" + std::to_string(n), bytes);
}

static double psnr_of_difference(int d) { return 10 * std::log10(255.0 * 255.0 / (d * d)); }

// Only the graph pixels of a capture; every other pixel 0.
static Capture graph_pixels(Capture capture)
{
    for (uint32_t &pixel : capture.pixels)
        pixel = pixel == graph_pixel ? pixel : 0;
    return capture;
}

// The graph pixels of the rows from 2V+50 down when graph g holds v[g], newest first,
// repeated to fill its 20 points: 8 pixels apart from the axis, one pixel per dB above the
// baseline at 2V+175, a 2-pixel line under the 1-pixel vertical axis, drawn by this server.
static Capture expected_graphs(ViewerRun &run, int width, const std::vector<std::vector<double>> &v)
{
    Display *dpy = run.x.get();
    Pixmap pixmap = XCreatePixmap(dpy, DefaultRootWindow(dpy), width, 2 * V + 200,
                                  DefaultDepth(dpy, 0));
    GC gc = XCreateGC(dpy, pixmap, 0, nullptr);
    XSetForeground(dpy, gc, 0);
    XFillRectangle(dpy, pixmap, gc, 0, 0, width, 2 * V + 200);
    for (size_t g = 0; g < v.size(); ++g) {
        int axis = g == 0 ? 20 : int(g) * W + 15, baseline = 2 * V + 175;
        std::vector<XPoint> points;
        for (int i = 0; i < 20; ++i)
            points.push_back({short(axis + 8 * i), short(baseline - v[g][i % v[g].size()])});
        XSetForeground(dpy, gc, graph_pixel);
        XSetLineAttributes(dpy, gc, 2, LineSolid, CapButt, JoinMiter);
        XDrawLines(dpy, pixmap, gc, points.data(), 20, CoordModeOrigin);
        XSetForeground(dpy, gc, 0);
        XSetLineAttributes(dpy, gc, 0, LineSolid, CapButt, JoinMiter);
        XDrawLine(dpy, pixmap, gc, axis, baseline, axis, 2 * V + 70);
    }
    Capture expected = masked(capture_region(dpy, pixmap, 0, 2 * V + 50, width, 150), run.bits);
    XFreeGC(dpy, gc);
    XFreePixmap(dpy, pixmap);
    return graph_pixels(expected);
}

TEST(Graphs, NodiffPsnrDrawsEachLineFlatAtItsValueAndKeepsTheBottomRowGray)
{
    ViewerRun run;
    auto child = run.start({"-nodiff", "-PSNR", "-l", "-f1", flat_sequence(run, 1, {100}), "-f2",
                            flat_sequence(run, 2, {101}), "-f3", flat_sequence(run, 3, {110})});
    WindowGeometry w = run.window();
    ASSERT_NE(w.id, 0u) << child->stderr_text();
    Capture graphs = expected_graphs(
        run, w.width, {{psnr_of_difference(1)}, {psnr_of_difference(9)}, {psnr_of_difference(10)}});
    EXPECT_TRUE(
        wait_until([&] { return graph_pixels(run.rows(w, 2 * V + 50, 150)) == graphs; }, 15));
    // The bottom picture row and its captions: measured, never shown.
    Capture bottom = run.rows(w, V + 30, V + 20);
    uint32_t background = run.rows(w, w.height - 1, 1).pixels[0];
    EXPECT_EQ(std::count(bottom.pixels.begin(), bottom.pixels.end(), background), 3 * W * (V + 20));
}

TEST(Graphs, QuietRunContinuesTheLineAcrossPassesWithoutAnInfoWindow)
{
    ViewerRun run;
    auto child = run.start({"-quiet", "-PSNR", "-l", "-f1", flat_sequence(run, 1, {100, 100}),
                            "-f2", flat_sequence(run, 2, {101, 105})});
    WindowGeometry w = run.window();
    ASSERT_NE(w.id, 0u) << child->stderr_text();
    // Two frames a pass: all twenty points alternate; a history begun afresh each pass
    // would bring back points on the baseline.
    double one = psnr_of_difference(1), five = psnr_of_difference(5);
    Capture newest[2] = {expected_graphs(run, w.width, {{one, five}}),
                         expected_graphs(run, w.width, {{five, one}})};
    bool seen[2] = {false, false};
    wait_until([&] {
        Capture shown = graph_pixels(run.rows(w, 2 * V + 50, 150));
        seen[0] |= shown == newest[0];
        seen[1] |= shown == newest[1];
        return seen[0] && seen[1];
    }, 15, 10);
    EXPECT_TRUE(seen[0] && seen[1]);
    EXPECT_EQ(find_window(run.x.get(), "Trivista info").id, 0u);
}

// "<prefix>first\n" ... "<prefix>last\n"
static std::string numbered_lines(const std::string &prefix, int first, int last)
{
    std::string text;
    for (int k = first; k <= last; ++k)
        text += prefix + std::to_string(k) + "\n";
    return text;
}

static void expect_end(ChildProcess &child, int status, const std::string &out,
                       const std::string &err)
{
    ASSERT_TRUE(child.wait(20)) << "still running";
    EXPECT_TRUE(child.exited_normally()) << "killed by signal " << child.term_signal();
    EXPECT_EQ(child.exit_status(), status);
    EXPECT_EQ(child.stdout_text(), out);
    EXPECT_EQ(child.stderr_text(), err);
}

TEST(Start, UnusableDisplaysEndTheRunWithStatusOneAMessageAndNoBanner)
{
    const std::string cannot_open = "Can not open display\n",
                      refused = "requires 16/24/32 bit TrueColor display\n";
    // depth 0: DISPLAY unset; -1: a display nobody serves.
    const struct { int depth, visual_class; std::string message; } table[] = {
        {0, -1, cannot_open},    {-1, -1, cannot_open},     {8, -1, refused},
        {15, -1, refused},       {8, TrueColor, refused},   {24, DirectColor, refused},
        {16, DirectColor, refused}};
    TempDir dir;
    std::string first = write_test_sequence(dir.path(), "seq1", W, V, 1, 2);
    for (const auto &r : table) {
        SCOPED_TRACE(::testing::Message() << "depth " << r.depth << " class " << r.visual_class);
        std::unique_ptr<XvfbServer> server;
        if (r.depth > 0)
            server = std::make_unique<XvfbServer>(r.depth, r.visual_class);
        std::string display = server ? server->name()
                              : r.depth ? ":" + std::to_string(59000 + getpid() % 1000) : "";
        ChildProcess child(trivista_path(), {"-f1", first}, display, dir.path());
        expect_end(child, 1, "", r.message);
    }
}

// A descriptor closed at the start must not go to a file or to the X connection, where the
// banner or a warning would land: each run plays to its end with status 0.
TEST(Start, ClosedStandardDescriptorsLeaveTheRunAndItsStatusAlone)
{
    ViewerRun run;
    std::string first = run.sequence(1, 3), list = run.file("list", "no number\n1\n");
    const struct { std::vector<int> closed; std::vector<std::string> args; } table[] = {
        {{0, 1}, {"-f1", first, "-quiet"}},
        {{1, 2}, {"-f1", first, "-fr2", list}},  // warnings before and after the display opens
        {{0, 1, 2}, {"-f1", first, "-f2", run.sequence(2, 3), "-PSNR", "-fr2", list}}};
    for (const auto &r : table) {
        std::vector<std::string> words = {trivista_path(), "-fps", "100"};
        words.insert(words.end(), r.args.begin(), r.args.end());
        std::vector<char *> argv;
        for (std::string &word : words)
            argv.push_back(&word[0]);
        argv.push_back(nullptr);
        pid_t pid = fork();
        if (pid == 0) {
            setenv("DISPLAY", run.server.name().c_str(), 1);
            for (int fd : r.closed)
                close(fd);
            execv(argv[0], argv.data());
            _exit(127);
        }
        int status = -1;
        bool ended = wait_until([&] { return waitpid(pid, &status, WNOHANG) == pid; }, 20);
        if (!ended)
            kill(pid, SIGKILL), waitpid(pid, &status, 0);
        EXPECT_TRUE(ended && WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << r.args.back() << (ended ? " ended with wait status " + std::to_string(status) : " hangs");
    }
}

TEST(Ending, ALongRunOfOptionsPlaysAtItsPaceToAFirstFileCutShortAndEndsWithStatusZero)
{
    ViewerRun run;
    std::vector<std::string> args;
    for (int k = 0; k < 3000; ++k)
        args.insert(args.end(), {"-nodiff", "-quiet"});
    for (int k = 0; k < 2000; ++k)
        args.insert(args.end(), {"-unknown", std::to_string(k)});
    for (int k = 0; k < 2000; ++k)
        args.insert(args.end(), {"-s", std::to_string(k % 3)});  // the last one wins: 1
    std::string first = run.sequence(1, 10), third = run.sequence(3, 10);
    // Sequence 2 is held at every frame: its notes tell how far playback got.
    args.insert(args.end(), {"-fps", "5", "-f1", first, "-f2", run.sequence(2, 10), "-f3", third,
                             "-fr2", run.file("fr2", numbered_lines("", 0, 9))});
    auto started = std::chrono::steady_clock::now();
    auto child = run.start(args);
    auto noted = [&] { return child->stdout_text().find("froze: 1\n") != std::string::npos; };
    ASSERT_TRUE(wait_until(noted, 20));
    ASSERT_EQ(truncate(first.c_str(), 4 * W * V * 3 / 2 + 100), 0);
    ASSERT_EQ(unlink(third.c_str()), 0);
    // The banner once; frame 4 reads short, is shown all the same and ends the run; the
    // removed file plays on; each frame takes its fifth of a second.
    expect_end(*child, 0, banner + numbered_lines("froze: ", 1, 4),
               std::regex_replace(numbered_lines("", 0, 1999), std::regex("(\\d+)\n"),
                                  "Unknown option -unknown skipped together with $1\n"));
    std::chrono::duration<double> taken = std::chrono::steady_clock::now() - started;
    EXPECT_GE(taken.count(), 0.8);
}

TEST(Resources, PlayingTwentyFramesMoreMakesNoHeapCallMore)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator must come first; the counter would precede it";
#endif
    ViewerRun run;
    long calls[2][2] = {};  // allocations, frees
    for (int r = 0; r < 2; ++r) {
        // Info window, difference pictures and PSNR: all a frame can do.
        std::string counts = run.dir.file("heap" + std::to_string(r));
        auto child = run.start({"LD_PRELOAD=" HEAP_COUNTER, "HEAP_COUNTS_FILE=" + counts, trivista_path(),
                                "-PSNR", "-fps", "1000", "-e", r ? "23" : "3", "-f1", run.sequence(1, 24),
                                "-f2", run.sequence(2, 24), "-f3", run.sequence(3, 24)}, "/usr/bin/env");
        ASSERT_TRUE(child->wait(60));
        EXPECT_EQ(child->exit_status(), 0) << child->stderr_text();
        std::ifstream(counts) >> calls[r][0] >> calls[r][1];
        ASSERT_GT(calls[r][0], 0) << "no heap counts from main";
    }
    // Start-up varies by a call or two: X events that arrive before the window is mapped.
    EXPECT_NEAR(calls[1][0], calls[0][0], 4);
    EXPECT_NEAR(calls[1][1], calls[0][1], 4);
}

TEST(Resources, ResidentMemoryOfALoopingRunStaysFlat)
{
    ViewerRun run;
    // One frame a pass, held in sequence 2: a note per pass counts the passes.
    auto child = run.start({"-l", "-PSNR", "-fps", "1000000", "-e", "0", "-fr2",
                            run.file("fr2", "0\n"), "-f1", run.sequence(1, 1), "-f2",
                            run.sequence(2, 1), "-f3", run.sequence(3, 1)});
    auto passes = [&] { return (long(child->stdout_text().size()) - long(strlen(banner))) / 9; };
    auto resident_kib = [&] {
        long size = 0, pages = 0;
        std::ifstream("/proc/" + std::to_string(child->pid()) + "/statm") >> size >> pages;
        return pages * (sysconf(_SC_PAGESIZE) / 1024);
    };
    ASSERT_TRUE(wait_until([&] { return passes() >= 50; }, 30));
    long first = resident_kib(), highest = first, start = passes();
    ASSERT_TRUE(wait_until([&] {
        highest = std::max(highest, resident_kib());
        return passes() >= start + 600;
    }, 60, 20));
    EXPECT_GT(first, 0);
    // 600 frames: even half a kilobyte kept per frame would show.
    EXPECT_LE(highest - first, 256) << "grew from " << first << " KiB";
}

// Visual, colours, windows and images of the screen DISPLAY names, not of screen 0.
TEST(Screens, EverythingGoesToTheScreenDisplayNamesAndOtherScreenNumbersCannotBeOpened)
{
    ViewerRun run(24, {"-screen", "1", "1024x768x16"}, ".1");  // the test sees screen 1
    XConnection zero(run.server.name());
    std::vector<Pane> pane(1);
    for (int k = 0; k < 6; ++k)
        pane[0].pictures.push_back(expected_pane(run, 1, k, 0, 0));
    XColor gray, exact;
    XAllocNamedColor(run.x.get(), DefaultColormap(run.x.get(), 1), "#DBDBDB", &gray, &exact);
    auto child = run.start({"-PSNR", "-fps", "2", "-f1", run.sequence(1, 6), "-f2",
                            run.sequence(2, 6), "-f3", run.sequence(3, 6)});
    WindowGeometry w = run.window();
    ASSERT_NE(w.id, 0u) << child->stderr_text();
    EXPECT_NE(wait_for_window(run.x.get(), "Trivista info", 5).id, 0u);
    EXPECT_TRUE(wait_until([&] { return observe(run, w, pane) && !pane[0].seen.empty(); }, 5));
    EXPECT_EQ(pane[0].wrong, 0);
    EXPECT_EQ(run.rows(w, w.height - 1, 1).pixels.at(w.width - 1), gray.pixel & run.bits);
    for (const char *title : {"kestrin Trivista", "Trivista info"})
        EXPECT_EQ(find_window(zero.get(), title).id, 0u) << title << " on screen 0";
    expect_end(*child, 0, banner, "");
    for (const char *screen : {".-1", ".2"}) {
        ChildProcess other(trivista_path(), {"-f1", run.sequence(1, 6)}, run.server.name() + screen,
                           run.dir.path());
        expect_end(other, 1, "", "Can not open display\n");
    }
}

TEST(Ending, AWindowDestroyedByAnotherProgramEndsTheRunWithOneLineAndStatusOne)
{
    ViewerRun run;
    std::vector<std::string> args = {"-l", "-fps", "50", "-f1", run.sequence(1, 2), "-f2",
                                     run.sequence(2, 2)};
    for (std::string which : {"main", "info"}) {
        auto child = run.start(args);
        WindowGeometry w = wait_for_window(
            run.x.get(), which == "main" ? "kestrin Trivista" : "Trivista info", 15);
        ASSERT_NE(w.id, 0u) << child->stderr_text();
        XDestroyWindow(run.x.get(), w.id);
        XSync(run.x.get(), False);
        expect_end(*child, 1, banner, "The " + which + " window was closed by another program\n");
    }
}

// Keys and clicks as a user gives them, through the XTest extension.
static void press(Display *dpy, Window focus, KeySym key)
{
    XSetInputFocus(dpy, focus, RevertToParent, CurrentTime);
    KeyCode code = XKeysymToKeycode(dpy, key);
    XTestFakeKeyEvent(dpy, code, True, 0), XTestFakeKeyEvent(dpy, code, False, 0), XSync(dpy, False);
}

static void click(Display *dpy, const WindowGeometry &w, int x, int y)
{
    XTestFakeMotionEvent(dpy, -1, w.x + x, w.y + y, 0);
    XTestFakeButtonEvent(dpy, 1, True, 0), XTestFakeButtonEvent(dpy, 1, False, 0), XSync(dpy, False);
}

static double cpu_seconds(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string field;
    double ticks = 0;
    for (int i = 1; i <= 15 && stat >> field; ++i)
        ticks += i >= 14 ? std::stod(field) : 0;  // user and system time
    return ticks / sysconf(_SC_CLK_TCK);
}

// Paused, stepped and sought: each frame shows the pictures, differences, graphs and info text
// that uninterrupted play shows there (the capture at the pause is uninterrupted play's), and a
// click reads the samples. Sequence 2 holds at 3 and 5, sequence 3 at 2.
TEST(Interaction, PauseStepsAndSeeksShowWhatPlayShowsAtEachFrame)
{
    ViewerRun run;
    const int frames = 12, held2[] = {3, 5}, held3 = 2;
    auto child = run.start({"-l", "-PSNR", "-fps", "12", "-fr2", run.file("fr2", "3\n5\n"), "-fr3",
                            run.file("fr3", "2\n"), "-f1", run.sequence(1, frames), "-f2",
                            run.sequence(2, frames), "-f3", run.sequence(3, frames)});
    WindowGeometry w = run.window(), info = wait_for_window(run.x.get(), "Trivista info");
    ASSERT_TRUE(w.id && info.id) << child->stderr_text();
    auto shows = [&](int n, int f) {  // the file frame sequence n shows at frame f
        return f - (n == 2 ? (f >= held2[0]) + (f >= held2[1]) : n == 3 ? f >= held3 : 0);
    };
    const int compared[6][2] = {{1, 0}, {2, 0}, {3, 0}, {1, 2}, {2, 3}, {1, 3}};
    auto at_frame = [&](int f) {
        Capture all = run.rows(w, 0, w.height);
        for (int p = 0; p < 6 && !all.empty(); ++p) {
            int a = compared[p][0], b = compared[p][1];
            if (!(crop(all, p % 3 * W, p < 3 ? 0 : V + 30, W, V) ==
                  expected_pane(run, a, shows(a, f), b, b ? shows(b, f) : 0)))
                return false;
        }
        return !all.empty();
    };
    auto both = [&] { return std::make_pair(run.rows(w, 0, w.height), run.rows(info, 0, info.height)); };

    usleep(1500000);
    press(run.x.get(), w.id, XK_space);
    // A loaded machine may still be painting when the pause comes: wait for a settled picture.
    std::pair<Capture, Capture> paused;
    int g = frames;  // the frame the pause came at: sequence 1 shows it
    ASSERT_TRUE(wait_until([&] {
        paused = both();
        usleep(300000);
        if (!(both() == paused))
            return false;
        for (g = 0; g < frames; ++g)
            if (crop(paused.first, 0, 0, W, V) == expected_pane(run, 1, g, 0, 0))
                return true;
        return false;
    }, 10)) << "no settled frame after the pause";
    double cpu = cpu_seconds(child->pid());
    usleep(1000000);
    EXPECT_TRUE(both() == paused) << "the frame counter went on";
    EXPECT_LT(cpu_seconds(child->pid()) - cpu, 0.05) << "a paused run used the processor";
    // Covered and uncovered while paused: painted again as it was.
    Display *dpy = run.x.get();
    Window cover = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 1000, 600, 0, 0, 0);
    XMapWindow(dpy, cover), XSync(dpy, False), usleep(200000);
    XDestroyWindow(dpy, cover), XSync(dpy, False);
    EXPECT_TRUE(wait_until([&] { return both() == paused; }, 5)) << "not repainted";

    // Home, then one frame at a time up to the pause; End and back; jumps stay in the range.
    press(run.x.get(), info.id, XK_Home);
    EXPECT_TRUE(wait_until([&] { return at_frame(0); }, 5));
    size_t notes_from = child->stdout_text().size();
    std::string notes;  // a step onto a frame the Encoded holds notes that frame, as play does
    for (int f = 1; f <= g; ++f) {
        press(run.x.get(), w.id, XK_Right);
        EXPECT_TRUE(wait_until([&] { return at_frame(f); }, 5)) << "frame " << f;
        notes += f == held2[0] || f == held2[1] ? "froze: " + std::to_string(f) + "\n" : "";
    }
    EXPECT_TRUE(wait_until([&] { return child->stdout_text().substr(notes_from) == notes; }, 5)) << child->stdout_text().substr(notes_from);
    EXPECT_TRUE(wait_until([&] { return both() == paused; }, 5)) << "stepped to " << g;
    const struct { KeySym key; int frame; } moves[] = {
        {XK_End, frames - 1}, {XK_Prior, frames - 1}, {XK_Next, 0}, {XK_Up, 10}, {XK_Down, 0}};
    for (const auto &m : moves) {
        press(run.x.get(), w.id, m.key);
        EXPECT_TRUE(wait_until([&] { return at_frame(m.frame); }, 5)) << "to " << m.frame;
    }
    press(run.x.get(), w.id, XK_End);
    for (int f = frames - 2; f >= g; --f) {
        EXPECT_TRUE(wait_until([&] { return at_frame(f + 1); }, 5));
        press(run.x.get(), w.id, XK_Left);
    }
    EXPECT_TRUE(wait_until([&] { return both() == paused; }, 5)) << "sought back to " << g;

    // Button 1 on pane 1 and on pane 6 at the same picture position: one line each.
    press(run.x.get(), w.id, XK_Home);
    ASSERT_TRUE(wait_until([&] { return at_frame(0); }, 5));
    click(run.x.get(), w, 40, 33), click(run.x.get(), w, 2 * W + 40, V + 30 + 33);
    std::string line = "pixel: frame 0 x 40 y 33";
    int luma[4];
    for (int n = 1; n <= 3; ++n) {
        std::vector<uint8_t> yuv = make_test_frame(W, V, n, shows(n, 0));
        luma[n] = yuv[33 * W + 40];
        line += std::string(" ") + "orgenctra"[3 * n - 3] + "orgenctra"[3 * n - 2] + "orgenctra"[3 * n - 1] +
                " " + std::to_string(luma[n]) + " " + std::to_string(yuv[W * V + 16 * W / 2 + 20]) + " " +
                std::to_string(yuv[W * V * 5 / 4 + 16 * W / 2 + 20]);
    }
    line += " org-enc " + std::to_string(luma[1] - luma[2]) + " enc-tra " + std::to_string(luma[2] - luma[3]) +
            " org-tra " + std::to_string(luma[1] - luma[3]) + "\n";
    EXPECT_TRUE(wait_until([&] { return child->stdout_text().find(line + line) != std::string::npos; }, 5))
        << child->stdout_text();
    press(run.x.get(), w.id, XK_q);
    ASSERT_TRUE(child->wait(5));
    EXPECT_EQ(child->exit_status(), 0);
}

// q, Escape and the close button of either window end the run as its normal end, at once
// also while a frame of a rate of one in 1000 seconds lasts.
TEST(Interaction, QuitKeysAndTheCloseButtonEndTheRunWithStatusZero)
{
    for (int way = 0; way < 8; ++way) {
        ViewerRun run;
        std::vector<uint8_t> frame = make_test_frame(W, V, 1, 0);
        std::string slow = run.file("slow.y4m", "YUV4MPEG2 W176 H144 F1:1000\nFRAME\n" + std::string(frame.begin(), frame.end()));
        auto child = way < 4 ? run.start({"-l", "-fps", "50", "-f1", run.sequence(1, 3), "-f2", run.sequence(2, 3)})
                             : run.start({"-f1", slow, "-f2", slow});
        WindowGeometry w = run.window(), info = wait_for_window(run.x.get(), "Trivista info");
        ASSERT_TRUE(w.id && info.id);
        usleep(200000);  // playing
        Display *dpy = run.x.get();
        if (way % 4 < 2) {
            press(dpy, w.id, way % 4 ? XK_Escape : XK_q);
        } else {
            XEvent close = {};
            close.xclient.type = ClientMessage, close.xclient.format = 32;
            close.xclient.window = way % 4 == 2 ? w.id : info.id;
            close.xclient.message_type = XInternAtom(dpy, "WM_PROTOCOLS", False);
            close.xclient.data.l[0] = (long)XInternAtom(dpy, "WM_DELETE_WINDOW", False);
            XSendEvent(dpy, close.xclient.window, False, NoEventMask, &close), XSync(dpy, False);
        }
        ASSERT_TRUE(child->wait(way < 4 ? 5 : 2)) << "way " << way;
        EXPECT_TRUE(child->exited_normally() && child->exit_status() == 0) << "way " << way;
        EXPECT_EQ(child->stderr_text(), "") << "way " << way;
    }
}

// The planes of a w x h 4:2:0 frame zoomed out by n, from the definition: each sample the
// rounded mean of its block; with `first` and `second`, luma keeps instead the sample of
// the block whose first - second is largest in magnitude, the first in raster order.
static std::vector<uint8_t> zoomed_out(const std::vector<uint8_t> &yuv, int w, int h, int n,
                                       const uint8_t *first = nullptr, const uint8_t *second = nullptr)
{
    int zw = w / n / 2 * 2, zh = h / n / 2 * 2;
    std::vector<uint8_t> out;
    for (int plane = 0; plane < 3; plane++) {
        int pw = plane ? w / 2 : w, ow = plane ? zw / 2 : zw, oh = plane ? zh / 2 : zh;
        const uint8_t *in = yuv.data() + (plane ? w * h + (plane - 1) * w * h / 4 : 0);
        for (int y = 0; y < oh; y++)
            for (int x = 0; x < ow; x++) {
                int sum = 0, largest = -1, kept = 0;
                for (int i = 0; i < n * n; i++) {
                    int at = (y * n + i / n) * pw + x * n + i % n;
                    sum += in[at];
                    if (first && !plane && std::abs(first[at] - second[at]) > largest)
                        largest = std::abs(first[at] - second[at]), kept = in[at];
                }
                out.push_back(first && !plane ? kept : (uint8_t)std::floor(sum / double(n * n) + 0.5));
            }
    }
    return out;
}

// Pane 1..6 of a run of the three w x h frames `seq` at 1/out or x in, by the reference renderers.
static Capture expected_zoomed_pane(ViewerRun &run, const std::vector<uint8_t> seq[3], int pane, int out, int in,
                                    int w = W, int h = V)
{
    const int pair[7][2] = {{}, {1, 0}, {2, 0}, {3, 0}, {1, 2}, {2, 3}, {1, 3}};
    int a = pair[pane][0], b = pair[pane][1], zw = out > 1 ? w / out / 2 * 2 : w, zh = out > 1 ? h / out / 2 * 2 : h;
    std::vector<uint8_t> yuv = seq[a - 1];
    if (b) {
        for (int i = 0; i < w * h; ++i)
            yuv[i] -= seq[b - 1][i];
        std::fill(yuv.begin() + w * h, yuv.end(), 124);
    }
    if (out > 1)
        yuv = zoomed_out(yuv, w, h, out, b ? seq[a - 1].data() : nullptr, b ? seq[b - 1].data() : nullptr);
    bool deep = DefaultDepth(run.x.get(), DefaultScreen(run.x.get())) != 16;
    Visual *visual = DefaultVisual(run.x.get(), DefaultScreen(run.x.get()));
    pixel_tables.wpixel[0] = visual->red_mask, pixel_tables.wpixel[1] = visual->green_mask, pixel_tables.wpixel[2] = visual->blue_mask;
    InitColorDither(deep);
    YuvFrame picture = packed_420_frame(yuv.data(), yuv.data() + zw * zh, yuv.data() + zw * zh * 5 / 4, zw, zh);
    std::vector<uint8_t> pixels(zw * zh * 4);
    auto render = b ? (deep ? DitherImageToGray32_C : DitherImageToGray16_C)
                    : (deep ? Color32DitherImage_C : Color16DitherImage_C);
    render(&picture, pixels.data(), (ptrdiff_t)zw * (deep ? 4 : 2));
    Capture rendered = capture_from_buffer(pixels.data(), deep ? 4 : 2, zw, zh, run.bits), shown = rendered;
    shown.width *= in, shown.height *= in, shown.pixels.resize(shown.width * shown.height);
    for (int y = 0; y < shown.height; y++)
        for (int x = 0; x < shown.width; x++)
            shown.pixels[y * shown.width + x] = rendered.at(x / in, y / in);
    return shown;
}

TEST(Zoom, PanesShowTheBoxMeansTheLargestErrorsOrRepeatedPixelsOnDepth24And16)
{
    const struct { int depth; const char *zoom; int out, in; bool shm, lone_error; } cases[] = {
        {24, "1/2", 2, 1, false, false}, {24, "1/3", 3, 1, true, false}, {24, "2", 1, 2, false, false},
        {16, "1/2", 2, 1, true, false},  {16, "1/3", 3, 1, false, false}, {16, "2", 1, 2, true, false},
        {24, "1/4", 4, 1, false, true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "depth " << c.depth << " -zoom " << c.zoom);
        ViewerRun run(c.depth);
        std::vector<uint8_t> seq[3];
        std::vector<std::string> args = {"-l", "-quiet", "-zoom", c.zoom};
        for (int n = 1; n <= 3; ++n) {
            seq[n - 1] = make_test_frame(W, V, c.lone_error ? 1 : n, 0);
            seq[n - 1][77 * W + 101] += c.lone_error && n == 2;  // one sample 1 higher than the others
            args.insert(args.end(), {"-f" + std::to_string(n), run.file(std::to_string(n), {seq[n - 1].begin(), seq[n - 1].end()})});
        }
        if (c.shm)
            args.push_back("-shm");
        auto child = run.start(args);
        WindowGeometry w = run.window();
        ASSERT_NE(w.id, 0u) << child->stderr_text();
        int pw = c.out > 1 ? W / c.out / 2 * 2 : W * c.in, ph = c.out > 1 ? V / c.out / 2 * 2 : V * c.in;
        for (int pane = 1; pane <= 6; ++pane) {
            Capture expected = expected_zoomed_pane(run, seq, pane, c.out, c.in);
            EXPECT_TRUE(wait_until([&] {
                return crop(run.rows(w, 0, w.height), (pane - 1) % 3 * pw, (pane - 1) / 3 * (ph + 30), pw, ph) == expected;
            }, 10)) << "pane " << pane;
            if (c.lone_error && pane == 4) {  // a mean would hide it
                EXPECT_EQ(std::count(expected.pixels.begin(), expected.pixels.end(), expected.pixels[0]), pw * ph - 1);
            }
        }
    }
}

// The w x h region of a W x V 4:2:0 frame at (x, y), as a frame of its own.
static std::vector<uint8_t> cut(const std::vector<uint8_t> &yuv, int w, int h, int x, int y)
{
    std::vector<uint8_t> part;
    for (int p = 0; p < 3; p++) {
        int s = p ? 2 : 1, plane = p ? W * V + (p - 1) * W * V / 4 : 0;
        for (int row = y / s; row < (y + h) / s; row++)
            part.insert(part.end(), yuv.begin() + plane + row * W / s + x / s, yuv.begin() + plane + row * W / s + (x + w) / s);
    }
    return part;
}

// With -crop every pane shows the region, at any zoom, and a click names the position in the whole picture.
TEST(Zoom, CropShowsTheRegionOfEveryPaneAndClicksNameThePictureSample)
{
    const struct { const char *crop, *zoom; int x, y, w, h, out, in; } cases[] = {
        {"64x48+16+32", "1", 16, 32, 64, 48, 1, 1}, {"80x64-16-0", "2", 80, 80, 80, 64, 1, 2}, {"96x64+80+2", "1/2", 80, 2, 96, 64, 2, 1}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.crop);
        ViewerRun run;
        std::vector<uint8_t> seq[3];
        std::vector<std::string> args = {"-l", "-quiet", "-crop", c.crop, "-zoom", c.zoom};
        for (int n = 1; n <= 3; ++n) {
            seq[n - 1] = cut(make_test_frame(W, V, n, 0), c.w, c.h, c.x, c.y);
            args.insert(args.end(), {"-f" + std::to_string(n), run.sequence(n, 1)});
        }
        auto child = run.start(args);
        WindowGeometry w = run.window();
        int pw = c.out > 1 ? c.w / c.out / 2 * 2 : c.w * c.in, ph = c.out > 1 ? c.h / c.out / 2 * 2 : c.h * c.in;
        ASSERT_EQ(w.width, 3 * pw) << child->stderr_text();
        for (int pane = 1; pane <= 6; ++pane)
            EXPECT_TRUE(wait_until([&] {
                return crop(run.rows(w, 0, w.height), (pane - 1) % 3 * pw, (pane - 1) / 3 * (ph + 30), pw, ph) ==
                       expected_zoomed_pane(run, seq, pane, c.out, c.in, c.w, c.h);
            }, 10)) << "pane " << pane;
        click(run.x.get(), w, pw + 5, 3);
        int px = 5 * c.out / c.in, py = 3 * c.out / c.in;
        std::string at = "pixel: frame 0 x " + std::to_string(c.x + px) + " y " + std::to_string(c.y + py) + " org " +
                         std::to_string(seq[0][py * c.w + px]) + " ";
        EXPECT_TRUE(wait_until([&] { return child->stdout_text().find(at) != std::string::npos; }, 5)) << child->stdout_text();
    }
}

// The PSNR rows of the info window and the report's bytes do not depend on the zoom.
TEST(Zoom, PsnrIsTheSameAtZoomOneAndAHalf)
{
    ViewerRun run;
    std::string first = run.sequence(1, 1), second = run.sequence(2, 1);
    Capture rows[2];
    for (int r = 0; r < 2; ++r) {
        auto child = run.start({"-l", "-PSNR", "-zoom", r ? "1/2" : "1", "-f1", first, "-f2", second});
        WindowGeometry info = wait_for_window(run.x.get(), "Trivista info", 15);
        ASSERT_NE(info.id, 0u) << child->stderr_text();
        ASSERT_TRUE(wait_until([&] {
            rows[r] = masked(capture_region(run.x.get(), info.id, 0, 210, 300, 20), run.bits);
            return std::set<uint32_t>(rows[r].pixels.begin(), rows[r].pixels.end()).size() > 2;  // text drawn
        }, 10));
        kill(child->pid(), SIGTERM), child->wait(5);
    }
    EXPECT_TRUE(rows[0] == rows[1]);
    std::string report[2];
    for (int r = 0; r < 2; ++r) {
        std::vector<std::string> args = {"-f1", first, "-f2", second};
        if (r)
            args.insert(args.begin(), {"-zoom", "1/2"});
        ChildProcess child(std::string(TRIVISTA_BIN_DIR) + "/src/report/trivista-report", args, "", run.dir.path());
        ASSERT_TRUE(child.wait(20) && child.exit_status() == 0) << child.stderr_text();
        report[r] = child.stdout_text();
    }
    EXPECT_EQ(report[0], report[1]);
    EXPECT_NE(report[0], "");
}

TEST(Zoom, OtherValuesAndZoomsBeyondTheLargestPictureAreRefusedWithStatusOne)
{
    TempDir dir;
    std::string first = write_test_sequence(dir.path(), "seq1", W, V, 1, 1);
    write_text_file(dir.file("large"), std::string(1040 * 592 * 3 / 2, 'x'));
    write_text_file(dir.file("largest"), std::string(1024 * 576 * 3 / 2, 'x'));
    const struct { std::vector<std::string> args; std::string err; } table[] = {
        {{"-f1", first, "-zoom", "3/4"}, "-zoom 3/4: the zoom must be one of 1/8, 1/6, 1/5, 1/4, 1/3, 1/2, 1, 2, 3 or 4\n"},
        {{"-f1", first, "-zoom", "1/7"}, "-zoom 1/7: the zoom must be one of 1/8, 1/6, 1/5, 1/4, 1/3, 1/2, 1, 2, 3 or 4\n"},
        {{"-f1", first, "-zoom", "1/2 "}, "-zoom 1/2 : the zoom must be one of 1/8, 1/6, 1/5, 1/4, 1/3, 1/2, 1, 2, 3 or 4\n"},
        {{"-f1", first, "-zoom", "8"}, "-zoom 8: the zoom must be one of 1/8, 1/6, 1/5, 1/4, 1/3, 1/2, 1, 2, 3 or 4\n"},
        {{"-size", "1040x592", "-zoom", "4", "-f1", dir.file("large")},
         "-zoom 4: the pictures would be shown at 4160x2368, larger than 4096x2304\n"},
        // Shown at the largest picture exactly: on to the display, of which there is none here.
        {{"-size", "1024x576", "-zoom", "4", "-f1", dir.file("largest")}, "Can not open display\n"}};
    for (const auto &r : table) {
        ChildProcess child(trivista_path(), r.args, "", dir.path());
        expect_end(child, 1, "", r.err);
    }
}

// Pane 4 of sequences 1 and 2 (frame 0 each) in a difference view at 1/out, on depth 24:
// the level of d = a - b, zoomed out keeping the largest error's, as gray or heat colour.
static Capture expected_view(ViewerRun &run, DifferenceView view, int gain, int out)
{
    std::vector<uint8_t> a = make_test_frame(W, V, 1, 0), b = make_test_frame(W, V, 2, 0), levels = a;
    for (int i = 0; i < W * V; ++i) {
        int d = a[i] - b[i];
        levels[i] = (uint8_t)std::clamp(view == view_heat ? std::abs(d) * gain : 128 + gain * d, 0, 255);
    }
    int zw = W / out / 2 * 2, zh = V / out / 2 * 2;
    if (out > 1)
        levels = zoomed_out(levels, W, V, out, a.data(), b.data());
    Capture shown{zw, zh, {}};
    for (int i = 0; i < zw * zh; ++i) {
        uint8_t rgb[3] = {levels[i], levels[i], levels[i]};
        if (view == view_heat)
            heat_map_colour(levels[i], rgb);
        shown.pixels.push_back((rgb[0] << 16 | rgb[1] << 8 | rgb[2]) & run.bits);
    }
    return shown;
}

// d steps through the views and g through the gains, playing and paused; zoomed out, each
// block shows its largest error's level. The info window names the view and shows the heat
// map's scale, and h puts up the key table until the next key.
class Views : public ::testing::TestWithParam<int> {};
TEST_P(Views, DAndGShowTheCentredAndHeatViewsOfEachGainAndHShowsTheKeysUntilTheNextKey)
{
    const int out = GetParam(), zw = W / out / 2 * 2, zh = V / out / 2 * 2;
    ViewerRun run;
    auto child = run.start({"-l", "-zoom", out > 1 ? "1/2" : "1", "-f1", run.sequence(1, 1), "-f2", run.sequence(2, 1)});
    WindowGeometry w = run.window(), info = wait_for_window(run.x.get(), "Trivista info");
    ASSERT_TRUE(w.id && info.id) << child->stderr_text();
    Display *dpy = run.x.get();
    auto pane4 = [&] { return crop(run.rows(w, 0, w.height), 0, zh + 30, zw, zh); };
    const std::vector<uint8_t> frames[3] = {make_test_frame(W, V, 1, 0), make_test_frame(W, V, 2, 0), {}};
    auto shows = [&](DifferenceView view, int gain) {
        return wait_until([&] { return pane4() == expected_view(run, view, gain, out); }, 5);
    };
    // Keys count once the first frame is shown: the windows are there a little before.
    ASSERT_TRUE(wait_until([&] { return pane4() == expected_zoomed_pane(run, frames, 4, out, 1); }, 10));
    press(dpy, w.id, XK_d);  // playing
    EXPECT_TRUE(shows(view_centred, 1));
    press(dpy, w.id, XK_space);
    press(dpy, info.id, XK_g);  // paused
    EXPECT_TRUE(shows(view_centred, 2));
    press(dpy, w.id, XK_d);
    EXPECT_TRUE(shows(view_heat, 2));
    uint32_t heat[256];
    Visual *visual = DefaultVisual(dpy, DefaultScreen(dpy));
    pixel_tables.wpixel[0] = visual->red_mask, pixel_tables.wpixel[1] = visual->green_mask, pixel_tables.wpixel[2] = visual->blue_mask;
    InitColorDither(1);
    build_view_pixels(view_heat, heat);
    Capture bar = run.rows(info, 302, 1);
    for (int column = 0; column < 128; ++column)
        EXPECT_EQ(bar.at(80 + column, 0), heat[2 * column + 1] & run.bits) << column;
    press(dpy, w.id, XK_space);
    for (int presses = 0; presses < 4; ++presses)  // gains 4, 8, 16, then 1 again
        press(dpy, w.id, XK_g);
    EXPECT_TRUE(shows(view_heat, 1));
    press(dpy, w.id, XK_d);
    press(dpy, w.id, XK_space);
    EXPECT_TRUE(wait_until([&] { return pane4() == expected_zoomed_pane(run, frames, 4, out, 1); }, 5));
    usleep(200000);
    Capture plain = run.rows(info, 0, info.height);
    for (uint32_t pixel : crop(plain, 0, 295, info.width, 15).pixels)
        EXPECT_EQ(pixel, plain.at(info.width - 1, 300)) << "the scale stayed";
    press(dpy, w.id, XK_h);
    EXPECT_TRUE(wait_until([&] { return !(run.rows(info, 0, info.height) == plain); }, 5));
    usleep(200000);
    EXPECT_FALSE(run.rows(info, 0, info.height) == plain) << "the keys went before a key";
    press(dpy, info.id, XK_g);
    EXPECT_TRUE(wait_until([&] { return run.rows(info, 0, info.height) == plain; }, 5));
    EXPECT_TRUE(pane4() == expected_zoomed_pane(run, frames, 4, out, 1));
    press(dpy, w.id, XK_q);
    ASSERT_TRUE(child->wait(5));
    EXPECT_EQ(child->exit_status(), 0);
}
INSTANTIATE_TEST_SUITE_P(Viewer, Views, ::testing::Values(1, 2));

// A w x h 4:2:0 frame whose luma is replaced by plane p (0 Y, 1 U, 2 V) over the luma grid.
static std::vector<uint8_t> spread(std::vector<uint8_t> yuv, int p, int w = W, int h = V)
{
    for (int i = 0; p && i < w * h; ++i)
        yuv[i] = yuv[w * h + (p - 1) * w * h / 4 + i / w / 2 * w / 2 + i % w / 2];
    return yuv;
}

// The gray pixels of a w x h frame's luma, each repeated `in` times across and down.
static Capture gray_pixels(const ViewerRun &run, const std::vector<uint8_t> &yuv, int w, int h, int in = 1)
{
    Capture gray{w * in, h * in, {}};
    for (int i = 0; i < w * h * in * in; ++i)
        gray.pixels.push_back(yuv[i / (w * in) / in * w + i % (w * in) / in] * 0x010101u & run.bits);
    return gray;
}

// y, u and v show that plane alone in gray in the picture panes (chroma repeated over its 2x2 block) and its
// differences in the difference pane, playing and paused; the graph and the info window's PSNR row follow it, as
// a run whose luma differs as that plane does shows them; c brings the colours back.
TEST(Views, YUAndVShowOnePlaneWithItsDifferencesAndPsnrAndCTheColours)
{
    ViewerRun run;
    std::vector<uint8_t> a = make_test_frame(W, V, 1, 0), b = a;
    for (int i = 0; i < W * V * 3 / 2; ++i)
        b[i] ^= i < W * V ? 1 : i < W * V * 5 / 4 ? 2 : 4;  // |d| 1 in Y, 2 in U, 4 in V
    auto child = run.start({"-l", "-PSNR", "-f1", run.file("a", {a.begin(), a.end()}), "-f2", run.file("b", {b.begin(), b.end()})});
    WindowGeometry w = run.window(), info = wait_for_window(run.x.get(), "Trivista info");
    ASSERT_TRUE(w.id && info.id) << child->stderr_text();
    auto psnr_row = [&] { return run.rows(info, 210, 20); };
    auto shows = [&](int p, int d) {
        const std::vector<uint8_t> planes[3] = {spread(a, p), spread(b, p), {}};
        Capture gray = gray_pixels(run, planes[0], W, V), graph = expected_graphs(run, w.width, {{psnr_of_difference(d)}});
        return wait_until([&] {
            Capture all = run.rows(w, 0, w.height);
            return crop(all, 0, 0, W, V) == gray && crop(all, 0, V + 30, W, V) == expected_zoomed_pane(run, planes, 4, 1, 1) &&
                   graph_pixels(crop(all, 0, 2 * V + 50, w.width, 150)) == graph;
        }, 5);
    };
    ASSERT_TRUE(wait_until([&] { return crop(run.rows(w, 0, w.height), 0, 0, W, V) == expected_pane(run, 1, 0, 0, 0); }, 10));
    press(run.x.get(), w.id, XK_u);
    EXPECT_TRUE(shows(1, 2));
    Capture u_row = psnr_row();
    press(run.x.get(), w.id, XK_space);
    press(run.x.get(), info.id, XK_v);
    EXPECT_TRUE(shows(2, 4));
    press(run.x.get(), w.id, XK_y);
    EXPECT_TRUE(shows(0, 1));
    press(run.x.get(), w.id, XK_c);
    EXPECT_TRUE(wait_until([&] { return crop(run.rows(w, 0, w.height), 0, 0, W, V) == expected_pane(run, 1, 0, 0, 0); }, 5));
    press(run.x.get(), w.id, XK_q);
    ASSERT_TRUE(child->wait(5));
    auto luma_alike = run.start({"-l", "-PSNR", "-f1", flat_sequence(run, 1, {100}), "-f2", flat_sequence(run, 2, {102})});
    info = wait_for_window(run.x.get(), "Trivista info");
    EXPECT_TRUE(wait_until([&] { return psnr_row() == u_row; }, 10));
}

// The plane view follows -crop, the zoom, the view and the wipe: zoomed in on a 640x480 screen and panned, the
// Original shows the region's U in gray, the Encoded the Original's left of the pointer, and the difference pane
// the region's U differences.
TEST(Views, APlaneShownAloneIsCroppedZoomedPannedAndWipedAsTheColoursAre)
{
    ViewerRun run(24, 640, 480);
    const int cw = 160, ch = 128;
    std::vector<uint8_t> frames[3], planes[3];
    std::vector<std::string> args = {"-l", "-quiet", "-crop", "160x128+8+8"};
    for (int n = 1; n <= 2; ++n) {
        frames[n - 1] = cut(make_test_frame(W, V, n, 0), cw, ch, 8, 8);
        planes[n - 1] = spread(frames[n - 1], 1, cw, ch);
        args.insert(args.end(), {"-f" + std::to_string(n), run.sequence(n, 1)});
    }
    auto child = run.start(args);
    WindowGeometry w = run.window();
    ASSERT_TRUE(w.id) << child->stderr_text();
    Display *dpy = run.x.get();
    ASSERT_TRUE(wait_until([&] { return crop(run.rows(w, 0, w.height), 0, 0, cw, ch) == expected_zoomed_pane(run, frames, 1, 1, 1, cw, ch); }, 10));
    for (KeySym key : {XK_plus, XK_Down, XK_u, XK_w}) {
        XTestFakeKeyEvent(dpy, XKeysymToKeycode(dpy, XK_Shift_L), key == XK_plus || key == XK_Down, 0);
        press(dpy, w.id, key);
        XTestFakeKeyEvent(dpy, XKeysymToKeycode(dpy, XK_Shift_L), False, 0), XSync(dpy, False);
    }
    ASSERT_TRUE(wait_until([&] { return (w = find_window(dpy, "kestrin Trivista")).width != 2 * cw; }, 5));
    int pw = w.width / 2, ph = (w.height - 50) / 2;  // as large as the screen holds, the centre kept, then down
    int x = std::clamp(cw - pw / 2, 0, 2 * cw - pw), y = std::min(std::clamp(ch - ph / 2, 0, 2 * ch - ph) + ph / 8, 2 * ch - ph);
    ASSERT_LT(pw, 2 * cw);
    ASSERT_LT(ph, 2 * ch);
    Capture original = crop(gray_pixels(run, planes[0], cw, ch, 2), x, y, pw, ph), own = crop(gray_pixels(run, planes[1], cw, ch, 2), x, y, pw, ph);
    Capture difference = crop(expected_zoomed_pane(run, planes, 4, 1, 2, cw, ch), x, y, pw, ph);
    for (int split : {pw / 2, 50}) {  // the pointer moves once the wipe follows it
        if (split == 50)
            XTestFakeMotionEvent(dpy, -1, w.x + pw + split, w.y + 40, 0), XSync(dpy, False);
        Capture wiped = own;
        for (int row = 0; row < ph; ++row)
            std::copy_n(original.pixels.begin() + row * pw, split, wiped.pixels.begin() + row * pw);
        EXPECT_TRUE(wait_until([&] {
            Capture all = run.rows(w, 0, w.height);
            return crop(all, 0, 0, pw, ph) == original && crop(all, pw, 0, pw, ph) == wiped && crop(all, 0, ph + 30, pw, ph) == difference;
        }, 10)) << "split " << split;
    }
    press(dpy, w.id, XK_q);
    ASSERT_TRUE(child->wait(5));
}

// Labels name the panes: with -label2 Org -label3 Enc the pair Enc<->Tra is captioned as
// Org<->Enc is without labels, and the Encoded pane's caption changes.
TEST(Labels, PairCaptionsAreMadeOfTheSequencesLabels)
{
    auto shown = [&](std::vector<std::string> args) {
        ViewerRun run;
        for (int n = 1; n <= 3; ++n)
            args.insert(args.end(), {"-f" + std::to_string(n), run.sequence(n, 1)});
        auto child = run.start(args);
        WindowGeometry w = run.window();
        EXPECT_TRUE(wait_until([&] { return crop(run.rows(w, 0, w.height), 0, 0, W, V) == expected_pane(run, 1, 0, 0, 0); }, 10));
        return run.rows(w, 0, w.height);
    };
    Capture plain = shown({"-quiet", "-l"}), labelled = shown({"-quiet", "-l", "-label2", "Org", "-label3", "Enc"});
    ASSERT_FALSE(plain.empty() || labelled.empty());
    EXPECT_TRUE(crop(labelled, W, 2 * V + 30, W, 20) == crop(plain, 0, 2 * V + 30, W, 20));
    EXPECT_FALSE(crop(labelled, W, V, W, 30) == crop(plain, W, V, W, 30));
    EXPECT_TRUE(crop(labelled, 0, V, W, 30) == crop(plain, 0, V, W, 30));
}

// s writes both windows as shown, side by side, into DIR/trivista-<frame>.png and says so; the
// PNG holds the captured pixels of each window, black below the shorter one. -shots takes
// directories only.
TEST(Screenshots, SWritesBothWindowsAsShownIntoOnePngNamedByTheFrame)
{
    ViewerRun run;
    mkdir(run.dir.file("shots").c_str(), 0700);
    auto child = run.start({"-l", "-PSNR", "-shots", run.dir.file("shots"), "-f1", run.sequence(1, 4), "-f2", run.sequence(2, 4)});
    WindowGeometry w = run.window(), info = wait_for_window(run.x.get(), "Trivista info");
    ASSERT_TRUE(w.id && info.id) << child->stderr_text();
    auto first_pane = [&] { return crop(run.rows(w, 0, w.height), 0, 0, W, V); };
    ASSERT_TRUE(wait_until([&] { return first_pane() == expected_pane(run, 1, 0, 0, 0); }, 10));
    press(run.x.get(), w.id, XK_space);
    usleep(300000);
    Capture shown = run.rows(w, 0, w.height), shown_info = run.rows(info, 0, info.height);
    press(run.x.get(), info.id, XK_s);
    std::smatch saved;
    std::string out;  // the match points into it
    ASSERT_TRUE(wait_until([&] { out = child->stdout_text();
                                 return std::regex_search(out, saved, std::regex("saved: (.*/trivista-([0-9]+)\\.png)\n")); }, 5));
    EXPECT_EQ(saved[1].str(), run.dir.file("shots") + "/trivista-" + saved[2].str() + ".png");
    EXPECT_TRUE(crop(shown, 0, 0, W, V) == expected_pane(run, 1, std::stoi(saved[2].str()), 0, 0));
    cairo_surface_t *png = cairo_image_surface_create_from_png(saved[1].str().c_str());
    ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
    int width = cairo_image_surface_get_width(png), height = cairo_image_surface_get_height(png);
    ASSERT_EQ(width, w.width + info.width);
    ASSERT_EQ(height, std::max(w.height, info.height));
    Capture decoded{width, height, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            decoded.pixels.push_back(((uint32_t *)(cairo_image_surface_get_data(png) +
                                                   y * cairo_image_surface_get_stride(png)))[x] & run.bits);
    cairo_surface_destroy(png);
    EXPECT_TRUE(crop(decoded, 0, 0, w.width, w.height) == shown);
    EXPECT_TRUE(crop(decoded, w.width, 0, info.width, info.height) == shown_info);
    for (int y = std::min(w.height, info.height); y < height; ++y)
        EXPECT_EQ(decoded.at(w.height < info.height ? 0 : w.width, y), 0u);
    press(run.x.get(), w.id, XK_q);
    ASSERT_TRUE(child->wait(5));
    EXPECT_EQ(child->exit_status(), 0);

    auto refused = run.start({"-shots", run.sequence(1, 1), "-f1", run.sequence(1, 1)});
    ASSERT_TRUE(refused->wait(5));
    EXPECT_EQ(refused->exit_status(), 1);
    EXPECT_EQ(refused->stderr_text(), "-shots " + run.sequence(1, 1) + ": not a directory\n");
}

// With -quiet the key table goes over the main window until the next key, which brings back
// every pixel, and s saves the main window alone.
TEST(Screenshots, QuietRunsShowTheKeysOverTheMainWindowAndSaveItAlone)
{
    ViewerRun run;
    auto child = run.start({"-quiet", "-l", "-shots", run.dir.path(), "-f1", run.sequence(1, 2), "-f2", run.sequence(2, 2)});
    WindowGeometry w = run.window();
    ASSERT_TRUE(w.id) << child->stderr_text();
    ASSERT_TRUE(wait_until([&] { return crop(run.rows(w, 0, w.height), 0, 0, W, V) == expected_pane(run, 1, 0, 0, 0); }, 10));
    press(run.x.get(), w.id, XK_space);
    usleep(300000);
    Capture paused = run.rows(w, 0, w.height);
    press(run.x.get(), w.id, XK_question);  // unshifted: the slash, which is no key of ours
    usleep(200000);
    EXPECT_TRUE(run.rows(w, 0, w.height) == paused);
    XTestFakeKeyEvent(run.x.get(), XKeysymToKeycode(run.x.get(), XK_Shift_L), True, 0);
    press(run.x.get(), w.id, XK_question);
    XTestFakeKeyEvent(run.x.get(), XKeysymToKeycode(run.x.get(), XK_Shift_L), False, 0);
    EXPECT_TRUE(wait_until([&] { return !(crop(run.rows(w, 0, w.height), 0, 0, 200, 100) == crop(paused, 0, 0, 200, 100)); }, 5));
    press(run.x.get(), w.id, XK_s);
    EXPECT_TRUE(wait_until([&] { return run.rows(w, 0, w.height) == paused; }, 5));
    ASSERT_TRUE(wait_until([&] { return child->stdout_text().find("saved: ") != std::string::npos; }, 5));
    std::string path = child->stdout_text().substr(child->stdout_text().find("saved: ") + 7);
    path.pop_back();
    EXPECT_EQ(path.substr(0, path.rfind('/') + 1), run.dir.path() + "/");
    cairo_surface_t *png = cairo_image_surface_create_from_png(path.c_str());
    EXPECT_EQ(cairo_image_surface_get_width(png), w.width);
    EXPECT_EQ(cairo_image_surface_get_height(png), w.height);
    cairo_surface_destroy(png);
}

// Keys, drags and the window's size move what the panes show. Each step: how the zoom and the
// view stand afterwards (zoom in/out, pane size, view origin in shown pixels) on a 640x480
// screen, the main window as large as the panes need, and every pane that view of its picture.
struct ViewStep {
    const char *does;
    int in, out, pane_width, pane_height, x, y;
};
class ViewMoves : public ::testing::TestWithParam<bool> {};
TEST_P(ViewMoves, PlusMinusShiftArrowsDragsAndResizingMoveOneViewOfEveryPane)
{
    ViewerRun run(24, 640, 480);
    std::vector<uint8_t> seq[3];
    std::vector<std::string> args = {"-l", "-f1", run.sequence(1, 1), "-f2", run.sequence(2, 1)};
    for (int n = 1; n <= 2; ++n)
        seq[n - 1] = make_test_frame(W, V, n, 0);
    if (GetParam())
        args.push_back("-shm");
    auto child = run.start(args);
    WindowGeometry w = run.window(), info = wait_for_window(run.x.get(), "Trivista info");
    ASSERT_TRUE(w.id && info.id) << child->stderr_text();
    Display *dpy = run.x.get();
    auto zoom_row = [&] { return run.rows(info, 49, 14); };
    auto pointer = [&](int x, int y) { XTestFakeMotionEvent(dpy, -1, w.x + x, w.y + y, 0), XSync(dpy, False); };
    auto button = [&](int b, bool down) { XTestFakeButtonEvent(dpy, b, down, 0), XSync(dpy, False); };
    const ViewStep steps[] = {
        {"", 1, 1, 176, 144, 0, 0},
        {"+", 2, 1, 319, 214, 17, 37},  // the centre kept: 176 - 319 / 2, 144 - 214 / 2
        {"Shift+Right", 2, 1, 319, 214, 33, 37},  // no further than the picture's edge
        {"Shift+Down", 2, 1, 319, 214, 33, 63},
        {"drag 2", 2, 1, 319, 214, 3, 53},  // the pictures follow the pointer
        {"resize", 2, 1, 250, 175, 3, 53},
        {"drag 3", 2, 1, 250, 175, 102, 113},
        {"-", 1, 1, 176, 144, 0, 0},
        {"-", 1, 2, 88, 72, 0, 0},
    };
    Capture blank_row;
    for (const ViewStep &s : steps) {
        SCOPED_TRACE(s.does);
        std::string does = s.does;
        if (does == "+" || does == "-") {
            XTestFakeKeyEvent(dpy, XKeysymToKeycode(dpy, XK_Shift_L), does == "+", 0);
            press(dpy, w.id, does == "+" ? XK_plus : XK_minus);
            XTestFakeKeyEvent(dpy, XKeysymToKeycode(dpy, XK_Shift_L), False, 0);
        } else if (does.rfind("Shift", 0) == 0) {
            XTestFakeKeyEvent(dpy, XKeysymToKeycode(dpy, XK_Shift_L), True, 0);
            press(dpy, w.id, does == "Shift+Right" ? XK_Right : XK_Down);
            XTestFakeKeyEvent(dpy, XKeysymToKeycode(dpy, XK_Shift_L), False, 0), XSync(dpy, False);
        } else if (does.rfind("drag", 0) == 0) {
            int b = does.back() - '0', dx = b == 2 ? 30 : -99, dy = b == 2 ? 10 : -60;
            pointer(150, 150), button(b, True), pointer(150 + dx / 2, 150 + dy / 2), pointer(150 + dx, 150 + dy);
            button(b, False);
        } else if (does == "resize") {
            XResizeWindow(dpy, w.id, 500, 400), XSync(dpy, False);
        }
        Capture expected[2];
        for (int p = 0; p < 2; ++p)
            expected[p] = crop(expected_zoomed_pane(run, seq, p ? 4 : 1, s.out, s.in), s.x, s.y, s.pane_width, s.pane_height);
        EXPECT_TRUE(wait_until([&] {
            WindowGeometry now = find_window(dpy, "kestrin Trivista");
            Capture all = masked(capture_region(dpy, w.id, 0, 0, now.width, now.height), run.bits);
            return !all.empty() && now.width == 2 * s.pane_width && now.height == 2 * s.pane_height + 50 &&
                   crop(all, 0, 0, s.pane_width, s.pane_height) == expected[0] &&
                   crop(all, 0, s.pane_height + 30, s.pane_width, s.pane_height) == expected[1];
        }, 10));
        if (does.empty())
            blank_row = zoom_row();
        else  // the zoom and the view in the info window
            EXPECT_TRUE(wait_until([&] { return !(zoom_row() == blank_row); }, 5));
    }
    child->stdout_text();
    click(dpy, w, 41, 11);  // at 1/2, the picture sample under the click
    EXPECT_TRUE(wait_until([&] { return child->stdout_text().find("pixel: frame 0 x 82 y 22 ") != std::string::npos; }, 5));
    press(dpy, w.id, XK_q);
    ASSERT_TRUE(child->wait(5));
    EXPECT_EQ(child->exit_status(), 0);
}
INSTANTIATE_TEST_SUITE_P(Viewer, ViewMoves, ::testing::Values(false, true));

// Whenever the main window's size changes, by the zoom or the window manager, the info window goes right of it
// again. Zooming in leaves it that room on the screen (panes of 536 instead of 639 at zoom 4, 2 x 4 x 144 + 200
// rows being too tall for the room below), while the window manager's size is the user's, even where the panes
// need less.
TEST(InfoWindow, FollowsTheMainWindowsSizeAndZoomingInLeavesItRoomOnA1920x1080Screen)
{
    ViewerRun run(24, 1920, 1080);
    auto child = run.start({"-l", "-PSNR", "-f1", run.sequence(1, 1), "-f2", run.sequence(2, 1), "-f3", run.sequence(3, 1)});
    WindowGeometry main = run.window(), info = wait_for_window(run.x.get(), "Trivista info");
    ASSERT_TRUE(main.id && info.id) << child->stderr_text();
    Display *dpy = run.x.get();
    const struct { const char *does; int main_width; } steps[] = {
        {"", 528}, {"resize 700x600", 700}, {"+", 1056}, {"+", 1584}, {"+", 1608}, {"resize 1000x700", 999}, {"resize 1400x800", 1398}, {"-", 1584}};
    for (const auto &s : steps) {
        SCOPED_TRACE(s.does);
        std::string does = s.does;
        int width, height;
        if (does.size() == 1) {
            XTestFakeKeyEvent(dpy, XKeysymToKeycode(dpy, XK_Shift_L), does == "+", 0);
            press(dpy, main.id, does == "+" ? XK_plus : XK_minus);
            XTestFakeKeyEvent(dpy, XKeysymToKeycode(dpy, XK_Shift_L), False, 0), XSync(dpy, False);
        } else if (sscanf(s.does, "resize %dx%d", &width, &height) == 2) {
            XResizeWindow(dpy, main.id, width, height), XSync(dpy, False);
        }
        EXPECT_TRUE(wait_until([&] {
            main = find_window(dpy, "kestrin Trivista"), info = find_window(dpy, "Trivista info");
            int right = main.x - main.border + main.width + 2 * main.border + 10;  // the outer edge and a gap
            return main.width == s.main_width && info.x == right && info.y == std::max(0, main.y - main.border) &&
                   info.x + info.width <= 1920;
        }, 10)) << "main " << main.x << "," << main.y << " " << main.width << "x" << main.height << ", info " << info.x << "," << info.y;
    }
    press(dpy, main.id, XK_q);
    ASSERT_TRUE(child->wait(5));
}

// w wipes the Original into the Encoded and Transmitted panes left of a split that follows the
// pointer; a shows the Original there instead, and again their own. Captions say which.
TEST(AB, WWipesTheOriginalInLeftOfThePointerAndAFlickersBetweenItAndTheOwnSequence)
{
    ViewerRun run;
    auto child = run.start({"-l", "-quiet", "-f1", run.sequence(1, 1), "-f2", run.sequence(2, 1), "-f3", run.sequence(3, 1)});
    WindowGeometry w = run.window();
    ASSERT_TRUE(w.id) << child->stderr_text();
    Display *dpy = run.x.get();
    Capture own[3] = {expected_pane(run, 1, 0, 0, 0), expected_pane(run, 2, 0, 0, 0), expected_pane(run, 3, 0, 0, 0)};
    ASSERT_TRUE(wait_until([&] { return crop(run.rows(w, 0, w.height), W, 0, W, V) == own[1]; }, 10));
    const Capture plain = run.rows(w, 0, w.height);
    const int original = W;  // a split beyond the pane
    const struct { KeySym key; int pointer_x, split; } steps[] = {
        {XK_w, -1, W / 2}, {0, W + 50, 50}, {0, 2 * W + 20, 20}, {XK_a, -1, original}, {XK_w, -1, 20},
        {XK_w, -1, 0}, {XK_a, -1, original}, {XK_a, -1, 0}};
    for (const auto &s : steps) {
        SCOPED_TRACE(testing::Message() << "split " << s.split);
        if (s.key)
            press(dpy, w.id, s.key);
        else
            XTestFakeMotionEvent(dpy, -1, w.x + s.pointer_x, w.y + 40, 0), XSync(dpy, False);
        EXPECT_TRUE(wait_until([&] {
            Capture all = run.rows(w, 0, w.height);
            for (int n = 2; n <= 3; ++n) {
                Capture shown = own[n - 1];
                for (int y = 0; y < V; ++y)
                    for (int x = 0; x < s.split; ++x)
                        shown.pixels[y * W + x] = own[0].at(x, y);
                if (!(crop(all, (n - 1) * W, 0, W, V) == shown))
                    return false;
            }
            Capture caption = crop(all, W, V, W, 30);  // the Original's, the own, or both named
            return s.split == original ? caption == crop(all, 0, V, W, 30)
                                       : (caption == crop(plain, W, V, W, 30)) == (s.split == 0);
        }, 5));
    }
    EXPECT_TRUE(run.rows(w, 0, w.height) == plain);
    press(dpy, w.id, XK_q);
    ASSERT_TRUE(child->wait(5));
    EXPECT_EQ(child->exit_status(), 0);
}
