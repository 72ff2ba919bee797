// Whole runs of trivista on a private Xvfb: the difference panes, the PSNR graphs and the
// info window as a user sees them, for inputs whose PSNR is known in advance.
#include <gtest/gtest.h>

#include "color_tables.h"
#include "difference.h"
#include "renderers.h"
#include "settings.h"

#include "info_run_fixture.h"

namespace {

// Original 100, Encoded 101, Transmitted 110: Org<->Enc differs by 1 (48.13 dB),
// Enc<->Tra by 9 (29.05 dB), Org<->Tra by 10 (28.13 dB).
const double org_enc = 48.1308036086791;
const double enc_tra = 29.045953419892605;
const double org_tra = 28.130803608679106;

TEST_F(TrivistaRun, StaticLoopingInputDrawsEachGraphFlatAtItsPsnrWithLabelsUnderPaneFourOnly)
{
    WindowGeometry main_window = run({"-f1", write_flat_sequence(dir, "o.yuv", {100}), "-f2",
                                      write_flat_sequence(dir, "e.yuv", {101}), "-f3",
                                      write_flat_sequence(dir, "t.yuv", {110}), "-PSNR", "-l"});
    ASSERT_NE(main_window.id, 0u) << child->stderr_text();
    ASSERT_EQ(main_window.height, 2 * V + 200);

    ExpectedPicture expected(dpy, 3 * H, 2 * V + 200, gray);
    draw_expected_graph(expected, 1, std::vector<double>(20, org_enc), H, V, gray, black);
    draw_expected_graph(expected, 2, std::vector<double>(20, enc_tra), H, V, gray, black);
    draw_expected_graph(expected, 3, std::vector<double>(20, org_tra), H, V, gray, black);
    // Everything below the bottom captions.
    EXPECT_EQ(settle(main_window.id, expected, 0, 2 * V + 48, 3 * H, 152), "");
}

TEST_F(TrivistaRun, GraphLineContinuesAcrossPassesWithoutStartingAfresh)
{
    // Two frames per pass: the line alternates between the two values over all 20
    // points; a history reset at a new pass would bring back baseline points.
    WindowGeometry main_window = run({"-f1", write_flat_sequence(dir, "o.yuv", {100, 100}), "-f2",
                                      write_flat_sequence(dir, "e.yuv", {101, 105}), "-PSNR", "-l"});
    ASSERT_NE(main_window.id, 0u) << child->stderr_text();
    const double one = org_enc;
    const double five = 34.15140352195873;
    std::vector<double> newest_first_frame, newest_second_frame;
    for (int i = 0; i < 20; ++i) {
        newest_first_frame.push_back(i % 2 == 0 ? one : five);
        newest_second_frame.push_back(i % 2 == 0 ? five : one);
    }
    ExpectedPicture a(dpy, H * 2, 2 * V + 200, gray);
    ExpectedPicture b(dpy, H * 2, 2 * V + 200, gray);
    draw_expected_graph(a, 1, newest_first_frame, H, V, gray, black);
    draw_expected_graph(b, 1, newest_second_frame, H, V, gray, black);
    int seen_a = 0, seen_b = 0;
    wait_until(
        [&] {
            Capture shown = capture_region(dpy, main_window.id, 0, 2 * V + 48, 2 * H, 152);
            seen_a += capture_difference(dpy, shown, a.capture(0, 2 * V + 48, 2 * H, 152)).empty();
            seen_b += capture_difference(dpy, shown, b.capture(0, 2 * V + 48, 2 * H, 152)).empty();
            return seen_a > 0 && seen_b > 0;
        },
        settle_s, 10);
    EXPECT_GT(seen_a, 0);
    EXPECT_GT(seen_b, 0);
}

TEST_F(TrivistaRun, QuietRunHasNoInfoWindowWhileTheGraphsStillDraw)
{
    WindowGeometry main_window = run({"-quiet", "-f1", write_flat_sequence(dir, "o.yuv", {100}),
                                      "-f2", write_flat_sequence(dir, "e.yuv", {101}), "-PSNR", "-l"});
    ASSERT_NE(main_window.id, 0u) << child->stderr_text();
    ExpectedPicture expected(dpy, 2 * H, 2 * V + 200, gray);
    draw_expected_graph(expected, 1, std::vector<double>(20, org_enc), H, V, gray, black);
    EXPECT_EQ(settle(main_window.id, expected, 0, 2 * V + 48, 2 * H, 152), "");
    EXPECT_EQ(find_window(dpy, "Trivista info").id, 0u);
    EXPECT_TRUE(child->running());
}

TEST_F(TrivistaRun, WithoutPsnrNoGraphPixelIsDrawnAnywhere)
{
    WindowGeometry main_window = run({"-f1", write_flat_sequence(dir, "o.yuv", {100}), "-f2",
                                      write_flat_sequence(dir, "e.yuv", {101}), "-l"});
    ASSERT_NE(main_window.id, 0u) << child->stderr_text();
    EXPECT_EQ(main_window.height, 2 * V + 50);
    WindowGeometry info = wait_for_window(dpy, "Trivista info", settle_s);
    ASSERT_NE(info.id, 0u);
    // Wait until a frame has been drawn: the info window says PSNR is off.
    ExpectedPicture off(dpy, 300, 400, gray);
    off.text(red, 5, 180, "PSNR    Off");
    ASSERT_EQ(settle(info.id, off, 0, 168, 120, 16), "");

    uint32_t bits = default_colour_bits(dpy);
    Capture whole = masked(capture_region(dpy, main_window.id, 0, 0, 2 * H, 2 * V + 50), bits);
    ASSERT_FALSE(whole.empty());
    for (uint32_t pixel : whole.pixels)
        ASSERT_NE(pixel, 124u);
    // Nothing of the PSNR table either.
    Capture table = capture_region(dpy, info.id, 0, 183, 300, 110);
    ExpectedPicture blank(dpy, 300, 400, gray);
    EXPECT_EQ(capture_difference(dpy, table, blank.capture(0, 183, 300, 110)), "");
}

TEST_F(TrivistaRun, NodiffWithPsnrMeasuresButNeverShowsTheDifferences)
{
    WindowGeometry main_window = run({"-nodiff", "-PSNR", "-l", "-f1",
                                      write_flat_sequence(dir, "o.yuv", {100}), "-f2",
                                      write_flat_sequence(dir, "e.yuv", {101}), "-f3",
                                      write_flat_sequence(dir, "t.yuv", {110})});
    ASSERT_NE(main_window.id, 0u) << child->stderr_text();
    ASSERT_EQ(main_window.height, 2 * V + 200);

    // The bottom row and its captions stay background, the graphs carry the values.
    ExpectedPicture expected(dpy, 3 * H, 2 * V + 200, gray);
    draw_expected_graph(expected, 1, std::vector<double>(20, org_enc), H, V, gray, black);
    draw_expected_graph(expected, 2, std::vector<double>(20, enc_tra), H, V, gray, black);
    draw_expected_graph(expected, 3, std::vector<double>(20, org_tra), H, V, gray, black);
    EXPECT_EQ(settle(main_window.id, expected, 0, V + 30, 3 * H, V + 170), "");
}

TEST_F(TrivistaRun, DifferencePanesMatchTheGrayRendererPixelForPixel)
{
    std::string org = write_test_sequence(dir.path(), "o.yuv", H, V, 0, 1);
    std::string enc = write_test_sequence(dir.path(), "e.yuv", H, V, 1, 1);
    std::string tra = write_test_sequence(dir.path(), "t.yuv", H, V, 2, 1);
    WindowGeometry main_window = run({"-f1", org, "-f2", enc, "-f3", tra, "-l"});
    ASSERT_NE(main_window.id, 0u) << child->stderr_text();

    // The expected gray pictures, made here with the system's own measurement and
    // renderer for this server's pixel layout.
    Visual *visual = DefaultVisual(dpy, DefaultScreen(dpy));
    wpixel[0] = visual->red_mask;
    wpixel[1] = visual->green_mask;
    wpixel[2] = visual->blue_mask;
    horizontal_size = coded_picture_width = H;
    vertical_size = coded_picture_height = V;
    InitColorDither(1);

    std::vector<uint8_t> frames[3] = {make_test_frame(H, V, 0, 0), make_test_frame(H, V, 1, 0),
                                      make_test_frame(H, V, 2, 0)};
    const int pairs[3][2] = {{0, 1}, {1, 2}, {0, 2}};
    uint32_t bits = default_colour_bits(dpy);
    for (int pair = 0; pair < 3; ++pair) {
        SCOPED_TRACE(pair + 1);
        std::vector<uint8_t> luma(H * V), chroma(H * V / 4, 124);
        difference(frames[pairs[pair][0]].data(), frames[pairs[pair][1]].data(), luma.data(), H * V);
        YuvFrame diff = {luma.data(), chroma.data(), chroma.data()};
        std::vector<uint8_t> rendered(static_cast<size_t>(H) * V * 4);
        DitherImageToGray32(&diff, rendered.data());
        Capture expected = capture_from_buffer(rendered.data(), 4, H, V, bits);

        std::string last;
        wait_until(
            [&] {
                Capture shown = capture_region(dpy, main_window.id, pair * H, V + 30, H, V);
                last = shown == expected ? "" : capture_difference(dpy, shown, expected);
                return last.empty();
            },
            settle_s, 50);
        EXPECT_EQ(last, "");
    }
}

}  // namespace
