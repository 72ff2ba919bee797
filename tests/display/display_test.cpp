// The display subsystem in-process on a private Xvfb: main window, panes, info window and
// PSNR graphs, each compared with what the test draws itself with its own GCs.
#include <gtest/gtest.h>

#include <X11/xpm.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <numeric>
#include <thread>

#include "convert/color_tables.h"
#include "display/display.h"
#include "display/events.h"
#include "harness.h"
#include "display/psnr_graph.h"
#include "common/region.h"
#include "common/settings.h"
#include "display/shm_transfer.h"
#include "display/layout.h"
#include "display/viewport.h"
#include "source/sequence.h"
#include "source/source.h"

static const std::string banner = "\nkestrin Trivista\nhttps://trivista.example/\n\n";

// init_display sets process-wide state once, so each case runs in a forked child (ended
// after 15 s); its standard output (banner, messages, failure reports) is the result.
static std::string in_child(const std::function<void()> &body)
{
    TempDir dir;
    fflush(stdout);
    pid_t pid = fork();
    if (pid == 0) {
        alarm(15);
        if (freopen(dir.file("out").c_str(), "w", stdout))
            body();
        _exit(fflush(stdout) != 0 || testing::Test::HasFailure());
    }
    int status = -1;
    waitpid(pid, &status, 0);
    std::string out = read_text_file(dir.file("out"));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status << out;
    return out;
}

static void use_layout(int width, int height, int sequences, int with_psnr = 0, int no_differences = 0)
{
    settings.horizontal_size = width, settings.vertical_size = height;
    settings.cropping.region = PictureRegion{0, 0, width, height};
    settings.expand = sequences, settings.psnr = with_psnr, settings.nodiff = no_differences;
}

static unsigned long pixel(const char *name)
{
    XColor colour, exact;
    XAllocNamedColor(x11.display, DefaultColormap(x11.display, DefaultScreen(x11.display)), name, &colour, &exact);
    return colour.pixel;
}

// What a drawable should show: a pixmap the test paints; text on the gray background.
struct Sketch {
    Pixmap pixmap;
    GC context;
    Sketch(int width, int height, unsigned long fill_colour)
        : pixmap(XCreatePixmap(x11.display, x11.window, width, height, x11.dpy_depth)), context(XCreateGC(x11.display, pixmap, 0, 0))
    {
        XSetBackground(x11.display, context, pixel("#DBDBDB"));
        XFillRectangle(x11.display, pixmap, with(fill_colour), 0, 0, width, height);
    }
    GC with(unsigned long colour, int line_width = 0)
    {
        XSetForeground(x11.display, context, colour);
        XSetLineAttributes(x11.display, context, line_width, LineSolid, CapButt, JoinMiter);
        return context;
    }
    void text(unsigned long c, int x, int y, const char *s)
    {
        XDrawImageString(x11.display, pixmap, with(c), x, y, s, strlen(s));
    }
    // Pixels of `shown` in (0, 0, w, h) that differ from the sketch.
    long differing(Drawable shown, int w, int h)
    {
        Capture a = masked(capture_region(x11.display, shown, 0, 0, w, h), default_colour_bits(x11.display));
        Capture e = masked(capture_region(x11.display, pixmap, 0, 0, w, h), default_colour_bits(x11.display));
        return a.empty() ? -1 : std::inner_product(a.pixels.begin(), a.pixels.end(), e.pixels.begin(), 0L,
                                                   std::plus<>(), std::not_equal_to<>());
    }
};

