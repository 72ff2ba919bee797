// The logo data as compiled in, the script that draws it, and the PSNR row's refusal of
// an unknown pair. Nothing here needs a display.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "display.h"
#include "harness.h"

namespace {

struct XpmHeader {
    int width = 0, height = 0, colours = 0, chars_per_pixel = 0;
};

XpmHeader read_header()
{
    XpmHeader h;
    std::istringstream in(kestrin_xpm[0]);
    in >> h.width >> h.height >> h.colours >> h.chars_per_pixel;
    return h;
}

TEST(LogoData, Is301By44With490ColoursAtTwoCharactersPerPixel)
{
    XpmHeader h = read_header();
    EXPECT_EQ(h.width, 301);
    EXPECT_EQ(h.height, 44);
    EXPECT_EQ(h.colours, 490);
    EXPECT_EQ(h.chars_per_pixel, 2);
}

TEST(LogoData, HasExactlyOneTransparentColourAndEveryColourIsDistinctAndUsed)
{
    XpmHeader h = read_header();
    ASSERT_EQ(h.colours, 490);
    ASSERT_EQ(h.chars_per_pixel, 2);

    std::map<std::string, std::string> colour_of;  // code -> colour
    std::set<std::string> colours;
    std::string none_code;
    for (int i = 1; i <= h.colours; ++i) {
        std::string line = kestrin_xpm[i];
        ASSERT_GE(line.size(), 6u) << line;
        std::string code = line.substr(0, 2);
        ASSERT_EQ(line.substr(2, 3), " c ") << line;
        std::string colour = line.substr(5);
        EXPECT_TRUE(colour_of.emplace(code, colour).second) << "code used twice: " << code;
        EXPECT_TRUE(colours.insert(colour).second) << "colour listed twice: " << colour;
        if (colour == "None") {
            EXPECT_TRUE(none_code.empty()) << "more than one transparent colour";
            none_code = code;
        }
    }
    ASSERT_FALSE(none_code.empty());

    std::set<std::string> used;
    for (int row = 0; row < h.height; ++row) {
        std::string pixels = kestrin_xpm[1 + h.colours + row];
        ASSERT_EQ(pixels.size(), static_cast<size_t>(h.width * 2)) << "row " << row;
        for (int x = 0; x < h.width; ++x) {
            std::string code = pixels.substr(2 * x, 2);
            ASSERT_TRUE(colour_of.count(code)) << "unknown code at (" << x << ", " << row << ")";
            used.insert(code);
            // Transparent pixels come out as pixel 0 (black) without the mask, which the
            // info window does not use: none may stand in the 300 columns it shows.
            if (x < 300) {
                EXPECT_NE(code, none_code) << "transparent pixel shown at (" << x << ", " << row << ")";
            }
        }
    }
    EXPECT_EQ(used.size(), colour_of.size()) << "some colours are listed but never used";
}

TEST(LogoData, TheScriptInTheRepositoryRedrawsTheCommittedFileExactly)
{
    if (system("python3 -c pass >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "python3 is not installed";
    TempDir dir;
    std::string output = dir.file("kestrin.xpm");
    std::string command = std::string("python3 ") + TRIVISTA_SOURCE_DIR + "/tools/make_logo.py " + output;
    ASSERT_EQ(system(command.c_str()), 0);
    std::string redrawn = read_text_file(output);
    std::string committed = read_text_file(std::string(TRIVISTA_SOURCE_DIR) + "/src/display/kestrin.xpm");
    ASSERT_FALSE(committed.empty());
    EXPECT_TRUE(redrawn == committed) << "tools/make_logo.py no longer reproduces the logo";
}

TEST(PsnrRowDeathTest, AnUnknownPairEndsTheProcessWithStatus255AndNoMessage)
{
    EXPECT_EXIT(PSNRstatus(35.0, 35.0, 0), ::testing::ExitedWithCode(255), "^$");
    EXPECT_EXIT(PSNRstatus(35.0, 35.0, 4), ::testing::ExitedWithCode(255), "^$");
    EXPECT_EXIT(PSNRstatus(35.0, 35.0, -1), ::testing::ExitedWithCode(255), "^$");
}

}  // namespace
