// The program's first contact with a display: which servers it refuses, and the size
// of the window it opens on the others.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include <X11/X.h>
#include <X11/Xutil.h>

#include "harness.h"

static const char banner[] = "\nkestrin Trivista\nhttps://trivista.example/\n\n";
static const char cannot_open[] = "Can not open display\n";
static const char refused[] = "requires 16/24/32 bit TrueColor display\n";

static void expect_refusal(const std::string &display, const std::string &message)
{
    TempDir dir;
    std::string first = write_test_sequence(dir.path(), "seq1.yuv", 176, 144, 1, 2);
    ChildProcess child(trivista_path(), {"-quiet", "-f1", first}, display, dir.path(), "trivista");
    ASSERT_TRUE(child.wait(10));
    EXPECT_TRUE(child.exited_normally());
    EXPECT_EQ(child.exit_status(), 1);
    EXPECT_EQ(child.stderr_text(), message);
    EXPECT_EQ(child.stdout_text(), "") << "no banner for a refused display";
}

TEST(Refusal, WithoutDisplaySetTheDisplayCannotBeOpened)
{
    expect_refusal("", cannot_open);
}

TEST(Refusal, AnUnreachableServerCannotBeOpened)
{
    // A display number far above what servers pick, with nothing listening on it.
    int number = 48000 + getpid() % 1000;
    while (access(("/tmp/.X11-unix/X" + std::to_string(number)).c_str(), F_OK) == 0)
        ++number;
    expect_refusal(":" + std::to_string(number), cannot_open);
}

TEST(Refusal, AnEightBitPseudoColorScreenIsRefused)
{
    XvfbServer server(8);
    expect_refusal(server.name(), refused);
}

TEST(Refusal, TrueColorScreensOfFifteenOrEightBitsAreRefused)
{
    XvfbServer fifteen(15);
    expect_refusal(fifteen.name(), refused);
    XvfbServer eight(8, TrueColor);
    {
        XConnection x(eight.name());
        ASSERT_EQ(DefaultVisual(x.get(), DefaultScreen(x.get()))->c_class, TrueColor);
    }
    expect_refusal(eight.name(), refused);
}

TEST(Refusal, DirectColorIsRefusedAtEveryDepth)
{
    XvfbServer deep(24, DirectColor);
    expect_refusal(deep.name(), refused);
    XvfbServer shallow(16, DirectColor);
    expect_refusal(shallow.name(), refused);
}

TEST(Banner, IsPrintedOnceForAnAcceptedDisplay)
{
    XvfbServer server(16);
    TempDir dir;
    std::string first = write_test_sequence(dir.path(), "seq1.yuv", 176, 144, 1, 2);
    ChildProcess child(trivista_path(), {"-quiet", "-fps", "100", "-f1", first}, server.name(),
                       dir.path(), "trivista");
    ASSERT_TRUE(child.wait(10));
    EXPECT_EQ(child.exit_status(), 0);
    EXPECT_EQ(child.stdout_text(), banner);
}

struct WindowSizeCase {
    int sequences;
    bool cif;
    std::vector<std::string> options;
    int width, height;
};

// Sizes worked out by hand from the layout: two picture rows with caption strips,
// 150 more rows for the PSNR graphs, only the top row with -nodiff; PSNR needs two
// sequences, so with one it is dropped and -nodiff decides.
static const WindowSizeCase window_sizes[] = {
    {1, false, {}, 176, 338},          {1, false, {"-PSNR"}, 176, 338},
    {1, false, {"-nodiff"}, 176, 169}, {1, false, {"-PSNR", "-nodiff"}, 176, 169},
    {2, false, {}, 352, 338},          {2, false, {"-PSNR"}, 352, 488},
    {2, false, {"-nodiff"}, 352, 169}, {2, false, {"-PSNR", "-nodiff"}, 352, 488},
    {3, false, {}, 528, 338},          {3, false, {"-PSNR"}, 528, 488},
    {3, false, {"-nodiff"}, 528, 169}, {3, false, {"-PSNR", "-nodiff"}, 528, 488},
    {1, true, {}, 352, 626},           {1, true, {"-PSNR"}, 352, 626},
    {1, true, {"-nodiff"}, 352, 313},  {1, true, {"-PSNR", "-nodiff"}, 352, 313},
    {2, true, {}, 704, 626},           {2, true, {"-PSNR"}, 704, 776},
    {2, true, {"-nodiff"}, 704, 313},  {2, true, {"-PSNR", "-nodiff"}, 704, 776},
    {3, true, {}, 1056, 626},          {3, true, {"-PSNR"}, 1056, 776},
    {3, true, {"-nodiff"}, 1056, 313}, {3, true, {"-PSNR", "-nodiff"}, 1056, 776},
};