// On the 16-bit server a window manager reparents the window before it maps it, so structure
// events come first: init_display must pass over them and return only once it is mapped.
TEST(MainWindow, IsAGrayWindowAtTheOriginSizedByTheLayoutAndMappedOnReturn)
{
    const struct { int depth, width, height, sequences, psnr, nodiff, window_width, window_height; } cases[] = {
        {24, 176, 144, 3, 0, 0, 528, 338}, {24, 176, 144, 3, 1, 0, 528, 488}, {24, 176, 144, 3, 0, 1, 528, 169},
        {24, 176, 144, 3, 1, 1, 528, 488}, {24, 176, 144, 2, 0, 0, 352, 338}, {24, 176, 144, 0, 0, 0, 176, 338},
        {24, 176, 144, 4, 0, 0, 176, 338}, {24, 352, 288, -1, 0, 0, 352, 626}, {24, 120, 64, 2, 1, 0, 240, 328},
        {16, 176, 144, 1, 0, 1, 176, 169}, {16, 352, 288, 1, 0, 0, 352, 626}, {16, 352, 288, 2, 1, 0, 704, 776},
        {16, 352, 288, 3, 1, 1, 1056, 776},
    };
    XvfbServer server24(24), server16(16);
    XConnection manager(server16.name());
    Display *wm = manager.get();
    XSelectInput(wm, DefaultRootWindow(wm), SubstructureRedirectMask);
    XSync(wm, False);
    int managed = std::count_if(std::begin(cases), std::end(cases), [](const auto &c) { return c.depth == 16; });
    std::thread managing([&] {
        XEvent e{};
        auto map_request = [&] { return XPending(wm) && !XNextEvent(wm, &e) && e.type == MapRequest; };
        for (int rows = managed; rows > 0 && wait_until(map_request, 30); --rows) {
            XReparentWindow(wm, e.xmaprequest.window, DefaultRootWindow(wm), 0, 0);
            XSync(wm, False);
            usleep(100000);
            XMapWindow(wm, e.xmaprequest.window);
            XSync(wm, False);
        }
    });
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << &c - cases + 1);
        std::string out = in_child([&] {
            use_layout(c.width, c.height, c.sequences, c.psnr, c.nodiff);
            bool deep = c.depth == 24;
            EXPECT_EQ(init_display((deep ? server24 : server16).name().c_str()), deep ? 32 : 16);
            EXPECT_TRUE(x11.dpy_depth == c.depth && pixel_tables.wpixel[0] == (deep ? 0xFF0000ul : 0xF800ul) &&
                        pixel_tables.wpixel[1] == (deep ? 0xFF00ul : 0x07E0ul) && pixel_tables.wpixel[2] == (deep ? 0xFFul : 0x001Ful));
            EXPECT_EQ(static_cast<uint32_t>(pixel_tables.r_2_pix[255]), deep ? 0xFF0000u : 0xF800F800u);  // tables for the depth
            ASSERT_TRUE(x11.ximage && x11.ximage->data == nullptr && x11.ximage->width == c.width && x11.ximage->height == c.height &&
                        x11.ximage->bytes_per_line == c.width * (deep ? 4 : 2));
            WindowGeometry w = find_window(x11.display, "kestrin Trivista");
            EXPECT_TRUE(w.id == x11.window && w.x == 1 && w.y == 1 && w.border == 1);  // (0, 0) and its border
            EXPECT_TRUE(w.width == c.window_width && w.height == c.window_height) << w.width << "x" << w.height;
            SizeHints h = read_size_hints(x11.display, x11.window);
            // As large as the whole pictures, as small as panes 16 pixels wide.
            EXPECT_TRUE(h.flags == (PSize | PMinSize | PMaxSize) && h.width == w.width && h.max_width == w.width &&
                        h.height == w.height && h.max_height == w.height && h.min_width == w.width / c.width * 16);
            XWindowAttributes a;
            XGetWindowAttributes(x11.display, x11.window, &a);
            EXPECT_EQ(a.your_event_mask, NoEventMask);
            EXPECT_EQ(Sketch(w.width, w.height, pixel("#DBDBDB")).differing(x11.window, w.width, w.height), 0);  // gray
        });
        EXPECT_EQ(out, banner);
        if (HasFailure())
            break;  // a hanging case would otherwise cost its timeout for every row
    }
    managing.join();
}

// A size the main window is given before the viewer listens to it sends the viewer no event:
// listening takes it as a resize, once; its own size is none.
TEST(MainWindow, ASizeGivenBeforeListeningIsTakenAsAResize)
{
    XvfbServer server(24);
    for (int given : {0, 1}) {
        in_child([&] {
            use_layout(176, 144, 3, 0);
            init_display(server.name().c_str());
            XConnection other(server.name());  // as a window manager would
            if (given)
                XResizeWindow(other.get(), x11.window, 700, 400), XSync(other.get(), False);
            listen_for_input();
            UserCommand first = next_command(false);
            EXPECT_TRUE(given ? first.kind == command_resize && first.x == 700 && first.y == 400 : first.kind == command_none)
                << given << ": " << first.kind << " " << first.x << "x" << first.y;
            EXPECT_EQ(next_command(false).kind, command_none);
        });
    }
}

