// The info window drawn by the real display subsystem on a private Xvfb, compared pixel
// by pixel with the same strings drawn by the test in the expected places and colours.
#include <gtest/gtest.h>

#include <X11/xpm.h>

#include <cstring>
#include <string>

#include "display.h"
#include "info_x_session.h"
#include "settings.h"

namespace {

const int info_width = 300;
const int info_height = 400;
const int logo_height = 44;

class InfoWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        session = &start_display_session(3, 1);
        probe = session->probe;
        gray = named_pixel(probe, "#DBDBDB");
        red = named_pixel(probe, "#CD3700");
        green = named_pixel(probe, "#548B54");

        frame = 0;
        fps = 25;
        start_frame = 0;
        end_frame = 9;
        loop = 0;
        fr2 = fr3 = 0;
        fr2_count = fr3_count = 0;
        psnr = 1;
        expand = 3;
        set_name(yuvname1, "org.yuv");
        set_name(yuvname2, "enc.yuv");
        set_name(yuvname3, "tra.yuv");
        // A fresh window, as after an exposure: only what is drawn next shows.
        XClearWindow(display, status_win);
    }

    static void set_name(char *buffer, const std::string &name)
    {
        snprintf(buffer, 256, "%s", name.c_str());
    }

    Capture shown(int y = 0, int height = info_height)
    {
        XSync(display, False);
        return capture_region(probe, status_win, 0, y, info_width, height);
    }

    // The logo as the test itself makes it from the compiled-in data.
    void put_logo(ExpectedPicture &picture)
    {
        XImage *image = nullptr;
        XImage *shape = nullptr;
        ASSERT_GE(XpmCreateImageFromData(probe, const_cast<char **>(kestrin_xpm), &image, &shape,
                                         nullptr),
                  XpmSuccess);
        picture.image(image, info_width, logo_height);
        XDestroyImage(image);
        if (shape)
            XDestroyImage(shape);
    }

    XSession *session = nullptr;
    Display *probe = nullptr;
    unsigned long gray = 0, red = 0, green = 0;
    const unsigned long black = 0;
};

TEST_F(InfoWindow, OpensAt300x400JustRightOfTheMainWindowWithFixedSizeHints)
{
    WindowGeometry info = find_window(probe, "Trivista info");
    WindowGeometry main_window = find_window(probe, "kestrin Trivista");
    ASSERT_NE(info.id, 0u);
    ASSERT_NE(main_window.id, 0u);
    EXPECT_EQ(info.width, 300);
    EXPECT_EQ(info.height, 400);
    EXPECT_EQ(info.border, 0);
    // Three QCIF sequences: the main window is 528 wide with a border of 1.
    EXPECT_EQ(main_window.width, 528);
    EXPECT_EQ(info.x, 528 + 2 * 1 + 10);
    EXPECT_EQ(info.y, 0);
    EXPECT_GT(info.x, main_window.x + main_window.width + 2 * main_window.border);

    SizeHints hints = read_size_hints(probe, info.id);
    ASSERT_TRUE(hints.present);
    // The old-style property call carries no base size; the window manager sees a fixed
    // size and no position of ours.
    EXPECT_EQ(hints.flags & (PMinSize | PMaxSize), PMinSize | PMaxSize);
    EXPECT_EQ(hints.flags & (USPosition | PPosition | USSize | PSize), 0);
    EXPECT_EQ(hints.min_width, 300);
    EXPECT_EQ(hints.max_width, 300);
    EXPECT_EQ(hints.min_height, 400);
    EXPECT_EQ(hints.max_height, 400);
}

TEST_F(InfoWindow, ShowsEveryLineWithPsnrLoopingFreezingAndThreeSequences)
{
    frame = 12;
    start_frame = 3;
    end_frame = 99;
    loop = 2;
    fr2 = 1;
    fr2_count = 4;
    fr3 = 1;
    fr3_count = 17;
    draw_status();

    ExpectedPicture expected(probe, info_width, info_height, gray);
    put_logo(expected);
    expected.text(black, 5, 75, "Frame     12 @ 25 fps target rate");
    expected.text(black, 5, 105, "Startframe 3");
    expected.text(black, 5, 120, "Endframe   99");
    expected.text(green, 5, 135, "Looping Enabled (2)");
    expected.text(green, 5, 150, "Encoded freezing 4");
    expected.text(green, 5, 165, "Transmitted freezing 17");
    expected.text(green, 5, 180, "PSNR    On");
    expected.text(black, 100, 200, "Current");
    expected.text(black, 210, 200, "Mean");
    expected.text(red, 110, 290, "<30");
    expected.text(black, 155, 290, "Limits");
    expected.text(green, 215, 290, ">40");
    expected.text(black, 5, 325, "Org: org.yuv");
    expected.text(black, 5, 350, "Enc: enc.yuv");
    expected.text(black, 5, 375, "Tra: tra.yuv");
    EXPECT_EQ(capture_difference(probe, shown(), expected.capture(0, 0, info_width, info_height)),
              "");
}

