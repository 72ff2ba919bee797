// trivista-makeseq and ./demo as programs: the trio is deterministic and whole, the Encoded lies
// in a block codec's quality band, and the freeze list realigns the Transmitted.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "program_run.h"

namespace {

const std::string makeseq = TRIVISTA_BIN_DIR "/tools/trivista-makeseq";

// original.yuv, encoded.yuv, transmitted.yuv and transmitted.freeze.
Strings make_trio(const TempDir &dir, const std::string &name, const Strings &args)
{
    EXPECT_EQ(run(makeseq, args, dir, {"-quiet", "-o", dir.file(name)}).status, 0);
    std::string at = dir.file(name) + "/";
    return {read_text_file(at + "original.yuv"), read_text_file(at + "encoded.yuv"), read_text_file(at + "transmitted.yuv"),
            read_text_file(at + "transmitted.freeze")};
}

// Squared error of the luma of QCIF frame f of one file and frame g of another, or samples that differ.
double apart(const std::string &a, int f, const std::string &b, int g, bool squared)
{
    double sum = 0;
    for (int i = 0, d; i < 176 * 144; i++)
        d = (uint8_t)a[f * 38016 + i] - (uint8_t)b[g * 38016 + i], sum += squared ? d * d : d != 0;
    return sum;
}

TEST(Makeseq, WritesADeterministicTrioWhoseFreezeListRealignsTheTransmitted)
{
    TempDir dir;
    Strings trio = make_trio(dir, "one", {}), other = make_trio(dir, "other", {"-seed", "2"}), freeze = split(trio[3]);
    EXPECT_TRUE(trio == make_trio(dir, "again", {"-n", "100", "-seed", "1"}));
    EXPECT_TRUE(trio[0] != other[0] && trio[1] != other[1] && trio[2] != other[2] && trio[3] != other[3]);
    Strings cif = make_trio(dir, "cif", {"-CIF", "-n", "2"});
    EXPECT_TRUE(cif[0].size() == 2 * 152064 && cif[1].size() == cif[0].size());
    ASSERT_TRUE(trio[0].size() == 100 * 38016 && trio[1].size() == trio[0].size() && !freeze.empty() &&
                trio[2].size() == (100 - freeze.size()) * 38016);
    for (size_t i = 0; i < freeze.size(); i++)
        EXPECT_TRUE(std::to_string(std::stoi(freeze[i])) == freeze[i] &&
                    std::stoi(freeze[i]) > (i ? std::stoi(freeze[i - 1]) : 0))
            << "each dropped frame once, ascending, never frame 0: " << trio[3];
    for (int f = 0, shown = 0; f < 100; f++) {
        double psnr = 10 * std::log10(65025.0 * 176 * 144 / apart(trio[0], f, trio[1], f, true));
        EXPECT_TRUE(psnr >= 28 && psnr <= 38) << "frame " << f << ": " << psnr << " dB";
        if (std::find(freeze.begin(), freeze.end(), std::to_string(f)) != freeze.end())
            continue;  // a frozen frame reads nothing; every other shows the next picture of the file
        for (int g : {std::max(f - 1, 0), std::min(f + 1, 99)})
            EXPECT_TRUE(g == f || apart(trio[2], shown, trio[1], f, false) < apart(trio[2], shown, trio[1], g, false))
                << "frame " << f << " looks like frame " << g;
        shown++;
    }
}

TEST(Makeseq, RefusesBadCommandLinesWithStatusOne)
{
    TempDir dir;
    for (const Strings &args : std::vector<Strings>{
             {"-size", "177x144"}, {"-size", "8x8"}, {"-size", "352"}, {"-size", "x288"}, {"-size", "352x288junk"},
             {"-n", "0"}, {"-n", "12abc"}, {"-n", "99999999999999999999"}, {"-seed", "x"}, {"-n"}, {"-bogus"},
             {"-o", "/dev/null"}}) {
        Result result = run(makeseq, {"-o", dir.file("out")}, dir, args);
        EXPECT_TRUE(result.status == 1 && result.err.rfind("trivista-makeseq: ", 0) == 0) << args[0] << ": " << result.err;
    }
}

TEST(Demo, PlaysHeadlessOnTheBuiltProgramsAndLeavesAScreenshotWithPicturesAndThePlot)
{
    TempDir dir;
    Result demo = run(TRIVISTA_SOURCE_DIR "/demo", {"--no-install", "--no-build", "--build-dir", TRIVISTA_BIN_DIR,
                                                    "--out", dir.file("out"), "--frames", "30", "--seconds", "2"}, dir);
    std::smatch at;  // the main window's place in the screenshot
    ASSERT_TRUE(demo.status == 0 && std::regex_search(demo.out, at, std::regex("Main window: (\\d+x\\d+) at (\\d+),(\\d+)")))
        << demo.out << demo.err;
    Result deviation = run("/usr/bin/identify", {"-format", "%[fx:standard_deviation]",
                           dir.file("out/screenshot.png") + "[" + at.str(1) + "+" + at.str(2) + "+" + at.str(3) + "]"}, dir);
    EXPECT_GT(std::atof(deviation.out.c_str()), 0.05) << "a flat screenshot " << deviation.err;
    std::string plot = dir.file("out/report-plot.png");  // the report's plot of the trio, beside it
    EXPECT_TRUE(demo.out.find("Plot: " + plot) != std::string::npos && read_text_file(plot).substr(1, 3) == "PNG");
}

}  // namespace
