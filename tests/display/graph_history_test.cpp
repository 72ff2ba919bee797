// The PSNR history graphs: the points they keep and what they draw in the main window,
// compared with the same polyline, axes and labels drawn by the test on the same server.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display.h"
#include "info_x_session.h"
#include "psnr_graph.h"
#include "settings.h"

namespace {

// Three QCIF sequences with PSNR: the main window is 528 x 488.
const int H = 176;
const int V = 144;
const int window_width = 3 * H;
const int window_height = 2 * V + 200;
const int baseline = 2 * V + 175;  // 463
const int strip_top = 2 * V + 48;  // below the bottom captions

class PsnrGraph : public ::testing::Test {
protected:
    void SetUp() override
    {
        session = &start_display_session(3, 1);
        probe = session->probe;
        gray = named_pixel(probe, "#DBDBDB");
        black = BlackPixel(probe, DefaultScreen(probe));
        init_psnr_histories();
        XClearWindow(display, window);
    }

    Capture shown_strip()
    {
        XSync(display, False);
        return capture_region(probe, window, 0, strip_top, window_width, window_height - strip_top);
    }

    Capture expected_strip(const ExpectedPicture &picture) const
    {
        return picture.capture(0, strip_top, window_width, window_height - strip_top);
    }

    void draw_expected_graph(ExpectedPicture &picture, int graph, const std::vector<double> &values)
    {
        ::draw_expected_graph(picture, graph, values, H, V, gray, black);
    }

    XSession *session = nullptr;
    Display *probe = nullptr;
    unsigned long gray = 0, black = 0;
};

TEST_F(PsnrGraph, HistoriesStartFlatOnTheBaselineAtXZero)
{
    for (const PsnrHistory &history : psnr_history) {
        for (const XPoint &point : history.point) {
            EXPECT_EQ(point.x, 0);
            EXPECT_EQ(point.y, 463);
        }
    }
    vertical_size = 288;  // CIF
    init_psnr_histories();
    vertical_size = V;
    EXPECT_EQ(psnr_history[2].point[19].y, 751);
    init_psnr_histories();
}

TEST_F(PsnrGraph, NewestValueEntersAtTheLeftAndTruncatesToTheNextPixelAbove)
{
    PsnrHistory &h = psnr_history[0];
    draw_psnr_graph(&h, 1, 40.0);
    EXPECT_EQ(h.point[0].x, 20);
    EXPECT_EQ(h.point[0].y, 2 * V + 135);
    EXPECT_EQ(h.point[1].x, 28);
    EXPECT_EQ(h.point[1].y, 2 * V + 175);
    EXPECT_EQ(h.point[19].x, 172);
    EXPECT_EQ(h.point[19].y, 2 * V + 175);

    const struct {
        double psnr;
        int y;
    } cases[] = {{35.7, 2 * V + 139}, {35.0, 2 * V + 140}, {100.0, 2 * V + 75},
                 {0.0, 2 * V + 175},  {92.17, 2 * V + 82}, {0.4, 2 * V + 174}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.psnr);
        int previous = h.point[0].y;
        draw_psnr_graph(&h, 1, c.psnr);
        EXPECT_EQ(h.point[0].y, c.y);
        EXPECT_EQ(h.point[1].y, previous);
    }
}

TEST_F(PsnrGraph, AfterTwentyOneValuesTheOldestHasFallenOff)
{
    PsnrHistory &h = psnr_history[1];
    for (int value = 1; value <= 21; ++value)
        draw_psnr_graph(&h, 2, value);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(h.point[i].x, H + 15 + 8 * i);
        EXPECT_EQ(h.point[i].y, baseline - (21 - i));  // point 19 holds value 2
    }
}

TEST_F(PsnrGraph, GraphsStandUnderTheirPanesWithTheLabelsUnderPaneFourOnly)
{
    draw_psnr_graph(&psnr_history[0], 1, 40.0);
    ExpectedPicture expected(probe, window_width, window_height, gray);
    draw_expected_graph(expected, 1, {40.0});
    EXPECT_EQ(capture_difference(probe, shown_strip(), expected_strip(expected)), "");

    draw_psnr_graph(&psnr_history[0], 1, 100.0);
    draw_psnr_graph(&psnr_history[1], 2, 55.5);
    draw_psnr_graph(&psnr_history[2], 3, 12.25);
    draw_psnr_graph(&psnr_history[2], 3, 0.0);
    draw_expected_graph(expected, 1, {100.0, 40.0});
    draw_expected_graph(expected, 2, {55.5});
    draw_expected_graph(expected, 3, {0.0, 12.25});
    EXPECT_EQ(capture_difference(probe, shown_strip(), expected_strip(expected)), "");
}

TEST_F(PsnrGraph, ConstantValueDrawsAFlatLineAtItsHeightAcrossAllTwentyPoints)
{
    for (int i = 0; i < 25; ++i)
        draw_psnr_graph(&psnr_history[0], 1, 34.15);
    XSync(display, False);
    // y = 463 - 34.15 = 428.85, truncated to 428; a line of width 2 covers rows 427 and 428,
    // from x = 20 to 171. Column 20 itself is the vertical axis, drawn over it in black.
    Capture line = capture_region(probe, window, 21, 420, 151, 16);
    for (int x = 0; x < 151; ++x) {
        for (int y = 0; y < 16; ++y) {
            unsigned long expected = (y == 7 || y == 8) ? 124 : gray;
            ASSERT_EQ(line.at(x, y) & default_colour_bits(probe), expected)
                << "at (" << 21 + x << ", " << 420 + y << ")";
        }
    }
}

TEST_F(PsnrGraph, ClearsOnlyItsOwnAreaAndLeavesTheLabelStripAlone)
{
    // Paint the whole bottom of the window black, as stale content.
    GC paint = XCreateGC(display, window, 0, nullptr);
    XSetForeground(display, paint, black);
    XFillRectangle(display, window, paint, 0, strip_top, window_width, window_height - strip_top);
    XFreeGC(display, paint);

    draw_psnr_graph(&psnr_history[0], 1, 20.0);
    draw_psnr_graph(&psnr_history[2], 3, 60.0);
    ExpectedPicture expected(probe, window_width, window_height, black);
    expected.set_text_background(gray);
    draw_expected_graph(expected, 1, {20.0});
    draw_expected_graph(expected, 3, {60.0});
    EXPECT_EQ(capture_difference(probe, shown_strip(), expected_strip(expected)), "");
}

}  // namespace
