// A YUV4MPEG2 file written by ffmpeg plays exactly like the raw planes of the same frames,
// on a private X server.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "harness.h"

namespace {

const char title[] = "kestrin Trivista";

std::string ffmpeg_y4m(const std::string &raw, const std::string &y4m, int width, int height)
{
    std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -f rawvideo "
                          "-pix_fmt yuv420p -s " + std::to_string(width) + "x" +
                          std::to_string(height) + " -r 25 -i '" + raw +
                          "' -f yuv4mpegpipe -y '" + y4m + "'";
    EXPECT_EQ(system(command.c_str()), 0) << command;
    return y4m;
}

bool uniform(const Capture &capture)
{
    for (uint32_t pixel : capture.pixels)
        if (pixel != capture.pixels[0])
            return false;
    return true;
}

}  // namespace

TEST(Y4mPlayback, SameFramesAsRawShowTheSamePictureAndAZeroDifference)
{
    const int width = 48, height = 32, shown = 3;
    XvfbServer server(24);
    TempDir dir;
    std::string raw = write_test_sequence(dir.path(), "raw.yuv", width, height, 1, 6);
    std::string y4m = ffmpeg_y4m(raw, dir.file("same.y4m"), width, height);
    std::string other = write_test_sequence(dir.path(), "other.yuv", width, height, 2, 6);

    // One frame per pass, looping: the window keeps showing frame 3 of every file. The
    // picture size comes from the header alone.
    ChildProcess child(trivista_path(),
                       {"-f1", raw, "-f2", y4m, "-f3", other, "-s", std::to_string(shown),
                        "-e", std::to_string(shown), "-l", "-quiet"},
                       server.name(), dir.path());
    XConnection x(server.name());
    WindowGeometry window = wait_for_window(x.get(), title, 10);
    ASSERT_NE(window.id, 0u) << child.stderr_text();
    EXPECT_EQ(window.width, 3 * width);
    EXPECT_EQ(window.height, 2 * height + 50);

    uint32_t bits = default_colour_bits(x.get());
    Capture original, encoded, transmitted, org_enc, org_tra;
    // The first frame may still be on its way: wait until pane 3 holds a picture.
    bool settled = wait_until([&] {
        Capture all = masked(capture_region(x.get(), window.id, 0, 0, window.width,
                                            window.height), bits);
        if (all.empty())
            return false;
        original = crop(all, 0, 0, width, height);
        encoded = crop(all, width, 0, width, height);
        transmitted = crop(all, 2 * width, 0, width, height);
        org_enc = crop(all, 0, height + 30, width, height);
        org_tra = crop(all, 2 * width, height + 30, width, height);
        return !uniform(transmitted) && !uniform(org_tra);
    }, 10);
    ASSERT_TRUE(settled) << child.stderr_text();
    EXPECT_FALSE(uniform(original));
    EXPECT_EQ(encoded, original);
    EXPECT_FALSE(transmitted == original);
    // Org<->Enc of identical luma is the darkest gray everywhere; Org<->Tra is not.
    EXPECT_TRUE(uniform(org_enc));
    EXPECT_FALSE(org_enc == org_tra);
    EXPECT_TRUE(child.running());
    EXPECT_EQ(child.stderr_text(), "");
}