// Every pane at its place with its caption, through XPutImage and shared memory; a shared
// slot is not rewritten before the server has read it; unknown panes draw nothing.
TEST(Panes, PicturesAndCaptionsStandAtTheirPlacesAndUnknownPanesDrawNothing)
{
    const struct { int depth, through_shm, H, V; } cases[] = {
        {24, 0, 176, 144}, {16, 0, 352, 288}, {24, 1, 352, 288}, {16, 1, 120, 64}};
    const char *captions[] = {"Original", "Encoded", "Transmitted", "Org<->Enc", "Enc<->Tra", "Org<->Tra"};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "depth " << c.depth << " shm " << c.through_shm);
        XvfbServer server(c.depth);
        std::string out = in_child([&] {
            use_layout(c.H, c.V, 3);
            settings.shm = c.through_shm;
            int bytes = init_display(server.name().c_str()) / 8;
            EXPECT_EQ(x11.shm_ready, c.through_shm);
            Sketch expected(3 * c.H, 2 * c.V + 50, x11.gray_col.pixel);
            Pixmap copy = XCreatePixmap(x11.display, x11.window, c.H, c.V, x11.dpy_depth);
            std::vector<std::vector<unsigned char>> pictures(12, std::vector<unsigned char>(c.H * c.V * bytes));
            for (auto &picture : pictures)
                std::generate(picture.begin(), picture.end(), [] { return static_cast<unsigned char>(rand()); });
            for (int pane = 1; pane <= 6; ++pane) {
                int x = (pane - 1) % 3 * c.H, y = (pane - 1) / 3 * (c.V + 30);
                for (int i : {pane - 1, pane + 5}) {
                    if (i > 5)
                        XCopyArea(x11.display, x11.window, copy, expected.context, x, y, c.H, c.V, 0, 0);
                    // A wrong byte order first: each call must set the machine's own.
                    x11.ximage->byte_order = x11.ximage->bitmap_bit_order = ImageByteOrder(x11.display) ^ 1;
                    display_image(x11.ximage, pictures[i].data(), pane);
                }
                uint32_t bits = default_colour_bits(x11.display);  // the copy holds the first picture
                EXPECT_TRUE(masked(capture_region(x11.display, copy, 0, 0, c.H, c.V), bits) ==
                            capture_from_buffer(pictures[pane - 1].data(), bytes, c.H, c.V, bits));
                XImage *own = XCreateImage(x11.display, DefaultVisual(x11.display, 0), x11.dpy_depth, ZPixmap, 0,
                                           reinterpret_cast<char *>(pictures[pane + 5].data()), c.H, c.V, 8, 0);
                XPutImage(x11.display, expected.pixmap, expected.context, own, 0, 0, x, y, c.H, c.V);
                expected.text(pixel("#000000"), x + 5, y + c.V + 15, captions[pane - 1]);
            }
            for (int pane : {0, 7})
                display_image(x11.ximage, pictures[0].data(), pane);
            EXPECT_EQ(expected.differing(x11.window, 3 * c.H, 2 * c.V + 50), 0);
        });
        EXPECT_EQ(out, banner + "\nOH MY GOD, SOMETHING TERRIBLE JUST HAPPENED ;-)\n" +
                           "\nOH MY GOD, SOMETHING TERRIBLE JUST HAPPENED ;-)\n");
    }
}

