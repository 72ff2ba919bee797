// The info window of whole trivista runs: where it opens and what it shows for inputs
// whose PSNR is known in advance.
#include <gtest/gtest.h>

#include <X11/xpm.h>

#include "display.h"
#include "info_run_fixture.h"

namespace {

class InfoRun : public TrivistaRun {
protected:
    WindowGeometry info_window()
    {
        return wait_for_window(dpy, "Trivista info", settle_s);
    }

    void put_logo(ExpectedPicture &picture)
    {
        XImage *image = nullptr;
        XImage *shape = nullptr;
        ASSERT_GE(XpmCreateImageFromData(dpy, const_cast<char **>(kestrin_xpm), &image, &shape,
                                         nullptr),
                  XpmSuccess);
        picture.image(image, 300, 44);
        XDestroyImage(image);
        if (shape)
            XDestroyImage(shape);
    }
};

TEST_F(InfoRun, OpensJustRightOfAOneSequenceMainWindow)
{
    WindowGeometry main_window = run({"-f1", write_flat_sequence(dir, "o.yuv", {100}), "-l"});
    ASSERT_NE(main_window.id, 0u) << child->stderr_text();
    WindowGeometry info = info_window();
    ASSERT_NE(info.id, 0u);
    EXPECT_EQ(main_window.width, 176);
    EXPECT_EQ(info.x, 176 + 2 + 10);
    EXPECT_EQ(info.y, 0);
    EXPECT_EQ(info.width, 300);
    EXPECT_EQ(info.height, 400);
}

TEST_F(InfoRun, OpensJustRightOfThreeCifSequencesInsteadOfCoveringTheThirdPane)
{
    const int W = 352, Hc = 288;
    WindowGeometry main_window =
        run({"-CIF", "-f1", write_flat_sequence(dir, "o.yuv", {100}, W, Hc), "-f2",
             write_flat_sequence(dir, "e.yuv", {100}, W, Hc), "-f3",
             write_flat_sequence(dir, "t.yuv", {100}, W, Hc), "-l"});
    ASSERT_NE(main_window.id, 0u) << child->stderr_text();
    WindowGeometry info = info_window();
    ASSERT_NE(info.id, 0u);
    EXPECT_EQ(main_window.width, 3 * W);
    EXPECT_EQ(info.x, 3 * W + 2 + 10);
    EXPECT_GE(info.x, main_window.x + main_window.width + 2 * main_window.border);
}

TEST_F(InfoRun, ShowsTheLogoSettingsFileNamesAndColouredRowsOfThreeSequences)
{
    std::string org = write_flat_sequence(dir, "original_sequence_with_a_long_name.yuv", {100});
    std::string enc = write_flat_sequence(dir, "encoded.yuv", {101});
    std::string tra = write_flat_sequence(dir, "t.yuv", {110});
    WindowGeometry main_window = run({"-f1", org, "-f2", enc, "-f3", tra, "-PSNR", "-l"});
    ASSERT_NE(main_window.id, 0u) << child->stderr_text();
    WindowGeometry info = info_window();
    ASSERT_NE(info.id, 0u);

    ExpectedPicture expected(dpy, 300, 400, gray);
    put_logo(expected);
    // A one-frame file: every frame is frame 0, and end frame 0 leaves its line out.
    expected.text(black, 5, 75, "Frame      0 @ 25 fps target rate");
    expected.text(black, 5, 105, "Startframe 0");
    // The looping line (y 124..137) counts passes and is left out of the comparison.
    expected.text(green, 5, 180, "PSNR    On");
    expected.text(black, 100, 200, "Current");
    expected.text(black, 210, 200, "Mean");
    expected.text(black, 5, 225, "Org<->Enc");
    expected.text(green, 100, 225, " 48.13");
    expected.text(green, 200, 225, " 48.13");
    expected.text(black, 5, 245, "Enc<->Tra");
    expected.text(red, 100, 245, " 29.05");
    expected.text(red, 200, 245, " 29.05");
    expected.text(black, 5, 265, "Org<->Tra");
    expected.text(red, 100, 265, " 28.13");
    expected.text(red, 200, 265, " 28.13");
    expected.text(red, 110, 290, "<30");
    expected.text(black, 155, 290, "Limits");
    expected.text(green, 215, 290, ">40");
    // The first path is longer than 44 characters and is cut.
    ASSERT_GT(org.size(), 44u);
    expected.text(black, 5, 325, "Org: " + org.substr(0, 44));
    expected.text(black, 5, 350, "Enc: " + enc.substr(0, 44));
    expected.text(black, 5, 375, "Tra: " + tra.substr(0, 44));

    EXPECT_EQ(settle(info.id, expected, 0, 140, 300, 260), "");
    EXPECT_EQ(settle(info.id, expected, 0, 0, 300, 123), "");
    Capture looping = capture_region(dpy, info.id, 0, 124, 300, 14);
    ExpectedPicture first_pass(dpy, 300, 400, gray);
    EXPECT_NE(capture_difference(dpy, looping, first_pass.capture(0, 124, 300, 14)), "")
        << "the looping line is missing";
}

TEST_F(InfoRun, TwoSequencesShowOneFileLineLessAndOnlyTheFirstRow)
{
    std::string org = write_flat_sequence(dir, "o.yuv", {100, 100, 100});
    std::string enc = write_flat_sequence(dir, "e.yuv", {105, 105, 105});
    WindowGeometry main_window = run({"-f1", org, "-f2", enc, "-PSNR", "-l"});
    ASSERT_NE(main_window.id, 0u) << child->stderr_text();
    WindowGeometry info = info_window();
    ASSERT_NE(info.id, 0u);

    ExpectedPicture expected(dpy, 300, 400, gray);
    expected.text(green, 5, 180, "PSNR    On");
    expected.text(black, 100, 200, "Current");
    expected.text(black, 210, 200, "Mean");
    expected.text(black, 5, 225, "Org<->Enc");
    expected.text(black, 100, 225, " 34.15");
    expected.text(black, 200, 225, " 34.15");
    expected.text(red, 110, 290, "<30");
    expected.text(black, 155, 290, "Limits");
    expected.text(green, 215, 290, ">40");
    expected.text(black, 5, 325, "Org: " + org.substr(0, 44));
    expected.text(black, 5, 350, "Enc: " + enc.substr(0, 44));
    EXPECT_EQ(settle(info.id, expected, 0, 168, 300, 232), "");
}

}  // namespace
