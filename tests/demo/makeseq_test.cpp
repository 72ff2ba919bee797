// trivista-makeseq, run as a program into a temporary directory: the trio it writes is
// deterministic, sized right, degraded like a block codec and a lossy channel, and its
// freeze list keeps the Transmitted sequence aligned under the viewer's freeze rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "test_files.h"

namespace {

const std::string makeseq = std::string(TRIVISTA_BIN_DIR) + "/tools/trivista-makeseq";

struct ProgramResult {
    int status;
    std::string out, err;
};

ProgramResult run_makeseq(const TempDir &tmp, const std::vector<std::string> &args)
{
    ChildProcess child(makeseq, args, "", tmp.path(), "makeseq");
    EXPECT_TRUE(child.wait(120)) << "trivista-makeseq did not finish";
    EXPECT_TRUE(child.exited_normally());
    return {child.exit_status(), child.stdout_text(), child.stderr_text()};
}

using Bytes = std::string;

struct Trio {
    int width, height;
    int64_t frame_bytes;
    Bytes original, encoded, transmitted, freeze;
};

Trio make_trio(const TempDir &tmp, const std::string &name, int width, int height,
               std::vector<std::string> args)
{
    std::string dir = tmp.file(name);
    args.push_back("-o");
    args.push_back(dir);
    ProgramResult run = run_makeseq(tmp, args);
    EXPECT_EQ(run.status, 0) << run.err;
    Trio t;
    t.width = width;
    t.height = height;
    t.frame_bytes = (int64_t)width * height * 3 / 2;
    t.original = read_text_file(dir + "/original.yuv");
    t.encoded = read_text_file(dir + "/encoded.yuv");
    t.transmitted = read_text_file(dir + "/transmitted.yuv");
    t.freeze = read_text_file(dir + "/transmitted.freeze");
    return t;
}

int frame_count(const Trio &t, const Bytes &file)
{
    return (int)((int64_t)file.size() / t.frame_bytes);
}

const unsigned char *frame_of(const Trio &t, const Bytes &file, int f)
{
    return reinterpret_cast<const unsigned char *>(file.data()) + f * t.frame_bytes;
}

// Luma PSNR as the viewer defines it: 10 log10(255^2 / mean squared error).
double luma_psnr(const unsigned char *a, const unsigned char *b, int samples)
{
    uint64_t sum = 0;
    for (int i = 0; i < samples; i++) {
        int d = a[i] - b[i];
        sum += (uint64_t)(d * d);
    }
    if (sum == 0)
        return INFINITY;
    return 10.0 * log10(65025.0 * samples / (double)sum);
}

std::vector<int> freeze_frames(const Trio &t)
{
    std::vector<int> frames;
    std::istringstream lines(t.freeze);
    std::string line;
    while (std::getline(lines, line)) {
        char *end = nullptr;
        long n = strtol(line.c_str(), &end, 10);
        EXPECT_TRUE(!line.empty() && *end == '\0') << "not a frame number: \"" << line << "\"";
        frames.push_back((int)n);
    }
    return frames;
}

// What the Transmitted pane shows at each frame when the freeze list is applied: at a
// frozen frame nothing is read and the previous picture stays.
std::vector<const unsigned char *> shown_transmitted(const Trio &t, const std::vector<int> &freeze)
{
    std::vector<bool> frozen(frame_count(t, t.original), false);
    for (int f : freeze)
        if (f >= 0 && f < (int)frozen.size())
            frozen[f] = true;
    std::vector<const unsigned char *> shown;
    int next = 0;
    const unsigned char *current = nullptr;
    for (size_t f = 0; f < frozen.size(); f++) {
        if (!frozen[f] && next < frame_count(t, t.transmitted))
            current = frame_of(t, t.transmitted, next++);
        shown.push_back(current);
    }
    return shown;
}

// Number of 16x16 luma macroblocks in which two pictures differ.
int differing_macroblocks(const Trio &t, const unsigned char *a, const unsigned char *b,
                          std::vector<bool> *which = nullptr)
{
    int count = 0, index = 0;
    for (int my = 0; my < t.height; my += 16)
        for (int mx = 0; mx < t.width; mx += 16, index++) {
            bool differs = false;
            for (int y = my; y < my + 16 && y < t.height && !differs; y++)
                for (int x = mx; x < mx + 16 && x < t.width; x++)
                    if (a[y * t.width + x] != b[y * t.width + x]) {
                        differs = true;
                        break;
                    }
            if (which)
                which->push_back(differs);
            count += differs;
        }
    return count;
}

// Sum of absolute horizontal luma steps, split into steps across an 8-pixel block
// boundary and steps inside a block, each as a mean per step.
void luma_steps(const Trio &t, const unsigned char *y, double *across, double *inside)
{
    double sum_across = 0, sum_inside = 0;
    long n_across = 0, n_inside = 0;
    for (int row = 0; row < t.height; row++)
        for (int x = 0; x + 1 < t.width; x++) {
            int step = std::abs(y[row * t.width + x + 1] - y[row * t.width + x]);
            if ((x + 1) % 8 == 0) {
                sum_across += step;
                n_across++;
            } else {
                sum_inside += step;
                n_inside++;
            }
        }
    *across = sum_across / n_across;
    *inside = sum_inside / n_inside;
}

// Coefficients of the upper half of the 8x8 DCT spectrum (u + v >= 8) that stand out of
// the rounding noise, over all luma blocks: fine texture and grain.
int fine_detail_coefficients(const Trio &t, const unsigned char *y)
{
    const double pi = 3.14159265358979323846;
    double basis[8][8];
    for (int k = 0; k < 8; k++)
        for (int x = 0; x < 8; x++)
            basis[k][x] = (k == 0 ? sqrt(0.125) : 0.5) * cos((2 * x + 1) * k * pi / 16);
    int count = 0;
    for (int by = 0; by + 8 <= t.height; by += 8)
        for (int bx = 0; bx + 8 <= t.width; bx += 8)
            for (int v = 1; v < 8; v++)
                for (int u = 8 - v; u < 8; u++) {
                    double c = 0;
                    for (int j = 0; j < 8; j++)
                        for (int i = 0; i < 8; i++)
                            c += basis[v][j] * basis[u][i] * y[(by + j) * t.width + bx + i];
                    count += fabs(c) >= 3.0;
                }
    return count;
}

// Each test runs in a process of its own, so each trio is made only when a test asks.
class Generator : public ::testing::Test {
protected:
    static void TearDownTestSuite()
    {
        delete qcif_trio;
        delete cif_trio;
        delete tmp;
        qcif_trio = cif_trio = nullptr;
        tmp = nullptr;
    }
    static TempDir &dir()
    {
        if (!tmp)
            tmp = new TempDir();
        return *tmp;
    }
    static const Trio *qcif()
    {
        if (!qcif_trio)
            qcif_trio = new Trio(make_trio(dir(), "qcif", 176, 144, {}));
        return qcif_trio;
    }
    static const Trio *cif()
    {
        if (!cif_trio)
            cif_trio = new Trio(make_trio(dir(), "cif", 352, 288, {"-CIF", "-n", "40", "-seed", "5"}));
        return cif_trio;
    }
    static TempDir *tmp;
    static Trio *qcif_trio, *cif_trio;
};

TempDir *Generator::tmp;
Trio *Generator::qcif_trio;
Trio *Generator::cif_trio;

// Determinism and sizes.

TEST_F(Generator, SameSeedWritesTheSameBytes)
{
    Trio again = make_trio(dir(), "qcif-again", 176, 144, {"-seed", "1", "-n", "100"});
    EXPECT_TRUE(again.original == qcif()->original);
    EXPECT_TRUE(again.encoded == qcif()->encoded);
    EXPECT_TRUE(again.transmitted == qcif()->transmitted);
    EXPECT_EQ(again.freeze, qcif()->freeze);
}

TEST_F(Generator, DifferentSeedWritesDifferentSequences)
{
    Trio other = make_trio(dir(), "qcif-seed2", 176, 144, {"-seed", "2"});
    EXPECT_FALSE(other.original == qcif()->original);
    EXPECT_FALSE(other.transmitted == qcif()->transmitted);
    EXPECT_NE(other.freeze, qcif()->freeze);
}

TEST_F(Generator, FilesHoldWholeFramesOfTheChosenSize)
{
    EXPECT_EQ(qcif()->original.size(), 100u * 38016u);
    EXPECT_EQ(qcif()->encoded.size(), 100u * 38016u);
    EXPECT_EQ(cif()->original.size(), 40u * 152064u);
    EXPECT_EQ(cif()->encoded.size(), 40u * 152064u);
    for (const Trio *t : {qcif(), cif()}) {
        size_t dropped = freeze_frames(*t).size();
        EXPECT_GT(dropped, 0u);
        EXPECT_EQ(t->transmitted.size(), t->original.size() - dropped * (size_t)t->frame_bytes);
    }
}

TEST_F(Generator, AnyEvenSizeAndFrameCountIsWritten)
{
    Trio odd = make_trio(dir(), "small", 48, 32, {"-size", "48x32", "-n", "3"});
    EXPECT_EQ(odd.original.size(), 3u * 48u * 32u * 3u / 2u);
    EXPECT_EQ(odd.encoded.size(), odd.original.size());
    EXPECT_EQ(odd.transmitted.size(), odd.original.size());  // too short to drop a frame
    EXPECT_EQ(odd.freeze, "");
    Trio wide = make_trio(dir(), "wide", 200, 120, {"-size", "200x120", "-n", "30"});
    EXPECT_EQ(wide.original.size(), 30u * 200u * 120u * 3u / 2u);
}

// The Original.

TEST_F(Generator, OriginalChangesFromEveryFrameToTheNext)
{
    for (int f = 1; f < frame_count(*qcif(), qcif()->original); f++) {
        double psnr = luma_psnr(frame_of(*qcif(), qcif()->original, f - 1),
                                frame_of(*qcif(), qcif()->original, f), 176 * 144);
        EXPECT_LT(psnr, 40.0) << "frame " << f << " hardly moves";
    }
}

// The Encoded.

TEST_F(Generator, EncodedStaysWithinTheBandOfABlockCodec)
{
    for (const Trio *t : {qcif(), cif()})
        for (int f = 0; f < frame_count(*t, t->original); f++) {
            double psnr = luma_psnr(frame_of(*t, t->original, f), frame_of(*t, t->encoded, f),
                                    t->width * t->height);
            EXPECT_GE(psnr, 28.0) << t->width << " frame " << f;
            EXPECT_LE(psnr, 38.0) << t->width << " frame " << f;
        }
}

TEST_F(Generator, EncodedIsBlockyAtTheEightPixelGrid)
{
    double orig_across, orig_inside, enc_across, enc_inside;
    luma_steps(*qcif(), frame_of(*qcif(), qcif()->original, 30), &orig_across, &orig_inside);
    luma_steps(*qcif(), frame_of(*qcif(), qcif()->encoded, 30), &enc_across, &enc_inside);
    EXPECT_GT(enc_across / enc_inside, 1.2 * orig_across / orig_inside)
        << "block edges are no stronger than the rest: no blocking";
}

TEST_F(Generator, EncodedLosesMostOfTheFinestDetail)
{
    for (int f : {0, 30, 77}) {
        int original = fine_detail_coefficients(*qcif(), frame_of(*qcif(), qcif()->original, f));
        int encoded = fine_detail_coefficients(*qcif(), frame_of(*qcif(), qcif()->encoded, f));
        EXPECT_LT(encoded, original / 2) << "frame " << f << ": no blur";
    }
}

TEST_F(Generator, EncodedChromaIsQuantisedToo)
{
    int luma = 176 * 144, chroma = luma / 4;
    const unsigned char *o = frame_of(*qcif(), qcif()->original, 10) + luma;
    const unsigned char *e = frame_of(*qcif(), qcif()->encoded, 10) + luma;
    EXPECT_LT(luma_psnr(o, e, chroma), 60.0);           // U changed
    EXPECT_LT(luma_psnr(o + chroma, e + chroma, chroma), 60.0);  // V changed
}

// The Transmitted and its freeze list.

TEST_F(Generator, FreezeListNamesEachDroppedFrameOnceInOrder)
{
    for (const Trio *t : {qcif(), cif()}) {
        std::vector<int> freeze = freeze_frames(*t);
        int frames = frame_count(*t, t->original);
        for (size_t i = 0; i < freeze.size(); i++) {
            EXPECT_GT(freeze[i], 0) << "frame 0 would show black";
            EXPECT_LT(freeze[i], frames);
            if (i > 0) {
                EXPECT_GT(freeze[i], freeze[i - 1]);
            }
        }
        EXPECT_EQ(frame_count(*t, t->transmitted) + (int)freeze.size(), frames);
    }
}

TEST_F(Generator, FrozenTransmittedShowsTheEncodedFrameOfEachFrameNumber)
{
    for (const Trio *t : {qcif(), cif()}) {
        std::vector<int> freeze = freeze_frames(*t);
        std::vector<const unsigned char *> shown = shown_transmitted(*t, freeze);
        int frames = frame_count(*t, t->original);
        int macroblocks = ((t->width + 15) / 16) * ((t->height + 15) / 16);
        int clean_frames = 0, damaged_frames = 0;
        for (int f = 0; f < frames; f++) {
            if (std::find(freeze.begin(), freeze.end(), f) != freeze.end())
                continue;
            int off = differing_macroblocks(*t, shown[f], frame_of(*t, t->encoded, f));
            EXPECT_LE(off, macroblocks / 2) << t->width << " frame " << f << " misaligned";
            // Nearer to its own frame than to the neighbours: not shifted by one.
            for (int g : {f - 1, f + 1}) {
                if (g >= 0 && g < frames) {
                    EXPECT_LT(off, differing_macroblocks(*t, shown[f], frame_of(*t, t->encoded, g)))
                        << t->width << " frame " << f << " looks like frame " << g;
                }
            }
            off == 0 ? clean_frames++ : damaged_frames++;
        }
        EXPECT_GT(damaged_frames, 0) << "no transmission damage at all";
        EXPECT_GT(clean_frames, frames / 2) << "hardly a clean frame";
    }
}

TEST_F(Generator, WithoutTheFreezeListTheTransmittedFallsBehind)
{
    std::vector<int> freeze = freeze_frames(*qcif());
    ASSERT_FALSE(freeze.empty());
    std::vector<const unsigned char *> naive = shown_transmitted(*qcif(), {});
    int last = frame_count(*qcif(), qcif()->transmitted) - 1;
    EXPECT_GT(differing_macroblocks(*qcif(), naive[last], frame_of(*qcif(), qcif()->encoded, last)),
              99 / 2);
}

TEST_F(Generator, DamageLingersForSomeFramesAndThenHeals)
{
    std::vector<int> freeze = freeze_frames(*qcif());
    std::vector<const unsigned char *> shown = shown_transmitted(*qcif(), freeze);
    int frames = frame_count(*qcif(), qcif()->original);
    std::vector<int> run(99, 0);  // consecutive damaged frames per macroblock so far
    int longest = 0;
    for (int f = 0; f < frames; f++) {
        std::vector<bool> which;
        differing_macroblocks(*qcif(), shown[f], frame_of(*qcif(), qcif()->encoded, f), &which);
        for (int m = 0; m < 99; m++) {
            run[m] = which[m] ? run[m] + 1 : 0;
            longest = std::max(longest, run[m]);
        }
    }
    EXPECT_GE(longest, 2) << "damage never lingers";
    EXPECT_LE(longest, 12) << "damage never heals";
}

// Bad command lines.

TEST(GeneratorCommandLine, RefusesBadValuesWithAMessageAndStatusOne)
{
    TempDir tmp;
    const std::vector<std::vector<std::string>> bad = {
        {"-size", "177x144"}, {"-size", "8x8"}, {"-size", "352"},  {"-size", "x288"},
        {"-size", "352x288junk"}, {"-n", "0"}, {"-n", "-3"}, {"-n", "12abc"},
        {"-n", "99999999999999999999"}, {"-seed", "x"}, {"-n"}, {"-bogus"},
    };
    for (const std::vector<std::string> &args : bad) {
        std::vector<std::string> full = args;
        full.insert(full.begin(), {"-o", tmp.file("out")});
        ProgramResult run = run_makeseq(tmp, full);
        EXPECT_EQ(run.status, 1) << args[0];
        EXPECT_NE(run.err.find("trivista-makeseq: "), std::string::npos) << args[0];
    }
}

TEST(GeneratorCommandLine, RefusesAnOutputPathThatIsAFile)
{
    TempDir tmp;
    write_text_file(tmp.file("plain"), "x");
    ProgramResult run = run_makeseq(tmp, {"-n", "2", "-o", tmp.file("plain")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("is not a directory"), std::string::npos) << run.err;
}

TEST(GeneratorCommandLine, SaysWhatItWrote)
{
    TempDir tmp;
    ProgramResult run = run_makeseq(tmp, {"-n", "50", "-o", tmp.file("out")});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("50 frames of 176x144"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("2 dropped"), std::string::npos) << run.out;
}

}  // namespace
