// The conversion the viewer shows a 720p picture with, chosen by option, by what the file says
// or by size, against ffmpeg's conversion of the same picture with that matrix and range.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>

#include "program_run.h"

namespace {

const int W = 1280, H = 720, tile = 16, margin = 4;

// Detailed luma over 16 x 16 tiles of one chroma pair each. Inside a tile's margin every
// chroma filter sees that one pair, so ffmpeg's upsampling and ours agree there.
std::string tiled_frame()
{
    std::string yuv(W * H * 3 / 2, '\0');
    std::mt19937 random(5);
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++)
            yuv[y * W + x] = (char)(x * 7 + y * 13 + x / tile * 31);
    for (int ty = 0; ty < H / tile; ty++)
        for (int tx = 0; tx < W / tile; tx++) {
            char u = (char)random(), v = (char)random();
            for (int i = 0; i < tile * tile / 4; i++) {
                int at = (ty * tile / 2 + i / (tile / 2)) * W / 2 + tx * tile / 2 + i % (tile / 2);
                yuv[W * H + at] = u, yuv[W * H * 5 / 4 + at] = v;
            }
        }
    return yuv;
}

struct Case {
    const char *name, *file;  // file: raw.yuv, full.y4m (XCOLORRANGE=FULL), stream.mkv (BT.2020 limited)
    Strings options;
    const char *matrix, *range;  // ffmpeg's names of what the pane must show
    int tolerance;
};

TEST(Colours, PanesMatchFfmpegsConversionWithTheMatrixAndRangeChosen)
{
    TempDir dir;
    const std::string raw = dir.file("raw.yuv"), frame = tiled_frame();
    write_text_file(raw, frame);
    write_text_file(dir.file("full.y4m"), "YUV4MPEG2 W1280 H720 F25:1 Ip C420jpeg XCOLORRANGE=FULL\nFRAME\n" + frame);
    const Strings input = {"-hide_banner", "-loglevel", "error", "-y", "-f", "rawvideo", "-s", "1280x720", "-i", raw};
    Strings lossless = input;
    lossless.insert(lossless.end(), {"-c:v", "libx264", "-qp", "0", "-colorspace", "bt2020nc", "-color_range", "tv", dir.file("stream.mkv")});
    ASSERT_EQ(run("/usr/bin/ffmpeg", lossless, dir).status, 0);
    // Every level is one off the formula at most (the tables keep eighths of a level); the
    // default tables truncate each chroma offset, as they always have: two off at most.
    const Case cases[] = {
        {"by size", "raw.yuv", {}, "709", "limited", 1},
        {"options", "raw.yuv", {"-colorspace", "bt2020", "-color_range", "pc"}, "2020_ncl", "full", 1},
        {"long range name, range by size", "raw.yuv", {"-colorspace", "bt601", "-color_range", "limited"}, "170m", "limited", 1},
        {"the default tables", "raw.yuv", {"-colorspace", "bt601", "-color_range", "full"}, "170m", "full", 2},
        {"range tag, matrix by size", "full.y4m", {}, "709", "full", 1},
        {"the stream", "stream.mkv", {}, "2020_ncl", "limited", 1},
        {"an option over the stream", "stream.mkv", {"-color_range", "pc", "-colorspace", "bt709"}, "709", "full", 1}};
    XvfbServer server(24, -1, 1600, 1000);
    XConnection x(server.name());
    for (const Case &c : cases) {
        Strings convert = input;
        convert.insert(convert.end(), {"-vf", std::string("zscale=filter=point:dither=none:matrixin=") + c.matrix + ":rangein=" + c.range +
                                              ":matrix=gbr:range=full:transferin=709:transfer=709:primariesin=709:primaries=709,format=gbrp",
                                       "-f", "rawvideo", "-pix_fmt", "rgb24", dir.file("expected.rgb")});
        ASSERT_EQ(run("/usr/bin/ffmpeg", convert, dir).status, 0) << c.name;
        const std::string expected = read_text_file(dir.file("expected.rgb"));
        Strings args = c.options;
        args.insert(args.end(), {"-l", "-quiet", "-nodiff", "-zoom", "1", "-size", "1280x720", "-f1", dir.file(c.file)});
        ChildProcess viewer(trivista_path(), args, server.name(), dir.path(), "viewer");
        WindowGeometry w = wait_for_window(x.get(), "kestrin Trivista", 15);
        ASSERT_NE(w.id, 0u) << c.name << ": " << viewer.stderr_text();
        Capture pane;  // once the picture has replaced the window's background in both corners
        ASSERT_TRUE(wait_until([&] {
            pane = masked(capture_region(x.get(), w.id, 0, 0, W, H + 1), 0xFFFFFF);
            return !pane.empty() && pane.at(0, 0) != pane.at(0, H) && pane.at(W - 1, H - 1) != pane.at(0, H);
        }, 15)) << c.name;
        int worst = 0, exact = 0, compared = 0;
        for (int y = 0; y < H; y++)
            for (int x0 = 0; x0 < W; x0++) {
                if (std::min(y % tile, tile - 1 - y % tile) < margin || std::min(x0 % tile, tile - 1 - x0 % tile) < margin)
                    continue;
                for (int channel = 0; channel < 3; channel++, compared++) {
                    int got = pane.at(x0, y) >> (16 - 8 * channel) & 0xFF, want = (uint8_t)expected[(y * W + x0) * 3 + channel];
                    worst = std::max(worst, std::abs(got - want)), exact += got == want;
                }
            }
        EXPECT_LE(worst, c.tolerance) << c.name;
        EXPECT_GE(exact, (c.tolerance == 1 ? 0.9 : 0.6) * compared) << c.name;
    }
}

// The report and trivista-align take the options and measure as without them; an unknown value
// ends any of the three programs with one line and status 1.
TEST(Colours, EveryProgramRefusesAnUnknownMatrixOrRangeAndTheToolsIgnoreAKnownOne)
{
    TempDir dir;
    const std::string a = write_test_sequence(dir.path(), "a.yuv", 176, 144, 1, 6), b = write_test_sequence(dir.path(), "b.yuv", 176, 144, 2, 6);
    const std::string report = TRIVISTA_BIN_DIR "/src/report/trivista-report", align = TRIVISTA_BIN_DIR "/src/align/trivista-align";
    const struct { std::string program; Strings files; } programs[] = {
        {trivista_path(), {"-f1", a, "-f2", b}}, {report, {"-f1", a, "-f2", b}}, {align, {a, b}}};
    for (const auto &p : programs) {
        for (const auto &[option, value, message] : {std::tuple{"-colorspace", "bt470", "-colorspace bt470: the matrix must be bt601, bt709 or bt2020\n"},
                                                     {"-color_range", "mpeg", "-color_range mpeg: the range must be tv, pc, limited or full\n"}}) {
            Result refused = run(p.program, {option, value}, dir, p.files);
            EXPECT_EQ(std::to_string(refused.status) + refused.err, "1" + std::string(message)) << p.program;
        }
        if (p.program == trivista_path())
            continue;
        Result plain = run(p.program, p.files, dir), given = run(p.program, {"-colorspace", "bt2020", "-color_range", "full"}, dir, p.files);
        EXPECT_TRUE(plain.status == 0 && given.status == 0 && given.out + given.err == plain.out + plain.err && (plain.out + plain.err).size() > 20) << p.program << given.err;
    }
}

}  // namespace