TEST_F(InfoWindow, ShowsPsnrOffAndLoopingDisabledInRedAndLeavesOutLinesThatDoNotApply)
{
    frame = 7;
    fps = 5;
    end_frame = 0;  // a first file of one frame: no end line
    psnr = 0;
    expand = 2;
    draw_status();

    ExpectedPicture expected(probe, info_width, info_height, gray);
    put_logo(expected);
    expected.text(black, 5, 75, "Frame      7 @  5 fps target rate");
    expected.text(black, 5, 105, "Startframe 0");
    expected.text(red, 5, 135, "Looping Disabled");
    expected.text(red, 5, 180, "PSNR    Off");
    expected.text(black, 5, 325, "Org: org.yuv");
    expected.text(black, 5, 350, "Enc: enc.yuv");
    EXPECT_EQ(capture_difference(probe, shown(), expected.capture(0, 0, info_width, info_height)),
              "");
}

TEST_F(InfoWindow, LoopingLineCountsThePassesAndFreezingLinesStandAlone)
{
    loop = 1;
    fr3 = 1;
    fr3_count = 2;
    expand = 1;
    psnr = 0;
    draw_status();
    ExpectedPicture first(probe, info_width, info_height, gray);
    put_logo(first);
    first.text(black, 5, 75, "Frame      0 @ 25 fps target rate");
    first.text(black, 5, 105, "Startframe 0");
    first.text(black, 5, 120, "Endframe   9");
    first.text(green, 5, 135, "Looping Enabled (1)");
    first.text(green, 5, 165, "Transmitted freezing 2");
    first.text(red, 5, 180, "PSNR    Off");
    first.text(black, 5, 325, "Org: org.yuv");
    EXPECT_EQ(capture_difference(probe, shown(), first.capture(0, 0, info_width, info_height)), "");

    // The next pass draws over the same place without clearing.
    loop = 2;
    frame = 1;
    draw_status();
    first.text(black, 5, 75, "Frame      1 @ 25 fps target rate");
    first.text(green, 5, 135, "Looping Enabled (2)");
    EXPECT_EQ(capture_difference(probe, shown(), first.capture(0, 0, info_width, info_height)), "");
}

TEST_F(InfoWindow, CutsFileNamesToFortyFourCharactersAfterTheirPrefix)
{
    const std::string long_name = "/a/rather/long/directory/name/for/the/original/sequence.yuv";
    const std::string exactly_44 = "/tmp/encoded/sequence/of/exactly/44/chars.yv";
    ASSERT_GT(long_name.size(), 44u);
    ASSERT_EQ(exactly_44.size(), 44u);
    set_name(yuvname1, long_name);
    set_name(yuvname2, exactly_44);
    draw_status();

    ExpectedPicture expected(probe, info_width, info_height, gray);
    expected.text(black, 5, 325, "Org: " + long_name.substr(0, 44));
    expected.text(black, 5, 350, "Enc: " + exactly_44);
    expected.text(black, 5, 375, "Tra: tra.yuv");
    EXPECT_EQ(capture_difference(probe, shown(300, 100), expected.capture(0, 300, info_width, 100)),
              "");
}

TEST_F(InfoWindow, WithoutALogoImageTheTopStripStaysGrayAndTheTextIsStillDrawn)
{
    XImage *logo = kestrin;
    kestrin = nullptr;
    draw_status();
    kestrin = logo;

    ExpectedPicture expected(probe, info_width, info_height, gray);
    expected.text(black, 5, 75, "Frame      0 @ 25 fps target rate");
    EXPECT_EQ(capture_difference(probe, shown(0, 80), expected.capture(0, 0, info_width, 80)), "");
}

TEST_F(InfoWindow, LogoIsMadeFromTheCompiledInDataAt301x44)
{
    ASSERT_NE(kestrin, nullptr);
    EXPECT_EQ(kestrin->width, 301);
    EXPECT_EQ(kestrin->height, 44);
    EXPECT_NE(kestrin_shape, nullptr);  // the data holds a transparent colour
}

// --- PSNR rows -------------------------------------------------------------------

struct RowCase {
    double value;
    const char *text;
    char colour;  // 'k' black, 'r' red, 'g' green
};

class PsnrRow : public InfoWindow {
protected:
    unsigned long pixel_of(char colour) const
    {
        return colour == 'r' ? red : colour == 'g' ? green : black;
    }
};

