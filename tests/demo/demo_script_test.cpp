// The ./demo command without DISPLAY, on the programs of this build tree: it plays on its
// own virtual X server, leaves a screenshot whose panes hold pictures, and exits 0.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "child_process.h"
#include "test_files.h"

namespace {

const std::string demo_script = std::string(TRIVISTA_SOURCE_DIR) + "/demo";

std::string command_output(const std::string &command)
{
    std::string text;
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe)
        return text;
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe))
        text += buffer;
    pclose(pipe);
    return text;
}

// Standard deviation of the luminance of a rectangle of a PNG, 0 (uniform) .. 1.
double deviation_of(const std::string &png, int width, int height, int x, int y)
{
    std::string region = png + "[" + std::to_string(width) + "x" + std::to_string(height) + "+" +
                         std::to_string(x) + "+" + std::to_string(y) + "]";
    std::string out = command_output("identify -format '%[fx:standard_deviation]' '" + region + "'");
    return out.empty() ? -1.0 : atof(out.c_str());
}

struct Geometry {
    int width = 0, height = 0, x = -1, y = -1;
};

// "<label>: WxH at X,Y in the screenshot"
Geometry geometry_line(const std::string &out, const std::string &label)
{
    Geometry g;
    std::smatch m;
    std::regex line(label + ": ([0-9]+)x([0-9]+) at ([0-9]+),([0-9]+) in the screenshot");
    if (std::regex_search(out, m, line)) {
        g.width = std::stoi(m[1]);
        g.height = std::stoi(m[2]);
        g.x = std::stoi(m[3]);
        g.y = std::stoi(m[4]);
    }
    return g;
}

TEST(DemoCommand, WithoutDisplayLeavesAScreenshotOfBothWindowsWithPicturesAndExitsZero)
{
    TempDir tmp;
    ChildProcess demo(demo_script,
                      {"--no-install", "--no-build", "--build-dir", TRIVISTA_BIN_DIR, "--out",
                       tmp.file("out"), "--frames", "30", "--seconds", "2"},
                      "", tmp.path(), "demo");
    ASSERT_TRUE(demo.wait(120)) << "the demo did not end";
    ASSERT_TRUE(demo.exited_normally());
    std::string out = demo.stdout_text();
    ASSERT_EQ(demo.exit_status(), 0) << out << demo.stderr_text();

    std::string png = tmp.file("out/screenshot.png");
    EXPECT_NE(out.find("Screenshot: " + png), std::string::npos) << out;
    struct stat info;
    ASSERT_EQ(stat(png.c_str(), &info), 0) << "no screenshot at " << png;

    // Both windows of three QCIF sequences with PSNR, side by side.
    Geometry main_window = geometry_line(out, "Main window");
    Geometry info_window = geometry_line(out, "Info window");
    ASSERT_EQ(main_window.width, 3 * 176) << out;
    ASSERT_EQ(main_window.height, 2 * 144 + 200) << out;
    ASSERT_GT(info_window.width, 0) << out;
    std::string size = command_output("identify -format '%w %h' '" + png + "'");
    int png_width = 0, png_height = 0;
    ASSERT_EQ(sscanf(size.c_str(), "%d %d", &png_width, &png_height), 2) << size;
    EXPECT_GE(png_width, main_window.x + main_window.width);
    EXPECT_GE(png_height, main_window.y + main_window.height);
    EXPECT_GE(png_width, info_window.x + info_window.width);

    // The three sequence panes and the Org<->Enc difference hold pictures, not a flat fill.
    for (int pane = 0; pane < 4; pane++) {
        int x = main_window.x + (pane % 3) * 176;
        int y = main_window.y + (pane / 3) * (144 + 30);
        EXPECT_GT(deviation_of(png, 176, 144, x, y), 0.05) << "pane " << pane + 1 << " is flat";
    }
    // The info window shows its text and logo.
    EXPECT_GT(deviation_of(png, info_window.width, info_window.height, info_window.x, info_window.y),
              0.05);
}

TEST(DemoCommand, RefusesAMissingBuildWithAMessage)
{
    TempDir tmp;
    ChildProcess demo(demo_script,
                      {"--no-install", "--no-build", "--build-dir", tmp.file("nothing"), "--out",
                       tmp.file("out")},
                      "", tmp.path(), "demo");
    ASSERT_TRUE(demo.wait(60));
    ASSERT_TRUE(demo.exited_normally());
    EXPECT_EQ(demo.exit_status(), 1);
    EXPECT_NE(demo.stderr_text().find("is missing; run without --no-build"), std::string::npos)
        << demo.stderr_text();
}

TEST(DemoCommand, RefusesAnUnknownOptionWithTheUsage)
{
    TempDir tmp;
    ChildProcess demo(demo_script, {"--colour"}, "", tmp.path(), "demo");
    ASSERT_TRUE(demo.wait(60));
    ASSERT_TRUE(demo.exited_normally());
    EXPECT_EQ(demo.exit_status(), 2);
    EXPECT_NE(demo.stderr_text().find("unknown option --colour"), std::string::npos);
    EXPECT_NE(demo.stderr_text().find("Usage: ./demo"), std::string::npos);
}

}  // namespace