// The info window beside three QCIF panes with PSNR: its place, text, rows and graphs.
TEST(InfoWindow, ShowsTheSettingsAndPsnrRowsAndTheGraphsFollowTheHistories)
{
    for (int pair : {0, 4})  // no such pair: the process ends with status 255, silently
        EXPECT_EXIT(PSNRstatus(35.0, 35.0, pair), testing::ExitedWithCode(255), "^$");
    XvfbServer server(24);
    in_child([&] {
        use_layout(176, 144, 3, 1);
        init_display(server.name().c_str()), init_status(), create_logo();
        WindowGeometry info = find_window(x11.display, "Trivista info");
        EXPECT_EQ(info.x, 528 + 2 * 1 + 10);  // just right of the main window and its border
        EXPECT_TRUE(info.y == 0 && info.width == 300 && info.height == 400 && !info.border);
        SizeHints hints = read_size_hints(x11.display, x11.status_win);
        EXPECT_TRUE(hints.min_width == 300 && hints.max_width == 300 && hints.min_height == 400 &&
                    hints.max_height == 400 && (hints.flags & (PMinSize | PMaxSize)) == (PMinSize | PMaxSize));
        ASSERT_TRUE(x11.kestrin && x11.kestrin->width == 301 && x11.kestrin->height == 44);
        XImage *logo = nullptr;  // the test's own image of the compiled-in data
        XpmCreateImageFromData(x11.display, const_cast<char **>(kestrin_xpm), &logo, nullptr, nullptr);
        const unsigned long gray = pixel("#DBDBDB"), black = pixel("#000000");
        auto colour = [&](char c) { return c == 'r' ? pixel("#CD3700") : c == 'g' ? pixel("#548B54") : black; };
        const struct {  // rows: colour letter and text at each place of text; "" or none: gray
            int frame, fps, start, end, loop, fr2, fr3, with_psnr, sequences, colours;  // matrix * 2 + range, -1 unnamed
            const char *name1, *name2, *rows[18];  // the last two: the stream lines of sequences 1 and 2
            bool logo;
            const char *fps_label;  // a rate that is not whole, shown as given
            struct { char type; bool known, frozen; long long bytes; double qp; } streams[2];  // of sequences 1 and 2; type 0: raw, no stream line; qp < 0: none
        } cases[] = {
            {12, 25, 3, 1, 12, 4, 17, 1, 3, 3, "org.yuv", "enc.yuv",
             {"kFrame     12 @ 25 fps target rate", "kColours BT.709, limited range", "kStartframe 3", "kEndframe   1", "gLooping Enabled (12)",
              "gEncoded freezing 4", "gTransmitted freezing 17", "gPSNR    On", "kOrg: org.yuv", "kEnc: enc.yuv",
              "kTra: tra.yuv", "kCurrent", "kMean", "r<30", "kLimits", "g>40", "", "k  P    1234 bytes  QP 21.32"}, true, "",
             {{}, {'P', true, false, 1234, 21.32}}},
            {0, 25, 0, 9, 0, 0, 0, 0, 1, -1, "org.yuv", "enc.yuv",
             {"kFrame      0 @ 29.97 fps target rate", "", "kStartframe 0", "kEndframe   9", "rLooping Disabled", "", "",
              "rPSNR    Off", "kOrg: org.yuv", "", "", "", "", "", "", "", "k  -"}, true, "29.97",
             {{'-', false, false, -1, -1}, {'I', true, false, 1, 1}}},  // nothing read yet; sequence 2 not shown
            // Names cut to 44 characters; no logo image (the last case: it stays away), the top stays gray.
            {123456, 5, 0, 0, 0, 0, 2, 0, 2, 4, "/a/rather/long/directory/name/for/the/original/sequence.yuv",
             "/tmp/encoded/sequence/of/exactly/44/chars.yv",
             {"kFrame 123456 @  5 fps target rate", "kColours BT.2020, full range", "kStartframe 0", "", "rLooping Disabled", "",
              "gTransmitted freezing 2", "rPSNR    Off", "kOrg: /a/rather/long/directory/name/for/the/origin",
              "kEnc: /tmp/encoded/sequence/of/exactly/44/chars.yv", "", "", "", "", "", "", "k  I       ? bytes  QP -", "k  frozen"}, false, "",
             {{'I', true, false, -1, -1}, {'B', true, true, 99, 30}}},
        };
        const XPoint at[18] = {{5, 75},  {5, 90},  {5, 105},  {5, 120},   {5, 135},   {5, 150},   {5, 165},   {5, 180},  {5, 325},
                               {5, 350}, {5, 375},  {100, 200}, {210, 200}, {110, 290}, {155, 290}, {215, 290}, {5, 337}, {5, 362}};
        int order[18];  // as the window draws them: a stream line under its file line
        std::iota(order, order + 18, 0);
        std::stable_sort(order, order + 18, [&](int a, int b) { return at[a].y < at[b].y; });
        snprintf(sequences[3].yuvname, 256, "tra.yuv");
        for (const auto &c : cases) {
            playhead.frame = c.frame, settings.fps = c.fps, playhead.start_frame = c.start, playhead.end_frame = c.end, playhead.loop = c.loop;
            snprintf(settings.fps_label, sizeof settings.fps_label, "%s", c.fps_label);
            sequences[2].fr = c.fr2 != 0, sequences[2].fr_count = c.fr2, sequences[3].fr = c.fr3 != 0, sequences[3].fr_count = c.fr3;
            settings.psnr = c.with_psnr, settings.expand = c.sequences, x11.kestrin = c.logo ? x11.kestrin : nullptr;
            settings.colour_conversion_named = c.colours >= 0, pixel_tables.colour_conversion = ColourConversion{c.colours / 2, c.colours % 2};
            snprintf(sequences[1].yuvname, 256, "%s", c.name1), snprintf(sequences[2].yuvname, 256, "%s", c.name2);
            for (int n = 1; n <= 2; ++n) {
                const auto &stream = c.streams[n - 1];
                FrameFacts &facts = sequences[n].facts;
                sequences[n].source.kind = stream.type ? &decoded_stream_kind : nullptr;
                facts.type = stream.type, facts.known = stream.known, facts.frozen = stream.frozen;
                facts.bytes = stream.bytes, facts.has_qp = stream.qp >= 0, facts.mean_qp = stream.qp;
            }
            XClearWindow(x11.display, x11.status_win);
            draw_status();
            Sketch expected(300, 400, gray);
            if (c.logo)
                XPutImage(x11.display, expected.pixmap, expected.context, logo, 0, 0, 0, 0, 300, 44);
            for (int r : order) {
                if (!c.rows[r] || !*c.rows[r])
                    continue;
                std::string shown = c.rows[r] + 1;
                if (r >= 16)  // a stream line is padded to cover a longer one before it
                    shown.resize(45, ' ');
                expected.text(colour(c.rows[r][0]), at[r].x, at[r].y, shown.c_str());
            }
            EXPECT_EQ(expected.differing(x11.status_win, 300, 400), 0) << c.rows[0];
        }
        // PSNR rows: below 30 red, above 40 green, the limits black; the colour follows the
        // value, not its rounded text.
        const struct { int pair; double current, mean; const char *now, *mean_text; } rows[] = {
            {1, 30, 30, "k 30.00", "k 30.00"},  {1, 40, 40, "k 40.00", "k 40.00"},
            {1, 29.99, 29.99, "r 29.99", "r 29.99"}, {1, 40.01, 40.01, "g 40.01", "g 40.01"},
            {1, 0, 0, "r  0.00", "r  0.00"},  {1, 100, 100, "g100.00", "g100.00"},
            {1, 29.999, 29.999, "r 30.00", "r 30.00"}, {1, 40.001, 40.001, "g 40.00", "g 40.00"},
            {1, 35, 29.5, "k 35.00", "r 29.50"}, {2, 20, 45, "r 20.00", "g 45.00"},
            {3, 41.25, 41.25, "g 41.25", "g 41.25"},
        };
        const char *labels[] = {"kOrg<->Enc", "kEnc<->Tra", "kOrg<->Tra"};
        XClearWindow(x11.display, x11.status_win);
        Sketch expected(300, 400, gray);  // each row is drawn over the one before
        for (const auto &r : rows) {
            PSNRstatus(r.current, r.mean, r.pair);
            const char *texts[] = {labels[r.pair - 1], r.now, r.mean_text};  // at x 5, 100 and 200
            for (int k = 0; k < 3; ++k)
                expected.text(colour(texts[k][0]), k ? 100 * k : 5, 205 + 20 * r.pair, texts[k] + 1);
            EXPECT_EQ(expected.differing(x11.status_win, 300, 400), 0) << r.current;
        }
        // Graphs: flat on 2V + 175 at first; the newest value left, truncated upward, 8 px a frame, 20 kept.
        settings.cropping.region.height = 288, init_psnr_histories();  // CIF's baseline; then back to QCIF
        EXPECT_EQ(x11.psnr_history[3][metric_psnr_y].point[19].y, 751);
        settings.cropping.region.height = 144, init_psnr_histories();
        // Drawn over stale black, each clears only its own area; labels under pane 4 only.
        Sketch graphs(528, 488, black);
        XFillRectangle(x11.display, x11.window, graphs.with(black), 0, 0, 528, 488);
        const std::vector<double> values[3] = {  // oldest first; graph 2's oldest falls off
            {0.4, 35.7, 100}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21}, {12.25, 0}};
        for (int graph = 3; graph >= 1; --graph) {
            for (double value : values[graph - 1])
                draw_psnr_graph(&x11.psnr_history[graph][metric_psnr_y], graph, value);
            int left = graph == 1 ? 20 : (graph - 1) * 176 + 15;
            std::vector<XPoint> points;
            for (size_t i = 0, n = values[graph - 1].size(); i < 20; ++i)
                points.push_back({short(left + 8 * i), short(i < n ? 463 - values[graph - 1][n - 1 - i] : 463)});
            XFillRectangle(x11.display, graphs.pixmap, graphs.with(gray), graph == 1 ? 15 : left, 358, 176, 200);
            XDrawLines(x11.display, graphs.pixmap, graphs.with(124, 2), points.data(), 20, CoordModeOrigin);
            XDrawLine(x11.display, graphs.pixmap, graphs.with(black), left, 463, (graph - 1) * 176 + 175, 463);
            XDrawLine(x11.display, graphs.pixmap, graphs.context, left, 463, left, 358);
            if (graph == 1) {
                graphs.text(black, 0, 463, "0"), graphs.text(black, 0, 363, "100");
                graphs.text(black, 25, 483, "PSNR last 20 frames");
            }
            EXPECT_EQ(graphs.differing(x11.window, 528, 488), 0) << "graph " << graph;
        }
    });
}