TEST_F(PsnrRow, ColoursValuesBelowThirtyRedAboveFortyGreenAndTheLimitsThemselvesBlack)
{
    const RowCase cases[] = {
        {30.0, " 30.00", 'k'}, {40.0, " 40.00", 'k'},  {29.99, " 29.99", 'r'},
        {40.01, " 40.01", 'g'}, {100.0, "100.00", 'g'}, {0.0, "  0.00", 'r'},
        {35.0, " 35.00", 'k'},
        // The colour follows the value, not its rounded text.
        {29.999, " 30.00", 'r'}, {40.001, " 40.00", 'g'},
    };
    for (const RowCase &c : cases) {
        SCOPED_TRACE(c.value);
        XClearWindow(display, status_win);
        frame = start_frame = 0;
        PSNRstatus(c.value, c.value, 1);

        ExpectedPicture expected(probe, info_width, info_height, gray);
        expected.text(black, 5, 225, "Org<->Enc");
        expected.text(pixel_of(c.colour), 100, 225, c.text);
        expected.text(pixel_of(c.colour), 200, 225, c.text);
        EXPECT_EQ(capture_difference(probe, shown(), expected.capture(0, 0, info_width, info_height)),
                  "");
    }
}

TEST_F(PsnrRow, MeanCoversTheFramesOfThisPassAndIsColouredByItsOwnValue)
{
    // Second frame of a pass that starts at frame 100: mean of 24.0 and 35.0.
    start_frame = 100;
    frame = 101;
    PSNRstatus(35.0, 59.0, 1);
    ExpectedPicture expected(probe, info_width, info_height, gray);
    expected.text(black, 5, 225, "Org<->Enc");
    expected.text(black, 100, 225, " 35.00");
    expected.text(red, 200, 225, " 29.50");
    EXPECT_EQ(capture_difference(probe, shown(), expected.capture(0, 0, info_width, info_height)), "");

    // Its first frame: the mean is the value itself.
    frame = 100;
    PSNRstatus(41.25, 41.25, 1);
    expected.text(green, 100, 225, " 41.25");
    expected.text(green, 200, 225, " 41.25");
    EXPECT_EQ(capture_difference(probe, shown(), expected.capture(0, 0, info_width, info_height)), "");
}

TEST_F(PsnrRow, EachPairHasItsOwnLabelledRow)
{
    start_frame = 0;
    frame = 3;  // four frames measured
    PSNRstatus(31.5, 4 * 31.5, 1);
    PSNRstatus(20.0, 4 * 45.0, 2);
    PSNRstatus(100.0, 400.0, 3);
    ExpectedPicture expected(probe, info_width, info_height, gray);
    expected.text(black, 5, 225, "Org<->Enc");
    expected.text(black, 100, 225, " 31.50");
    expected.text(black, 200, 225, " 31.50");
    expected.text(black, 5, 245, "Enc<->Tra");
    expected.text(red, 100, 245, " 20.00");
    expected.text(green, 200, 245, " 45.00");
    expected.text(black, 5, 265, "Org<->Tra");
    expected.text(green, 100, 265, "100.00");
    expected.text(green, 200, 265, "100.00");
    EXPECT_EQ(capture_difference(probe, shown(), expected.capture(0, 0, info_width, info_height)), "");
}

TEST_F(PsnrRow, RowsAndTextBlockTogetherMakeTheWholeWindow)
{
    frame = 5;
    end_frame = 5;
    draw_status();
    PSNRstatus(38.0, 6 * 36.0, 1);
    PSNRstatus(28.0, 6 * 28.0, 2);
    PSNRstatus(41.0, 6 * 41.0, 3);

    ExpectedPicture expected(probe, info_width, info_height, gray);
    put_logo(expected);
    expected.text(black, 5, 75, "Frame      5 @ 25 fps target rate");
    expected.text(black, 5, 105, "Startframe 0");
    expected.text(black, 5, 120, "Endframe   5");
    expected.text(red, 5, 135, "Looping Disabled");
    expected.text(green, 5, 180, "PSNR    On");
    expected.text(black, 100, 200, "Current");
    expected.text(black, 210, 200, "Mean");
    expected.text(black, 5, 225, "Org<->Enc");
    expected.text(black, 100, 225, " 38.00");
    expected.text(black, 200, 225, " 36.00");
    expected.text(black, 5, 245, "Enc<->Tra");
    expected.text(red, 100, 245, " 28.00");
    expected.text(red, 200, 245, " 28.00");
    expected.text(black, 5, 265, "Org<->Tra");
    expected.text(green, 100, 265, " 41.00");
    expected.text(green, 200, 265, " 41.00");
    expected.text(red, 110, 290, "<30");
    expected.text(black, 155, 290, "Limits");
    expected.text(green, 215, 290, ">40");
    expected.text(black, 5, 325, "Org: org.yuv");
    expected.text(black, 5, 350, "Enc: enc.yuv");
    expected.text(black, 5, 375, "Tra: tra.yuv");
    EXPECT_EQ(capture_difference(probe, shown(), expected.capture(0, 0, info_width, info_height)), "");
}

}  // namespace
