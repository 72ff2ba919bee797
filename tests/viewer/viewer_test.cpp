// Whole runs of the trivista executable, each on its own private Xvfb seen from the test's
// own connection: pixels on screen, messages, exit statuses, faults and memory.
#include <gtest/gtest.h>
#include <signal.h>
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
#include "harness.h"
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
    wpixel[0] = visual->red_mask, wpixel[1] = visual->green_mask, wpixel[2] = visual->blue_mask;
    coded_picture_width = horizontal_size = W;
    coded_picture_height = vertical_size = V;
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
    // From -s 2: sequence 2 holds frame 2 at its mark 3 (mark 1 lies before the start and
    // holds nothing), then runs a frame behind until its four frames run out and it keeps
    // the last; sequence 3 holds at 4 without a note.
    {"FreezingAndAShortSecondFile", "", 24, {}, {"-s", "2", "-fr2", "1\n3\n", "-fr3", "4\n"},
     {6, 4, 6}, {{2, 3, 4, 5}, {2, 2, 3, 3}, {2, 3, 3, 4}}, "froze: 3\n", ""},
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
    GTEST_SKIP() << "valgrind cannot run a sanitizer build";
#endif
    const std::string valgrind = "/usr/bin/valgrind";
    if (access(valgrind.c_str(), X_OK) != 0)
        GTEST_SKIP() << "needs valgrind";
    ViewerRun run;
    long calls[2][2] = {};  // allocations, frees
    for (int r = 0; r < 2; ++r) {
        // Info window, difference pictures and PSNR: all a frame can do.
        std::string log = run.dir.file("heap");
        auto child = run.start({"--log-file=" + log, trivista_path(), "-PSNR", "-fps", "1000",
                                "-e", r ? "23" : "3", "-f1", run.sequence(1, 24), "-f2",
                                run.sequence(2, 24), "-f3", run.sequence(3, 24)}, valgrind);
        ASSERT_TRUE(child->wait(240));
        EXPECT_EQ(child->exit_status(), 0) << child->stderr_text();
        std::string text = std::regex_replace(read_text_file(log), std::regex(","), "");
        size_t at = text.find("total heap usage:");
        ASSERT_NE(at, std::string::npos) << text;
        sscanf(&text[at], "total heap usage: %ld allocs, %ld frees", calls[r], calls[r] + 1);
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