// The difference pane of a pair shows only when that pair is measured, and a click there
// reads samples only then.
TEST(Layout, ShowsTheSequencesGivenAndTheDifferencesOfTheirPairsOnly)
{
    const struct { int sequences, no_differences; const char *shown; } cases[] = {
        {1, 0, "100000"}, {2, 0, "110100"}, {3, 0, "111111"}, {2, 1, "110000"}, {3, 1, "111000"}};
    in_child([&] {  // the layout reads process-wide settings
        for (const auto &c : cases) {
            use_layout(176, 144, c.sequences, 0, c.no_differences);
            std::string shown, clicked;
            for (int pane = 1; pane <= 6; ++pane) {
                Rect r = pane_rect(pane);
                int at = 0, x, y;
                shown += pane_shown(pane) ? '1' : '0';
                clicked += pane_at(r.x + 3, r.y + 3, &at, &x, &y) && at == pane ? '1' : '0';
            }
            EXPECT_EQ(shown + " " + clicked, std::string(c.shown) + " " + c.shown) << c.sequences;
        }
    });
}

// Values beyond the scale (large pictures measure more than 100 dB, samples above the peak
// less than 0) and the mitred peaks of the wide line stay inside the graph's own area: none
// over the captions above it, and the next values leave no stale stroke.
TEST(Graphs, StayInsideTheirAreaWhateverTheValues)
{
    XvfbServer server(24);
    in_child([&] {
        use_layout(176, 144, 3, 1);
        init_display(server.name().c_str());
        init_psnr_histories();
        const struct { int graph; std::vector<double> values; } cases[] = {
            {1, {107.78, 30, 140, 30, 1e300}}, {2, {-20, 30, -1e300, 0, -0.5}}, {3, {30, 100, 30, 100, 30}}};
        int width = main_window_width(), height = main_window_height();
        // The rows holding the graph's pixels: {-1, -1} for none, {-2, -2} for some outside `area`.
        auto graph_rows = [&](const Rect &area) {
            Capture shown = masked(capture_region(x11.display, x11.window, 0, 0, width, height), default_colour_bits(x11.display));
            std::pair<int, int> rows = {-1, -1};
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    if (shown.at(x, y) == 124 && rows.first != -2) {
                        bool inside = x >= area.x && x < area.x + area.width && y >= area.y && y < area.y + area.height;
                        rows = inside ? std::make_pair(rows.first < 0 ? y : rows.first, y) : std::make_pair(-2, -2);
                    }
            return rows;
        };
        for (const auto &c : cases) {
            GraphArea area = graph_area(c.graph);
            XClearWindow(x11.display, x11.window);
            for (double value : c.values)
                draw_psnr_graph(&x11.psnr_history[c.graph][metric_psnr_y], c.graph, value);
            std::pair<int, int> rows = graph_rows(area.cleared);
            EXPECT_TRUE(rows.first >= area.axis_top_y && rows.second <= area.baseline_y + 1) << c.graph << ": " << rows.first;
            EXPECT_TRUE(c.graph == 2 ? rows.second >= area.baseline_y - 1 : rows.first <= area.axis_top_y + 1) << c.graph << ": " << rows.first << ".." << rows.second;
            for (int i = 0; i < 20; ++i)
                draw_psnr_graph(&x11.psnr_history[c.graph][metric_psnr_y], c.graph, 30);
            rows = graph_rows(area.cleared);
            EXPECT_TRUE(rows.first >= area.baseline_y - 31 && rows.second <= area.baseline_y - 29) << rows.first << ".." << rows.second;
        }
    });
}