TEST(WindowSize, FollowsSequenceCountPictureSizePsnrAndNodiffWithMatchingFixedHints)
{
    XvfbServer server(24);
    XConnection x(server.name());
    TempDir dir;
    std::string qcif[3], cif[3];
    for (int n = 1; n <= 3; ++n) {
        qcif[n - 1] = write_test_sequence(dir.path(), "q" + std::to_string(n) + ".yuv", 176, 144, n, 1);
        cif[n - 1] = write_test_sequence(dir.path(), "c" + std::to_string(n) + ".yuv", 352, 288, n, 1);
    }
    for (const WindowSizeCase &c : window_sizes) {
        std::vector<std::string> args = {"-quiet", "-l"};
        std::string description = std::to_string(c.sequences) + (c.cif ? " CIF" : " QCIF");
        if (c.cif)
            args.push_back("-CIF");
        for (const std::string &o : c.options) {
            args.push_back(o);
            description += " " + o;
        }
        static const char *file_options[3] = {"-f1", "-f2", "-f3"};
        for (int n = 0; n < c.sequences; ++n) {
            args.push_back(file_options[n]);
            args.push_back(c.cif ? cif[n] : qcif[n]);
        }
        SCOPED_TRACE(description);
        ChildProcess child(trivista_path(), args, server.name(), dir.path(), "trivista");
        WindowGeometry found = wait_for_window(x.get(), "kestrin Trivista", 10);
        ASSERT_NE(found.id, 0u) << child.stderr_text();
        EXPECT_EQ(found.width, c.width);
        EXPECT_EQ(found.height, c.height);
        EXPECT_EQ(found.x, 1);  // created at (0, 0) with a border of 1
        EXPECT_EQ(found.y, 1);
        SizeHints hints = read_size_hints(x.get(), found.id);
        EXPECT_EQ(hints.flags, PSize | PMinSize | PMaxSize);
        EXPECT_EQ(hints.min_width, c.width);
        EXPECT_EQ(hints.max_width, c.width);
        EXPECT_EQ(hints.min_height, c.height);
        EXPECT_EQ(hints.max_height, c.height);
        child.kill_now();
        ASSERT_TRUE(child.wait(5));
        // The next case must not find this run's window.
        ASSERT_TRUE(wait_until([&] { return find_window(x.get(), "kestrin Trivista").id == 0; }, 5));
    }
}

// Plays two CIF frames of two sequences with PSNR (a 704 x 776 window) on a screen of
// the given size and returns what the program wrote on standard error.
static std::string stderr_on_screen(int screen_width, int screen_height)
{
    XvfbServer server(24, -1, screen_width, screen_height);
    TempDir dir;
    std::string first = write_test_sequence(dir.path(), "seq1.yuv", 352, 288, 1, 2);
    std::string second = write_test_sequence(dir.path(), "seq2.yuv", 352, 288, 2, 2);
    ChildProcess child(trivista_path(),
                       {"-quiet", "-CIF", "-PSNR", "-fps", "100", "-f1", first, "-f2", second},
                       server.name(), dir.path(), "trivista");
    EXPECT_TRUE(child.wait(10));
    EXPECT_EQ(child.exit_status(), 0) << "the window is made all the same";
    return child.stderr_text();
}

TEST(SmallScreen, AWindowLargerThanTheScreenIsMadeAndTheUserToldOnce)
{
    EXPECT_EQ(stderr_on_screen(640, 480), "Warning: the main window (704x776) is larger than the "
                                          "screen (640x480) and may be clipped\n");
}

TEST(SmallScreen, AWindowThatFitsGetsNoWarning)
{
    EXPECT_EQ(stderr_on_screen(704, 776), "");
}
