// trivista-align as a program. Received files are built by removing, repeating or adding
// frames, and the demo generator records what its channel lost, so every expected list is
// known independently of the program.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "align/alignment.h"
#include "program_run.h"

namespace {

const std::string align = TRIVISTA_BIN_DIR "/src/align/trivista-align";
const std::string makeseq = TRIVISTA_BIN_DIR "/tools/trivista-makeseq";
const size_t qcif = 176 * 144 * 3 / 2;

std::string lines(const std::vector<int> &frames)
{
    return std::accumulate(frames.begin(), frames.end(), std::string(), [](std::string t, int f) { return t + std::to_string(f) + "\n"; });
}

// `source` without the frames in `removed`; `repeat_at` shows its previous frame instead,
// `insert_at` gets a gray frame in front of it.
std::string edited(const std::string &source, const std::vector<int> &removed, int repeat_at = -1, int insert_at = -1)
{
    std::string in = read_text_file(source), out;
    for (int f = 0; f < (int)(in.size() / qcif); f++) {
        out += f == insert_at ? std::string(qcif, '\x80') : "";
        if (std::find(removed.begin(), removed.end(), f) == removed.end())
            out += in.substr((f == repeat_at ? f - 1 : f) * qcif, qcif);
    }
    return out;
}

TEST(Align, FindsExactlyWhatTheDemoChannelLostAgainstEncodedAndOriginal)
{
    const Strings sizes[] = {{"-size", "128x96", "-n", "150", "-seed", "1"}, {"-CIF", "-n", "60", "-seed", "6"}, {"-n", "200", "-seed", "11"}};
    for (const Strings &size : sizes) {
        TempDir dir;
        ASSERT_EQ(run(makeseq, size, dir, {"-quiet", "-o", dir.path()}).status, 0);
        std::string truth = read_text_file(dir.file("transmitted.freeze"));
        ASSERT_FALSE(truth.empty());
        for (const char *reference : {"encoded.yuv", "original.yuv"}) {
            Result r = run(align, Strings(size.begin(), size.end() - 4), dir, {dir.file(reference), dir.file("transmitted.yuv")});
            EXPECT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(r.out, truth) << reference << " " << size.back();
        }
    }
}

struct Case { const char *what, *reference, *source; std::vector<int> removed; int repeat_at, insert_at, status; };

// The received files come from the demo Encoded and from a real encode: libx264 through
// ffmpeg, packets damaged by its noise filter, decoded with error concealment.
TEST(Align, ListsTheFramesRemovedFromTheReceivedFileAndNothingElse)
{
    std::vector<int> burst(30), mixed = {0, 1, 40, 97};
    std::iota(burst.begin(), burst.end(), 30);
    std::transform(burst.begin(), burst.end(), std::back_inserter(mixed), [](int f) { return f + 30; });
    std::sort(mixed.begin(), mixed.end());
    const Case cases[] = {{"lossless copy", "encoded.yuv", "encoded.yuv", {}, -1, -1, 0},
                          {"lone drops", "encoded.yuv", "encoded.yuv", {10, 47, 90}, -1, -1, 0},
                          {"burst of 30", "encoded.yuv", "encoded.yuv", burst, -1, -1, 0},
                          {"drops at the very start", "encoded.yuv", "encoded.yuv", {0, 1, 2}, -1, -1, 0},
                          {"the Original as reference", "original.yuv", "encoded.yuv", {5, 6, 70, 119}, -1, -1, 0},
                          {"decoder repeat in place of a lost frame", "encoded.yuv", "encoded.yuv", {}, 40, -1, 0},
                          {"inserted frame", "encoded.yuv", "encoded.yuv", {}, -1, 20, 2},
                          {"real encode, damaged", "decoded.yuv", "damaged.yuv", mixed, -1, -1, 0},
                          {"real encode, damaged, the Original as reference", "original.yuv", "damaged.yuv", mixed, -1, -1, 0}};
    TempDir dir;
    ASSERT_EQ(run(makeseq, {"-n", "120", "-seed", "3", "-quiet", "-o", dir.path()}, dir).status, 0);
    const Strings steps[] = {
        {"-s", "176x144", "-f", "rawvideo", "-i", "original.yuv", "-c:v", "libx264", "-preset", "veryfast", "-bf", "0", "-g", "25", "-crf", "28", "clean.h264"},
        {"-i", "clean.h264", "-c", "copy", "-bsf:v", "noise=amount=not(key)*20000", "noisy.h264"},
        {"-i", "clean.h264", "-f", "rawvideo", "decoded.yuv"},
        {"-err_detect", "ignore_err", "-ec", "guess_mvs+deblock", "-i", "noisy.h264", "-fps_mode", "passthrough", "-f", "rawvideo", "damaged.yuv"}};
    for (Strings step : steps) {
        for (std::string &arg : step)
            arg = std::regex_search(arg, std::regex("\\.(yuv|h264)$")) ? dir.file(arg) : arg;
        ASSERT_EQ(run("/usr/bin/ffmpeg", {"-hide_banner", "-loglevel", "quiet", "-y"}, dir, step).status, 0) << step.back();
    }
    ASSERT_EQ(read_text_file(dir.file("damaged.yuv")).size(), 120 * qcif);
    for (const Case &c : cases) {
        write_text_file(dir.file("received.yuv"), edited(dir.file(c.source), c.removed, c.repeat_at, c.insert_at));
        Result r = run(align, {dir.file(c.reference), dir.file("received.yuv")}, dir);
        EXPECT_EQ(r.status, c.status) << c.what << "\n" << r.err;
        EXPECT_EQ(r.out, lines(c.removed)) << c.what;
        EXPECT_EQ(r.err.find("fits nowhere: received frame 20\n") != std::string::npos, c.insert_at == 20) << c.what;
    }
    // Reference frames 40 and 41 identical, 41 lost: the earliest place, counted as ambiguous.
    write_text_file(dir.file("static.yuv"), edited(dir.file("encoded.yuv"), {}, 41));
    write_text_file(dir.file("received.yuv"), edited(dir.file("static.yuv"), {41}));
    Result r = run(align, {dir.file("static.yuv"), dir.file("received.yuv")}, dir);
    EXPECT_EQ(r.out + r.err.substr(r.err.find("ambiguous")), "40\nambiguous drops: 1\n");
}

// The bound holds everywhere: drops beyond it go to the end, and the warning comes only when
// a larger bound would have found a better answer.
TEST(Align, MaxDropBoundsTheDropsBeforeTheEndAndWarnsOnlyWhenItChangedTheAnswer)
{
    TempDir dir;
    ASSERT_EQ(run(makeseq, {"-n", "60", "-seed", "3", "-quiet", "-o", dir.path()}, dir).status, 0);
    write_text_file(dir.file("received.yuv"), edited(dir.file("encoded.yuv"), {29, 56}));
    const struct { const char *max_drop; std::vector<int> drops; bool warns; } cases[] = {
        {"0", {58, 59}, true}, {"1", {29, 59}, true}, {"2", {29, 56}, false}, {"250", {29, 56}, false}};
    for (const auto &c : cases) {
        Result r = run(align, {"-max-drop", c.max_drop, dir.file("encoded.yuv"), dir.file("received.yuv")}, dir);
        EXPECT_EQ(r.out, lines(c.drops)) << c.max_drop;
        EXPECT_EQ(r.err.find("warning: the alignment reached -max-drop") != std::string::npos, c.warns) << c.max_drop << r.err;
    }
}

// Received frame i shows reference frame i, or i + 1 from the one lost frame on.
struct Lost { int frame; };
int64_t shown_cost(int received, int reference, void *context)
{
    int lost = static_cast<Lost *>(context)->frame;
    return reference == (received < lost ? received : received + 1) ? 0 : 100;
}

// One drop placed at `placed`, really at `lost`: refinement moves it at most `radius`
// received frames, and not before received frames when that would pass `max_drop`.
TEST(Alignment, RefinementMovesARunWithinItsRadiusAndTheDropBound)
{
    const int reference = 40;
    const struct { int placed, lost, radius, max_drop, expected; } cases[] = {
        {20, 16, 4, 5, 16}, {20, 15, 4, 5, 16}, {20, 24, 4, 5, 24}, {20, 25, 4, 5, 24},
        {39, 35, 8, 1, 35}, {39, 35, 8, 0, 39}, {0, 3, 4, 1, 3}};
    for (const auto &c : cases) {
        std::vector<int> reference_of(reference - 1);
        std::vector<unsigned char> dropped(reference);
        for (int i = 0; i < reference - 1; i++)
            reference_of[i] = i < c.placed ? i : i + 1;
        dropped[c.placed] = 1;
        Alignment alignment = {reference_of.data(), dropped.data(), 1, 0, 0};
        Lost lost = {c.lost};
        EXPECT_EQ(refine_drops(&alignment, reference - 1, reference, c.radius, c.max_drop, 0, shown_cost, shown_cost, &lost), 0);
        int last;
        EXPECT_EQ(next_drop_run(&alignment, reference, 0, &last), c.expected) << c.placed << " " << c.lost << " " << c.radius;
        EXPECT_EQ(last, c.expected);
    }
}

// -crop aligns on the region: the same list and summary as the files ffmpeg cuts it from, which the summary names.
TEST(Align, CropComparesTheRegionAsTheCutFilesDo)
{
    TempDir dir;
    std::string a = write_test_sequence(dir.path(), "a", 176, 144, 1, 20);
    write_text_file(dir.file("b"), edited(a, {4, 5, 13}, 9));
    for (std::string name : {"a", "b"})
        ASSERT_EQ(run("/usr/bin/ffmpeg", {"-loglevel", "error", "-f", "rawvideo", "-pix_fmt", "yuv420p", "-s", "176x144", "-i",
                                         dir.file(name), "-vf", "crop=96:64:80:80", "-f", "rawvideo", dir.file(name + ".cut")}, dir).status, 0);
    Result ours = run(align, {"-crop", "96x64-0-0", a, dir.file("b")}, dir),
           cut = run(align, {"-size", "96x64", dir.file("a.cut"), dir.file("b.cut")}, dir);
    EXPECT_EQ(ours.out + std::to_string(ours.status), lines({4, 5, 13}) + "0");
    EXPECT_EQ(ours.out, cut.out);
    EXPECT_EQ(ours.err, std::regex_replace(cut.err, std::regex("0-19"), "$&, compared in region 96x64+80+80"));
}

TEST(Align, RefusesBadInputWithAMessageAndStatus1)
{
    TempDir dir;
    write_text_file(dir.file("empty.yuv"), "");
    std::string a = write_test_sequence(dir.path(), "a.yuv", 176, 144, 1, 20);
    const std::pair<Strings, std::string> cases[] = {
        {{dir.file("missing.yuv"), a}, "Can't open .*missing.yuv"}, {{a}, "Usage: "},
        {{"-max-drop", "x", a, a}, "-max-drop takes"}, {{"-max-drop", "1a", a, a}, "-max-drop takes"}, {{"-size", "13x7", a, a}, "-size 13x7: width"},
        {{"-s", "15", "-e", "10", a, a}, "Start frame .* after"}, {{a, dir.file("empty.yuv")}, "holds no whole frame"},
        {{"-fast", a, a}, "Unknown option -fast"}, {{"-e", "12abc", a, a}, "^-e 12abc: not a frame number"}};
    for (const auto &c : cases) {
        Result r = run(align, c.first, dir);
        EXPECT_EQ(r.status, 1) << c.second;
        EXPECT_TRUE(std::regex_search(r.err, std::regex(c.second))) << r.err;
        EXPECT_EQ(r.out, "");
    }
}

}  // namespace