// Only a position in the size hints keeps a window manager from putting the info window over
// the panes; on a screen too narrow for it right of the main window it goes below, and where
// neither fits it is pushed back onto the screen.
TEST(InfoWindow, AsksForAPlaceRightOfOrBelowTheMainWindowThatLiesOnTheScreen)
{
    const struct { int screen_width, screen_height, with_psnr, x, y; } cases[] = {
        {1280, 1024, 1, 540, 0}, {700, 1024, 0, 0, 350}, {700, 700, 1, 400, 0}, {250, 250, 0, 0, 0}};
    for (const auto &c : cases) {
        XvfbServer server(24, -1, c.screen_width, c.screen_height);
        in_child([&] {
            use_layout(176, 144, 3, c.with_psnr);
            init_display(server.name().c_str()), init_status();
            WindowGeometry info = find_window(x11.display, "Trivista info");
            XSizeHints hints = {};
            long supplied = 0;
            XGetWMNormalHints(x11.display, x11.status_win, &hints, &supplied);
            EXPECT_TRUE(info.x == c.x && info.y == c.y && hints.x == c.x && hints.y == c.y &&
                        (hints.flags & (USPosition | PPosition)) == (USPosition | PPosition))
                << c.screen_width << ": at " << info.x << "," << info.y << ", hints " << hints.flags;
        });
    }
}

// On real screen sizes the automatic zoom leaves the main window, border included, and the info
// window wholly on the screen, side by side or one below the other, never one over the other;
// with -quiet only the main window counts.
TEST(MainWindow, AutomaticZoomLeavesBothWindowsOnTheScreenWithoutOverlapping)
{
    const struct { int screen_width, screen_height, width, height, sequences, psnr, quiet, out; } cases[] = {
        {1920, 1080, 1920, 1080, 3, 1, 0, 4}, {1920, 1080, 3840, 2160, 3, 1, 0, 8}, {1920, 1080, 1280, 720, 3, 1, 0, 3},
        {1920, 1080, 1920, 1080, 3, 1, 1, 4}, {1366, 768, 1920, 1080, 3, 0, 0, 6}, {2560, 1440, 3840, 2160, 3, 1, 0, 6},
        {1280, 1024, 1920, 1080, 2, 1, 0, 4}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.screen_width << "x" << c.screen_height << ", " << c.sequences << " x "
                                        << c.width << "x" << c.height << (c.quiet ? " -quiet" : ""));
        XvfbServer server(24, -1, c.screen_width, c.screen_height);
        in_child([&] {
            use_layout(c.width, c.height, c.sequences, c.psnr);
            settings.quiet = c.quiet;
            init_display(server.name().c_str());
            if (!settings.quiet)
                init_status();
            EXPECT_EQ(settings.zoom_out, c.out);
            std::vector<WindowGeometry> shown = {find_window(x11.display, "kestrin Trivista")};
            if (!settings.quiet)
                shown.push_back(find_window(x11.display, "Trivista info"));
            for (WindowGeometry &w : shown) {  // the outer edges
                w.x -= w.border, w.y -= w.border, w.width += 2 * w.border, w.height += 2 * w.border;
                EXPECT_TRUE(w.id && w.x >= 0 && w.y >= 0 && w.x + w.width <= c.screen_width &&
                            w.y + w.height <= c.screen_height) << w.x << "," << w.y << " " << w.width << "x" << w.height;
            }
            if (shown.size() == 2) {
                EXPECT_TRUE(shown[1].x >= shown[0].x + shown[0].width || shown[1].y >= shown[0].y + shown[0].height)
                    << "info window at " << shown[1].x << "," << shown[1].y;
            }
        });
    }
}

// A given zoom sizes the window, its hints and the image, and makes pane positions picture
// samples; without one a main window that fits the screen stays at zoom 1, and a larger one is
// zoomed out to the largest zoom at which it and the info window fit without overlapping, or
// failing that at which it fits alone, with one line saying so.
TEST(MainWindow, FollowsTheZoomGivenOrTheLargestAtWhichBothWindowsFitTheScreen)
{
    const std::string clipped = "Warning: the main window (%s) is larger than the screen (1280x1024): the panes show part of each picture\n";
    const struct { int width, height, sequences, psnr, given, out, in, shown_width, shown_height, window_width,
                   window_height; std::string err; } cases[] = {
        {176, 144, 3, 0, 0, 1, 1, 176, 144, 528, 338, ""},
        {176, 144, 3, 1, 1, 2, 1, 88, 72, 264, 344, ""},
        {176, 144, 3, 0, 1, 3, 1, 58, 48, 174, 146, ""},
        {50, 38, 2, 0, 1, 4, 1, 12, 8, 24, 66, ""},
        {176, 144, 3, 0, 1, 1, 2, 352, 288, 1056, 626, ""},
        {176, 144, 2, 1, 1, 1, 3, 528, 411, 1056, 1022, "1056x1064"},  // panes as high as the screen holds
        {1280, 720, 3, 0, 1, 1, 1, 426, 486, 1278, 1022, "3840x1490"},
        {1280, 720, 3, 0, 1, 5, 1, 256, 144, 768, 338, ""},
        {1920, 1080, 2, 0, 1, 6, 1, 320, 180, 640, 410, ""},
        {1920, 1080, 3, 1, 1, 8, 1, 240, 134, 720, 468, ""},
        {352, 288, 3, 1, 0, 1, 1, 352, 288, 1056, 776, ""},
        {640, 480, 2, 0, 0, 1, 1, 640, 480, 1280, 1010, ""},
        {1280, 720, 3, 0, 0, 3, 1, 426, 240, 1278, 530,
         "The main window (3840x1490) is larger than the screen (1280x1024): shown at zoom 1/3\n"},
        {1280, 720, 2, 0, 0, 3, 1, 426, 240, 852, 530,
         "The main window (2560x1490) is larger than the screen (1280x1024): shown at zoom 1/3\n"},
        {2560, 1440, 2, 0, 0, 6, 1, 426, 240, 852, 530,
         "The main window (5120x2930) is larger than the screen (1280x1024): shown at zoom 1/6\n"},
        {1920, 1080, 3, 1, 0, 6, 1, 320, 180, 960, 560,
         "The main window (5760x2360) is larger than the screen (1280x1024): shown at zoom 1/6\n"},
        {4096, 2304, 3, 1, 0, 1, 1, 426, 411, 1278, 1022, "12288x4808"},
    };
    XvfbServer server(24);
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << &c - cases + 1);
        std::string out = in_child([&] {
            use_layout(c.width, c.height, c.sequences, c.psnr);
            settings.zoom_given = c.given, settings.zoom_out = c.given ? c.out : 1, settings.zoom_in = c.in;
            dup2(fileno(stdout), 2);
            init_display(server.name().c_str());
            EXPECT_TRUE(settings.zoom_out == c.out && shown_width() == c.shown_width && shown_height() == c.shown_height);
            WindowGeometry w = find_window(x11.display, "kestrin Trivista");
            SizeHints h = read_size_hints(x11.display, x11.window);
            EXPECT_TRUE(w.width == c.window_width && w.height == c.window_height && h.width == w.width &&
                        h.max_width == picture_shown_width() * c.sequences)
                << w.width << "x" << w.height;
            int pane = 0, x = -1, y = -1;  // a pixel of pane 2 and the picture sample under it
            EXPECT_TRUE(pane_at(c.shown_width + 5, 7, &pane, &x, &y) && pane == 2 &&
                        x == 5 * c.out / c.in && y == 7 * c.out / c.in) << x << "," << y;
            // Graphs keep to their own pane's width: the oldest point short of the next graph.
            for (int g = 1; g < 3 && c.shown_width >= 40; ++g)
                EXPECT_LT(graph_area(g).newest_x + 19 * graph_area(g).point_spacing, graph_area(g + 1).axis_x);
        });
        char warning[200];
        snprintf(warning, sizeof warning, clipped.c_str(), c.err.c_str());
        EXPECT_EQ(out, banner + (c.err.empty() ? "" : c.err.find(':') != c.err.npos ? c.err : warning));
    }
}

// The arithmetic of the view: which samples a pane renders and from which pixel it shows them,
// the steps of + and -, and the centre that a zoom keeps.
TEST(Viewport, SpansStepsAndCentresFollowTheirDefinitions)
{
    const struct { int origin, pane, samples, scale, first, count, skip; } spans[] = {
        {0, 176, 176, 1, 0, 176, 0},     // the whole picture, as always
        {0, 352, 176, 2, 0, 176, 0},     // zoomed in, whole
        {17, 319, 176, 2, 8, 162, 1},    // enough for the pane after the skip
        {63, 214, 144, 2, 30, 110, 3},
        {33, 319, 176, 2, 14, 162, 5},   // held at the picture's end
        {5, 80, 88, 1, 4, 82, 1},        // zoomed out: the reduced picture, a pixel a sample
        {102, 250, 176, 2, 48, 128, 6},
        {7, 9, 40, 4, 0, 4, 7},
    };
    for (const auto &c : spans) {
        ViewSpan s = view_span(c.origin, c.pane, c.samples, c.scale);
        EXPECT_TRUE(s.first == c.first && s.count == c.count && s.skip == c.skip)
            << c.origin << " " << c.pane << ": " << s.first << " " << s.count << " " << s.skip;
        EXPECT_TRUE(s.first % 2 == 0 && s.count % 2 == 0 && s.skip + c.pane <= s.count * c.scale);
    }
    const struct { int in, out, direction, new_in, new_out; bool moved; } steps[] = {
        {1, 1, 1, 2, 1, true}, {1, 1, -1, 1, 2, true}, {4, 1, 1, 4, 1, false}, {1, 8, -1, 1, 8, false},
        {1, 2, 1, 1, 1, true}, {1, 6, -1, 1, 8, true}, {1, 5, 1, 1, 4, true}, {3, 1, -1, 2, 1, true}};
    for (const auto &c : steps) {
        int in = c.in, out = c.out;
        EXPECT_EQ(next_zoom(c.direction, &in, &out), c.moved);
        EXPECT_TRUE(in == c.new_in && out == c.new_out) << c.in << "/" << c.out << " " << c.direction;
    }
    // The centre of a view 176 wide at 0 is sample 88: at 2 it is pixel 176, and so on.
    const struct { int origin, pane, new_pane, in, out, new_in, new_out, expected; } centres[] = {
        {0, 176, 319, 1, 1, 2, 1, 17}, {102, 250, 176, 2, 1, 1, 1, 25}, {40, 88, 88, 1, 2, 1, 3, 12},
        {10, 100, 100, 3, 1, 4, 1, 30}};
    for (const auto &c : centres)
        EXPECT_EQ(origin_after_zoom(c.origin, c.pane, c.new_pane, c.in, c.out, c.new_in, c.new_out), c.expected);
    // The info window's row names the view in picture samples and, with -crop, the region it lies in.
    use_layout(64, 48, 2);
    Viewport &v = x11.viewport;
    settings.zoom_in = 2, v.limit_width = 100, v.limit_height = 60, v.x = 10, v.y = 6;
    for (const char *crop : {(const char *)nullptr, "64x48+16+32"}) {
        settings.cropping.text = crop, settings.cropping.region = PictureRegion{crop ? 16 : 0, crop ? 32 : 0, 64, 48};
        char row[50];
        describe_view(row, sizeof row);
        EXPECT_EQ(std::string(row), crop ? "Zoom 2  view 50x30+5+3 in 64x48+16+32" : "Zoom 2  view 50x30+5+3");
    }
    settings.cropping.text = nullptr, settings.zoom_in = 1, v = Viewport{INT_MAX, INT_MAX, 0, 0, false, 0, 0};
}
