// trivista-report as a program. Small files whose frames differ by content pin which frame of
// each file every row compares; the figures come from the textbook formulas, and ffmpeg's psnr
// and ssim filters are the peer on real pictures.
#include <cairo.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>

#include "program_run.h"
#include "report/plot_drawing.h"
#include "report/plot_title.h"
#include "report/report_plot.h"

#if defined(__SANITIZE_ADDRESS__)
// The title's names are measured in this process: fontconfig's configuration loses a block or
// two, as in trivista-report, which passes over that library the same way.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

extern "C" const char *__lsan_default_options()
{
    return "print_suppressions=0";
}
#endif

namespace {

const std::string report = TRIVISTA_BIN_DIR "/src/report/trivista-report";
const std::regex figure("[0-9]+(\\.[0-9]+)?|\\?");

// The same text but for figures, which agree to the last printed decimal ('?': any figure).
void expect_text(const std::string &got, const std::string &expected)
{
    ASSERT_EQ(std::regex_replace(got, figure, "#"), std::regex_replace(expected, figure, "#"));
    std::sregex_iterator a(got.begin(), got.end(), figure), b(expected.begin(), expected.end(), figure), end;
    for (; a != end; ++a, ++b)
        EXPECT_TRUE(b->str() == "?" || std::abs(std::stod(a->str()) - std::stod(b->str())) < 6e-5)
            << a->str() << " for " << b->str() << " in\n" << got;
}

// `format` with each '#' replaced by the next of `values` (NaN: any figure).
std::string fill(std::string format, const std::vector<double> &values)
{
    for (size_t i = 0, at; (at = format.find('#')) != std::string::npos; i++)
        format.replace(at, 1, std::isnan(values[i]) ? "?" : std::to_string(values[i]));
    return format;
}

const int W = 176, H = 144, offset[3] = {0, W * H, W * H * 5 / 4}, samples[3] = {W * H, W * H / 4, W * H / 4};
const std::vector<uint8_t> black = [] { std::vector<uint8_t> y(W * H); y.resize(W * H * 3 / 2, 128); return y; }();
const int first[3] = {0, 1, 0}, second[3] = {1, 2, 2};  // the sequences of each pair
const std::string key[3] = {"org_enc", "enc_tra", "org_tra"}, caption[3] = {"Org<->Enc", "Enc<->Tra", "Org<->Tra"};

// Sequence files (content and frame count), options (a freeze list's text follows -fr2 / -fr3)
// and per row: the frame, the frozen flags and the frame of each file compared (-1: black).
struct Case { std::vector<std::pair<int, int>> files; Strings options; std::vector<std::vector<int>> rows; };

// Runs a case as CSV, as JSON, with -min-psnr either side of its lowest luma PSNR and on two threads.
void check(const Case &c)
{
    TempDir dir;
    int n = (int)c.files.size(), pairs = n == 3 ? 3 : 1, ssim = !std::count(c.options.begin(), c.options.end(), "-no-ssim");
    Strings args = c.options;
    for (size_t i = 0; i + 1 < args.size(); i++)
        if (args[i].rfind("-fr", 0) == 0) {
            write_text_file(dir.file(args[i]), args[i + 1]);
            args[i + 1] = dir.file(args[i]);
        }
    for (int s = 0; s < n; s++)
        args.insert(args.end(), {"-f" + std::to_string(s + 1),
                                 write_test_sequence(dir.path(), std::to_string(s), W, H, c.files[s].first, c.files[s].second)});
    std::string csv = n == 3 ? "frame,frozen_enc,frozen_tra" : "frame,frozen_enc", json, summary, json_summary;
    for (int p = 0; p < pairs; p++)
        csv += "," + key[p] + "_psnr_y," + key[p] + "_psnr_u," + key[p] + "_psnr_v" + (ssim ? "," + key[p] + "_ssim" : "");
    double sse[3][3] = {}, total[3][3] = {};
    std::vector<double> luma[3], lowest;  // luma PSNR per pair and row; the lowest of each row
    for (const std::vector<int> &row : c.rows) {
        std::vector<uint8_t> picture[3];
        for (int s = 0; s < n; s++)
            picture[s] = row[n + s] < 0 ? black : make_test_frame(W, H, c.files[s].first, row[n + s]);
        std::vector<double> values(row.begin(), row.begin() + n);
        json += fill("{\"frame\":#,\"frozen_enc\":", values) + (row[1] ? "true" : "false") +
                (n == 3 ? std::string(",\"frozen_tra\":") + (row[2] ? "true" : "false") : "");
        for (int p = 0; p < pairs; p++) {
            for (int q = 0; q < 3; q++) {
                double sum = 0;
                for (int i = offset[q]; i < offset[q] + samples[q]; i++)
                    sum += std::pow(picture[first[p]][i] - picture[second[p]][i], 2);
                values.push_back(sum == 0 ? 100 : 10 * std::log10(65025.0 * samples[q] / sum));
                sse[p][q] += sum;
                total[p][q] += values.back();
            }
            luma[p].push_back(values.end()[-3]);
            values.push_back(picture[first[p]] == picture[second[p]] ? 1 : NAN);  // SSIM
            json += fill(",\"" + key[p] + "\":{\"psnr_y\":#,\"psnr_u\":#,\"psnr_v\":#" + (ssim ? ",\"ssim\":#}" : "}"),
                         {values.end() - 4, values.end()});
            values.resize(values.size() - 1 + ssim);
        }
        lowest.push_back(std::min({luma[0].back(), luma[pairs / 2].back(), luma[pairs - 1].back()}));
        json += "}\n";
        for (size_t i = 0; i < values.size(); i++)
            csv += fill(i ? ",#" : "\n#", {values[i]});
    }
    // The summary: the mean of the frames' PSNRs and the PSNR of the total squared error.
    double frames = (double)c.rows.size(), low = frames ? *std::min_element(lowest.begin(), lowest.end()) : 99;
    for (int p = 0; p < pairs && frames > 0; p++) {
        long min_at = std::min_element(luma[p].begin(), luma[p].end()) - luma[p].begin();
        auto global = [&](int q) { return sse[p][q] ? 10 * std::log10(65025.0 * frames * samples[q] / sse[p][q]) : 100; };
        std::vector<double> figures = {frames, total[p][0] / frames, global(0), luma[p][min_at], (double)c.rows[min_at][0],
            *std::max_element(luma[p].begin(), luma[p].end()), total[p][1] / frames, global(1), total[p][2] / frames, global(2), NAN};
        summary += fill(caption[p] + ": # frames, PSNR Y mean # dB, global # dB, min # dB at frame #, max # dB; U mean # dB, "
                        "global # dB; V mean # dB, global # dB" + (ssim ? "; SSIM mean #\n" : "\n"), figures);
        json_summary += fill(",\"" + key[p] + "\":{\"mean_psnr_y\":#,\"global_psnr_y\":#,\"min_psnr_y\":#,\"min_psnr_y_frame\":#,"
                             "\"max_psnr_y\":#,\"mean_psnr_u\":#,\"global_psnr_u\":#,\"mean_psnr_v\":#,\"global_psnr_v\":#" +
                             (ssim ? ",\"mean_ssim\":#}" : "}"), {figures.begin() + 1, figures.end()});
    }
    std::string above = std::to_string(low + 0.001), below = std::to_string(low - 0.001);
    double count = (double)std::count_if(lowest.begin(), lowest.end(), [&](double v) { return v < std::stod(above); });
    auto with = [&](const Strings &more) { return run(report, args, dir, more); };
    Result plain = with({}), limited = with({"-min-psnr", above}), as_json = with({"-json", "-min-psnr", below}),
           two = with({"-threads", "2"}), one = with({"-threads", "1"});
    EXPECT_EQ(plain.status, 0);
    expect_text(plain.out, csv + "\n");
    expect_text(plain.err, frames ? summary : "Org<->Enc: no frames measured\n");
    // -min-psnr: the whole report first, then exit status 2 when some pair fell below.
    EXPECT_EQ(limited.out + std::to_string(limited.status), plain.out + (count ? "2" : "0"));
    expect_text(limited.err, plain.err + (count ? fill("# frames below the minimum PSNR of # dB\n", {count, std::stod(above)}) : ""));
    EXPECT_EQ(as_json.status, 0);
    expect_text(as_json.out + as_json.err, json + fill("{\"summary\":{\"frames\":#", {frames}) + json_summary +
                                               fill(",\"min_psnr\":#,\"frames_below_min_psnr\":0}}\n", {std::stod(below)}));
    EXPECT_EQ(two.out + two.err + std::to_string(two.status), plain.out + plain.err + "0");
    EXPECT_EQ(one.out + one.err + std::to_string(one.status), plain.out + plain.err + "0");
}

TEST(Report, ComparesTheFramesTheViewerShowsWithItsFreezingAndRange)
{
    check({{{1, 5}, {1, 5}}, {"-fr2", "3\n4\n"},  // identical frames measure 100
           {{0, 0, 0, 0}, {1, 0, 1, 1}, {2, 0, 2, 2}, {3, 1, 3, 2}, {4, 1, 4, 2}}});
    check({{{1, 6}, {2, 3}}, {"-no-ssim"},  // a shorter second file holds its last picture
           {{0, 0, 0, 0}, {1, 0, 1, 1}, {2, 0, 2, 2}, {3, 0, 3, 2}, {4, 0, 4, 2}, {5, 0, 5, 2}}});
    // From -s each file goes on where play from 0 has it: marks before it count, a mark on it holds the picture before.
    check({{{1, 10}, {2, 10}, {3, 10}}, {"-fr2", "1\n4\n", "-fr3", "2\n5\n6\n", "-s", "2", "-e", "7"},
           {{2, 0, 1, 2, 1, 1}, {3, 0, 0, 3, 2, 2}, {4, 1, 0, 4, 2, 3}, {5, 0, 1, 5, 3, 3}, {6, 0, 1, 6, 4, 3},
            {7, 0, 0, 7, 5, 4}}});
    check({{{1, 3}, {2, 3}, {3, 3}}, {"-fr3", "0\n", "-no-ssim"},
           {{0, 0, 1, 0, 0, -1}, {1, 0, 0, 1, 1, 0}, {2, 0, 0, 2, 2, 1}}});
    check({{{1, 5}, {2, 5}}, {"-s", "3", "-e", "1"}, {}});  // an empty range
}

// -s at, between and after listed frames measures what play from frame 0 measures there.
TEST(Report, StartingAnywhereGivesTheRowsOfPlayFromTheFirstFrame)
{
    TempDir dir;
    write_text_file(dir.file("fr2"), "0\n3\n4\n9\n"), write_text_file(dir.file("fr3"), "2\n5\n6\n7\n30\n");
    Strings args = {"-no-ssim", "-fr2", dir.file("fr2"), "-fr3", dir.file("fr3")};
    for (int n = 1; n <= 3; n++)
        args.insert(args.end(), {"-f" + std::to_string(n), write_test_sequence(dir.path(), std::to_string(n), W, H, n, n == 2 ? 6 : 10)});
    Strings whole = split(run(report, args, dir).out);
    ASSERT_EQ(whole.size(), 11u);  // the header and frames 0 to 9
    for (int s = 1; s <= 9; s++) {
        Strings rows = split(run(report, args, dir, {"-s", std::to_string(s)}).out);
        EXPECT_EQ(Strings(rows.begin() + 1, rows.end()), Strings(whole.begin() + 1 + s, whole.end())) << "-s " << s;
    }
}

TEST(Report, RefusesWithTheViewersMessagesAndStatuses)
{
    TempDir dir;
    std::string a = write_test_sequence(dir.path(), "a", W, H, 1, 2), b = write_test_sequence(dir.path(), "b", W, H, 2, 2);
    const std::string limit = "the limit must be a number of dB\n", threads = "-threads takes 1 or 2\n";
    struct { bool alone; Strings args; int status; std::string out, err; } refusals[] = {  // alone or after -f1 a -f2 b
        {1, {"-f1", a}, 1, "", "give at least two sequences (-f1 and -f2) to compare\n"}, {1, {"-json"}, 255, "\nUsage:\n\t" + report + " [opt.switches] -f1 yuv -f2 yuv [-f3 yuv]\n", ""},
        {1, {"-f2", b, "-f1", a}, 1, "Usage:", ""}, {1, {"-f1", a, "-f2", a + "x"}, 3, "", "Can't open yuvfile2 for input!\n"},
        {0, {"-min-psnr"}, 1, "", "-min-psnr needs a value in dB\n"}, {0, {"-min-psnr", "30dB"}, 1, "", limit},
        {0, {"-min-psnr", "nan"}, 1, "", limit}, {0, {"-min-psnr", ""}, 1, "", limit}, {0, {"-threads", "3"}, 1, "", threads},
        {0, {"-s", "1:30x"}, 1, "", "-s 1:30x: not a frame number, nor a time"},
        {0, {"-crop", "64x48+16"}, 1, "", "-crop 64x48+16: not a region WxH+X+Y"},
        {0, {"-crop", "14x48"}, 1, "", "-crop 14x48: the width and height must be even, at least 16x16\n"},
        {0, {"-crop", "64x48+1+0"}, 1, "", "-crop 64x48+1+0: the offsets must be even: the chroma is subsampled\n"},
        {0, {"-crop", "64x48-0-98"}, 1, "", "-crop 64x48-0-98: the region lies outside the 176x144 picture\n"}};
    for (const auto &refusal : refusals) {
        Result got = run(report, refusal.alone ? Strings{} : Strings{"-f1", a, "-f2", b}, dir, refusal.args);
        EXPECT_TRUE(got.status == refusal.status && got.out.find(refusal.out) != std::string::npos &&
                    got.err.find(refusal.err) != std::string::npos && (refusal.out.empty() ? got.out : got.err).empty())
            << refusal.args[0] << ": " << got.status << " " << got.out << got.err;
    }
}

// Names that disagree with the run end it naming both files; leftover bytes, unread format words and the first frame
// with samples above the peak of a sequence give one line each and the report goes on (the other formats' rows are pinned in the viewer's start-up table).
TEST(Report, NamesMustAgreeAndLeftoverBytesAndUnreadFormatsAreNamed)
{
    TempDir dir;
    std::string o = write_test_sequence(dir.path(), "o_1920x1080_yuv420p10le.yuv", 48, 32, 1, 1);
    std::string e = write_test_sequence(dir.path(), "e_1280x720.yuv", W, H, 2, 2);
    std::string q = write_test_sequence(dir.path(), "q_yuv420p10be.yuv", W, H, 1, 2, 5);
    std::string c = write_test_sequence(dir.path(), "c", W, H, 2, 3, 7);
    std::string p = write_test_sequence(dir.path(), "p_cif.yuv", W, H, 2, 2), tiny = write_test_sequence(dir.path(), "t_1x2.yuv", W, H, 2, 2);
    std::string a10 = write_test_sequence(dir.path(), "a_10bit", W, H, 3, 2), b10 = write_test_sequence(dir.path(), "b_10bit", W, H, 2, 2);
    struct { Strings args; int status; std::string err; } rows[] = {
        {{"-f1", o, "-f2", e}, 1, o + ": size 1920x1080 and format yuv420p10le taken from the file "
                                  "name\n" + e + ": size 1280x720 from the file name does not match 1920x1080 of " + o + "\n"},
        {{"-f1", e, "-f2", c}, 1, e + ": size 1280x720 taken from the file name\n" + e + " holds no whole frame of 1382400 "
                                  "bytes (1280x720 YUV 4:2:0)\n"},
        {{"-f1", c, "-f2", p}, 1, p + ": size 352x288 from the file name does not match 176x144 of " + c + "\n"},
        {{"-f1", c, "-f2", tiny}, 1, tiny + ": size 1x2 from the file name does not match 176x144 of " + c + "\n"},  // however small
        {{"-f1", q, "-f2", c}, 0, q + ": yuv420p10be in the file name is not a sample format that can be read; it is "
                                  "ignored\n" + q + ": no picture size given: 176x144 assumed, which leaves 5 bytes after "
                                  "the last whole frame\n" + c + ": 7 bytes after the last whole frame are not read\n"},
        {{"-f1", c, "-f2", c, "-size", "176x144"}, 0, c + ": 7 bytes after the last whole frame are not read\n" + c + ": 7 "
                                                      "bytes after the last whole frame are not read\n"},
        {{"-f1", a10, "-f2", b10}, 0, a10 + ": format yuv420p10le taken from the file name\n" + a10 + ": frame 0 holds samples "
                                   "above 1023: is the format right?\n" + b10 + ": frame 0 holds samples above 1023: is the format right?\n"},
    };
    for (const auto &row : rows) {
        Result got = run(report, row.args, dir);
        std::string before_summary = got.err.substr(0, got.err.find("Org<->Enc"));
        EXPECT_EQ(std::to_string(got.status) + before_summary, std::to_string(row.status) + row.err) << row.args[1];
    }
}

// A stream that fills up loses what was asked for (rows, summary, the demo's note or help): status 1,
// with a message on standard error unless that is the stream lost.
TEST(Report, LostOutputFailsTheRunOfTheReportAndOfTheDemoGenerator)
{
    TempDir dir;
    std::string a = write_test_sequence(dir.path(), "a", W, H, 1, 2), b = write_test_sequence(dir.path(), "b", W, H, 2, 2);
    const std::string makeseq = TRIVISTA_BIN_DIR "/tools/trivista-makeseq", lost = "could not write ";
    const struct { std::string program; Strings args; std::string full; int status; std::string err; } rows[] = {
        {report, {"-f1", a, "-f2", b}, "err", 1, ""}, {report, {"-json", "-f1", a, "-f2", b}, "err", 0, ""},  // on stdout
        {report, {"-json", "-f1", a, "-f2", b}, "out", 1, report + ": " + lost + "the report to standard output\n"},
        {makeseq, {"-n", "2", "-o", dir.file("trio")}, "out", 1, "trivista-makeseq: " + lost + "to standard output\n"},
        {makeseq, {"-h"}, "out", 1, "trivista-makeseq: " + lost + "to standard output\n"}};
    for (const auto &row : rows) {  // the stream `full` goes to /dev/full: ChildProcess opens <label>.out and .err
        std::string label = std::to_string(&row - rows);
        ASSERT_EQ(symlink("/dev/full", dir.file(label + "." + row.full).c_str()), 0);
        ChildProcess child(row.program, row.args, "", dir.path(), label);
        ASSERT_TRUE(child.wait(60) && child.exited_normally()) << label;
        EXPECT_EQ(child.exit_status(), row.status) << label;
        EXPECT_EQ(row.full == "out" ? child.stderr_text() : "", row.err) << label;  // /dev/full reads without end
    }
}

// A pipe reads as the file it carries, raw or YUV4MPEG2, from -s on; a directory or a file that fails to
// read is refused by name in every program; the range reaches the last frame of a long file.
TEST(Report, PipesReadAsTheirFilesUnreadableFilesAreRefusedAndRangesReachTheEnd)
{
    TempDir dir;
    std::string a = write_test_sequence(dir.path(), "a", W, H, 1, 3), raw = read_text_file(a), y4m = "YUV4MPEG2 W176 H144\n";
    for (int i = 0; i < 3; i++)
        y4m += (i < 2 ? "FRAME\n" : "FRAME Ip\n") + raw.substr(i * W * H * 3 / 2, W * H * 3 / 2);
    write_text_file(dir.file("good.y4m"), y4m.substr(0, y4m.size() - W * H * 3 / 2 - 9)), write_text_file(dir.file("bad.y4m"), y4m);
    for (std::string file : {a, dir.file("good.y4m"), dir.file("bad.y4m")})
        for (std::string start : {"0", "1"}) {
            Result piped = run("/bin/sh", {"-c", "cat \"$0\" | \"$@\" -f2 /dev/stdin", file, report, "-f1", a, "-s", start}, dir),
                   plain = run(report, {"-f1", a, "-s", start, "-f2", file}, dir);
            EXPECT_EQ(piped.status, plain.status) << file << piped.err;
            EXPECT_EQ(piped.err, std::regex_replace(plain.err, std::regex(file), "/dev/stdin"));
            EXPECT_TRUE(plain.status != 0 || piped.out == plain.out) << file << " -s " << start;
        }
    for (std::string program : {report, trivista_path()})
        for (auto bad : {std::make_pair(dir.path(), "Is a directory"), std::make_pair(std::string("/proc/self/mem"), "Input/output error")})
            for (Strings files : {Strings{"-f2", bad.first}, Strings{"-f2", a, "-f3", bad.first}}) {
                Result got = run(program, {"-f1", a}, dir, files);
                EXPECT_EQ(std::to_string(got.status) + got.out + got.err, "1" + bad.first + ": can not be read: " + bad.second + "\n");
            }
    int fd = open(dir.file("long").c_str(), O_CREAT | O_WRONLY, 0600);  // 1,000,010 frames of 16x16
    ASSERT_EQ(ftruncate(fd, 1000010LL * 384) + close(fd), 0);
    write_text_file(dir.file("list"), "1000006\n");
    for (auto range : {std::make_pair("999998", 12), std::make_pair("1000005", 5)}) {
        Result got = run(report, {"-size", "16x16", "-f1", dir.file("long"), "-f2", dir.file("long"), "-fr2", dir.file("list"), "-s", range.first}, dir);
        Strings lines = split(got.out);
        ASSERT_EQ(lines.size(), range.second + 1u) << got.err;  // the header, then the frames to the last
        EXPECT_TRUE(got.status == 0 && lines[1].rfind(range.first + std::string(",0,"), 0) == 0 &&
                    lines.back().rfind("1000009,0,", 0) == 0 && got.out.find("\n1000006,1,") != std::string::npos) << got.out;
    }
}

// Luma and chroma PSNR within 0.01 dB and luma SSIM within 0.001 of ffmpeg's filters on the demo
// generator's Original and Encoded. The Encoded as Y4M, on two threads: the same report.
TEST(Report, AgreesWithFfmpeg)
{
    for (std::string size : {"352x288", "176x144", "100x60"}) {
        TempDir dir;
        std::string a = dir.file("original.yuv"), b = dir.file("encoded.yuv");
        Strings raw = {"-loglevel", "error", "-f", "rawvideo", "-pix_fmt", "yuv420p", "-s", size, "-i", a,
                       "-f", "rawvideo", "-pix_fmt", "yuv420p", "-s", size, "-i", b};
        ASSERT_EQ(run(TRIVISTA_BIN_DIR "/tools/trivista-makeseq", {"-size", size, "-n", "4", "-quiet", "-o", dir.path()},
                      dir).status, 0);
        for (std::string filter : {"psnr", "ssim"})
            ASSERT_EQ(run("/usr/bin/ffmpeg", raw, dir,
                          {"-lavfi", "[0][1]" + filter + "=stats_file=" + dir.file(filter), "-f", "null", "-"}).status, 0);
        Result ours = run(report, {"-size", size, "-f1", a, "-f2", b}, dir);
        Strings lines = split(ours.out);
        ASSERT_TRUE(ours.status == 0 && lines.size() == 5) << ours.err;
        for (int column = 2; column <= 5; column++) {  // Y, U, V PSNR and SSIM
            std::string stats = read_text_file(dir.file(column < 5 ? "psnr" : "ssim"));
            std::regex peer(std::string(" ") + (column < 5 ? std::string("psnr_") + "yuv"[column - 2] : "Y") + ":([0-9.]+|inf)");
            std::sregex_iterator match(stats.begin(), stats.end(), peer), end;
            for (int f = 1; f <= 4; f++, ++match) {
                ASSERT_NE(match, end) << stats;
                double expected = match->str(1) == "inf" ? 100 : std::stod(match->str(1));
                EXPECT_NEAR(std::stod(split(lines[f], ',')[column]), expected, column < 5 ? 0.01 : 0.001) << size << " " << column;
            }
        }
        raw.erase(raw.begin() + 2, raw.begin() + 10);
        ASSERT_EQ(run("/usr/bin/ffmpeg", raw, dir, {"-f", "yuv4mpegpipe", dir.file("b.y4m")}).status, 0);
        Result y4m = run(report, {"-f1", a, "-f2", dir.file("b.y4m"), "-threads", "2"}, dir);
        EXPECT_EQ(y4m.out + y4m.err, ours.out + ours.err);
    }
}

// Each sample format on a real encode made here: Y, U, V PSNR, psnr_yuv (ffmpeg's psnr_avg) within 0.01 dB and SSIM
// within 0.001 of ffmpeg's filters; gray leaves U and V empty and its YUV PSNR is exactly its Y PSNR. Through a pipe,
// and the 10-bit 4:2:0 pair as YUV4MPEG2 (C420p10) without -pix_fmt: the same report.
TEST(Report, AgreesWithFfmpegOnEverySampleFormat)
{
    std::string encoders = run("/usr/bin/ffmpeg", {"-hide_banner", "-encoders"}, TempDir()).out;
    for (auto [format, encoder] : {std::pair("yuv420p10le", "libx265"), {"yuv422p10le", "libx264"}, {"yuv444p", "libx264"},
                                   {"yuv420p12le", "libx265"}, {"gray10le", "libx265"}}) {
        if (encoders.find(std::string(" ") + encoder + " ") == std::string::npos) {
            std::cout << "ffmpeg lacks " << encoder << ": " << format << " not compared\n";
            continue;
        }
        TempDir dir;
        std::string a = dir.file("a.yuv"), b = dir.file("b.yuv");
        Strings ff = {"-loglevel", "error", "-f", "rawvideo", "-pix_fmt", format, "-s", "176x144"};
        ASSERT_EQ(run("/usr/bin/ffmpeg", {"-loglevel", "error", "-f", "lavfi", "-i", "testsrc2=size=176x144", "-frames:v", "4",
                                         "-pix_fmt", format, "-f", "rawvideo", a}, dir).status, 0);
        ASSERT_EQ(run("/usr/bin/ffmpeg", ff, dir, {"-i", a, "-c:v", encoder, "-crf", "35", "-pix_fmt", format, dir.file("b.mkv")}).status, 0);
        ASSERT_EQ(run("/usr/bin/ffmpeg", {"-loglevel", "error", "-i", dir.file("b.mkv"), "-f", "rawvideo", "-pix_fmt", format, b}, dir).status, 0);
        Strings pair = ff;
        pair.insert(pair.end(), {"-i", a});
        pair.insert(pair.end(), ff.begin() + 2, ff.end());
        pair.insert(pair.end(), {"-i", b});
        for (std::string filter : {"psnr", "ssim"})
            ASSERT_EQ(run("/usr/bin/ffmpeg", pair, dir, {"-lavfi", "[0][1]" + filter + "=stats_file=" + dir.file(filter), "-f", "null", "-"}).status, 0);
        Result ours = run(report, {"-pix_fmt", format, "-f1", a, "-f2", b}, dir);
        Strings lines = split(ours.out);
        ASSERT_TRUE(ours.status == 0 && lines.size() == 5) << ours.err;
        EXPECT_EQ(lines[0], "frame,frozen_enc,org_enc_psnr_y,org_enc_psnr_u,org_enc_psnr_v,org_enc_psnr_yuv,org_enc_ssim");
        bool gray = format[0] == 'g';
        for (int column = 2; column <= 6; column++) {  // Y, U, V, YUV PSNR and SSIM
            std::string stats = read_text_file(dir.file(column < 6 ? "psnr" : "ssim"));
            std::string key = column < 6 ? std::vector<std::string>{"psnr_y", "psnr_u", "psnr_v", "psnr_avg"}[column - 2] : "Y";
            std::regex peer(" " + key + ":([0-9.]+|inf)");
            std::sregex_iterator match(stats.begin(), stats.end(), peer), end;
            for (int f = 1; f <= 4; f++) {
                std::string field = split(lines[f], ',')[column];
                if (gray && (column == 3 || column == 4)) {
                    EXPECT_TRUE(field.empty() && match == end) << field;
                    continue;
                }
                if (gray && column == 5) {  // no chroma samples: the YUV PSNR is the luma's
                    EXPECT_EQ(field, split(lines[f], ',')[2]);
                }
                ASSERT_NE(match, end) << stats;
                double expected = match->str(1) == "inf" ? 100 : std::stod(match->str(1));
                EXPECT_NEAR(std::stod(field), expected, column < 6 ? 0.01 : 0.001) << format << " " << key;
                ++match;
            }
        }
        Result piped = run("/bin/sh", {"-c", "cat \"$0\" | \"$@\"", b, report, "-pix_fmt", format, "-f1", a, "-f2", "/dev/stdin"}, dir);
        EXPECT_EQ(piped.out + piped.err, ours.out + ours.err);  // a pipe reads as its file
        if (std::string(format) != "yuv420p10le")
            continue;
        for (std::string file : {a, b})
            ASSERT_EQ(run("/usr/bin/ffmpeg", ff, dir, {"-i", file, "-strict", "-1", "-f", "yuv4mpegpipe", file + ".y4m"}).status, 0);
        ASSERT_NE(read_text_file(a + ".y4m").find(" C420p10 "), std::string::npos);
        Result y4m = run(report, {"-f1", a + ".y4m", "-f2", b + ".y4m"}, dir);
        EXPECT_EQ(y4m.out + y4m.err, ours.out + ours.err);
    }
}

// Interleaved chroma made by ffmpeg from planar files, named by -pix_fmt or by the file names, measures as the planar
// files do; p010le from yuv420p10le, as ffmpeg's 8-to-10-bit conversions differ between the two.
TEST(Report, InterleavedChromaMeasuresAsItsPlanarTwin)
{
    TempDir dir;
    for (auto [planar, interleaved] : {std::pair("yuv420p", "nv12"), {"yuv420p", "nv21"}, {"yuv420p10le", "p010le"}}) {
        Strings planar_files, interleaved_files;
        for (std::string source : {"testsrc2", "smptebars"}) {
            std::string from = dir.file(source + ".yuv"), to = dir.file(source + "_" + interleaved + ".yuv");
            ASSERT_EQ(run("/usr/bin/ffmpeg", {"-loglevel", "error", "-y", "-f", "lavfi", "-i", source + "=size=176x144", "-frames:v", "3",
                                             "-pix_fmt", planar, "-f", "rawvideo", from}, dir).status, 0);
            ASSERT_EQ(run("/usr/bin/ffmpeg", {"-loglevel", "error", "-y", "-f", "rawvideo", "-pix_fmt", planar, "-s", "176x144", "-i", from,
                                             "-pix_fmt", interleaved, "-f", "rawvideo", to}, dir).status, 0);
            planar_files.insert(planar_files.end(), {planar_files.empty() ? "-f1" : "-f2", from});
            interleaved_files.insert(interleaved_files.end(), {interleaved_files.empty() ? "-f1" : "-f2", to});
        }
        Result expected = run(report, {"-pix_fmt", planar}, dir, planar_files), given = run(report, {"-pix_fmt", interleaved}, dir, interleaved_files);
        // Without -pix_fmt an 8-bit 4:2:0 report has no YUV column.
        Result named = run(report, interleaved_files, dir), unnamed = std::string(planar) == "yuv420p" ? run(report, planar_files, dir) : expected;
        EXPECT_TRUE(expected.status == 0 && !expected.out.empty()) << expected.err;
        EXPECT_EQ(given.out + given.err, expected.out + expected.err) << interleaved;
        EXPECT_EQ(named.out, unnamed.out) << interleaved;
        EXPECT_EQ(named.err.substr(0, named.err.find("Org")), interleaved_files[1] + ": format " + interleaved + " taken from the file name\n");
    }
}

// -crop measures the region of every picture exactly as the files ffmpeg's crop filter cuts from them measure,
// in each layout (odd offsets where the chroma is whole), from either edge; the summaries name the region.
TEST(Report, CropMeasuresTheRegionFfmpegCutsAndTheSummaryNamesIt)
{
    const struct { const char *format, *crop, *cut, *region; } cases[] = {
        {"yuv420p", "64x48+16+32", "64:48:16:32", "64x48+16+32"}, {"yuv422p10le", "=64X48-16-0", "64:48:96:96", "64x48+96+96"},
        {"yuv444p", "100x60+3+7", "100:60:3:7", "100x60+3+7"}, {"gray", "32x16", "32:16:0:0", "32x16+0+0"}};
    for (const auto &c : cases) {
        TempDir dir;
        Strings ff = {"-loglevel", "error", "-f", "rawvideo", "-pix_fmt", c.format, "-s", "176x144", "-i"};
        ASSERT_EQ(run("/usr/bin/ffmpeg", {"-loglevel", "error", "-f", "lavfi", "-i", "testsrc2=size=176x144", "-frames:v", "3",
                                         "-pix_fmt", c.format, "-f", "rawvideo", dir.file("a")}, dir).status, 0);
        ASSERT_EQ(run("/usr/bin/ffmpeg", ff, dir, {dir.file("a"), "-vf", "boxblur=2:1", "-f", "rawvideo", dir.file("b")}).status, 0);
        for (std::string name : {"a", "b"})
            ASSERT_EQ(run("/usr/bin/ffmpeg", ff, dir, {dir.file(name), "-vf", std::string("crop=") + c.cut, "-f", "rawvideo",
                                                      dir.file(name + ".cut")}).status, 0);
        std::string size = std::regex_replace(c.region, std::regex("\\+.*"), "");
        for (Strings more : {Strings{}, Strings{"-json"}}) {
            Result ours = run(report, {"-pix_fmt", c.format, "-crop", c.crop, "-f1", dir.file("a"), "-f2", dir.file("b")}, dir, more),
                   cut = run(report, {"-pix_fmt", c.format, "-size", size, "-f1", dir.file("a.cut"), "-f2", dir.file("b.cut")}, dir, more);
            ASSERT_EQ(cut.status, 0) << cut.err;
            EXPECT_EQ(ours.status, 0);
            EXPECT_EQ(ours.out, std::regex_replace(cut.out, std::regex("\"frames\":3"), "$&,\"region\":\"" + std::string(c.region) + "\""));
            EXPECT_EQ(ours.err, std::regex_replace(cut.err, std::regex("3 frames"), "$& of region " + std::string(c.region)));
        }
    }
}

// 16x16 files of `frames` black frames; the second's luma is `level` at the frames `at` (all when empty).
Strings plot_pair(const TempDir &dir, int frames, int level, const std::vector<int> &at)
{
    for (std::string name : {"black", "grey"}) {
        int fd = open(dir.file(name).c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0600);
        EXPECT_EQ(ftruncate(fd, frames * 384LL), 0);  // sparse: zeros cost no disk
        std::string luma(256, (char)level);
        for (int f = 0; name == "grey" && f < frames; f++)
            EXPECT_EQ(at.empty() || std::count(at.begin(), at.end(), f) ? pwrite(fd, luma.data(), 256, f * 384LL) : 256, 256);
        close(fd);
    }
    return {"-size", "16x16", "-no-ssim", "-f1", dir.file("black"), "-f2", dir.file("grey"), "-plot", dir.file("plot.png")};
}

// Whether the pixel is at least half way from the white ground to the first pair's colour.
bool near_pair(cairo_surface_t *png, double x, double y)
{
    uint32_t pixel = *(uint32_t *)(cairo_image_surface_get_data(png) + (int)y * cairo_image_surface_get_stride(png) + (int)x * 4);
    bool near = true;
    for (int shift : {0, 8, 16}) {
        int colour = plot_pair_colour[1] >> shift & 255;
        near &= 2 * std::abs(int(pixel >> shift & 255) - colour) < 263 - colour;
    }
    return near;
}

// Rows of the PSNR panel at column x drawn in the first pair's colour: the first and the last.
std::pair<int, int> rows_of_pair(cairo_surface_t *png, const PlotPanel &panel, double x)
{
    std::pair<int, int> rows = {-1, -1};
    for (int y = (int)panel.top; y < panel.top + panel.height; y++)
        if (near_pair(png, x, y))
            rows = {rows.first < 0 ? y : rows.first, y};
    return rows;
}

// Marks per frame (frozen frames) land in the column whose band holds the frame.
TEST(ReportPlot, EveryFrameIsInTheColumnThatHoldsIt)
{
    for (int columns : {1, 4, 7, 640, 1000})
        for (int frames : {columns + 1, 5 * columns / 4 + 1, 3 * columns - 1, 50000, 2000000000})
            for (int frame : {0, 1, frames / 3, frames / 2, frames - 2, frames - 1}) {
                int column = column_of_frame(frame, frames, columns);
                EXPECT_TRUE(column >= 0 && column < columns && first_frame_of_column(column, frames, columns) <= frame &&
                            frame < first_frame_of_column(column + 1, frames, columns))
                    << frame << " of " << frames << " in column " << column << " of " << columns;
            }
}

// A flat series lies on one row wherever it is read, as a line or as per-column bands; a one-frame
// dip among 50,000 identical frames still reaches its value. Identical frames (100 dB) stay off the
// value axis, which spans the others, and are marked in the row over the panel. The dashed level at
// the panel's left edge is the summary's global PSNR, the legend's line level; no frame number past the last.
// All at the places of the plot's mapping.
TEST(ReportPlot, DrawsEachFrameAtItsPsnrIdenticalFramesInTheirRowAndTheGlobalLevel)
{
    std::vector<int> not_30_to_34(40);
    std::iota(not_30_to_34.begin(), not_30_to_34.end(), 0);
    not_30_to_34.erase(not_30_to_34.begin() + 30, not_30_to_34.begin() + 35);
    const struct { int frames, level; std::vector<int> differing, looks; } cases[] = {  // differing frames (all when empty)
        {300, 4, {}, {42, 150, 298}}, {3000, 4, {}, {428, 1500, 2998}}, {50000, 40, {31337}, {7142, 25000, 49998, 31337}},
        {40, 9, not_30_to_34, {5, 29, 32, 35}}};
    for (const auto &c : cases) {
        TempDir dir;
        Result result = run(report, plot_pair(dir, c.frames, c.level, c.differing), dir);
        std::smatch global;
        ASSERT_TRUE(result.status == 0 && std::regex_search(result.err, global, std::regex("global ([0-9.]+) dB"))) << result.err;
        double value = 10 * std::log10(65025.0 / (c.level * c.level));
        bool some_identical = !c.differing.empty();
        PlotContent content = {0, c.frames, value, value, some_identical, 0, 0, 0, 0, {}};
        PlotPage page;
        plot_layout(&content, &page);
        const PlotPanel &psnr = page.psnr;
        cairo_surface_t *png = cairo_image_surface_create_from_png(dir.file("plot.png").c_str());
        ASSERT_EQ(cairo_image_surface_get_width(png) * 10000 + cairo_image_surface_get_height(png), page.width * 10000 + page.height);
        for (int frame : c.looks) {  // the series at `value` or nothing at identical frames; a band's column shares frames
            bool identical = some_identical && !std::count(c.differing.begin(), c.differing.end(), frame);
            double x = plot_x(&psnr, frame);
            int lowest = std::max(rows_of_pair(png, psnr, x - 1).second, rows_of_pair(png, psnr, x).second);
            EXPECT_TRUE(identical ? lowest < plot_y(&psnr, value) - 5 : std::abs(lowest - plot_y(&psnr, value)) < 2)
                << c.frames << " frames, at frame " << frame << ": lowest row " << lowest;
            bool marked = near_pair(png, x, page.identical_top + plot_identical_row_height / 2);
            EXPECT_EQ(marked, identical || (some_identical && c.frames > psnr.width)) << c.frames << " frames, at frame " << frame;
        }
        double level = std::stod(global.str(1));
        int first = rows_of_pair(png, psnr, psnr.left + 2).first;
        EXPECT_TRUE(level > psnr.high ? first == -1 : std::abs(first - plot_y(&psnr, level)) < 2) << first << " for " << level;
        // The legend's line of the pair, right of the panel and level with its label's middle, from end to end.
        const PlotPanel legend = {psnr.left + psnr.width, psnr.top, 60, 20, 0, 1, 0, 1};
        EXPECT_EQ(rows_of_pair(png, legend, legend.left + 18), rows_of_pair(png, legend, legend.left + 38));
        EXPECT_NEAR(rows_of_pair(png, legend, legend.left + 18).first, psnr.top + 7, 1);
        int ticks_beyond = 0;  // no frame number past the last frame: no tick under the axis right of the panel
        for (int x = (int)(psnr.left + psnr.width) + 2; x < psnr.left + psnr.width + 40; x++)
            for (int y = (int)(psnr.top + psnr.height) + 1; y < psnr.top + psnr.height + 4; y++)
                ticks_beyond += (*(uint32_t *)(cairo_image_surface_get_data(png) + y * cairo_image_surface_get_stride(png) + x * 4) & 0x808080) == 0;
        EXPECT_EQ(ticks_beyond, 0);
        cairo_surface_destroy(png);
    }
}

// Each decoded sequence gets a panel under the others, on the PSNR panel's frame mapping: at every frame a bar
// as high as ffprobe's pkt_size of the packet read there, in the colour of its pict_type; none at a held frame,
// which the frozen row under the PSNR panel marks.
TEST(ReportPlot, SizePanelsDrawEachDecodedFramesBytesInItsTypesColour)
{
    TempDir dir;
    const int frames = 12;
    std::string source = dir.file("source.yuv"), encode = dir.file("encode.mkv");
    ASSERT_EQ(run("/usr/bin/ffmpeg", {"-loglevel", "error", "-f", "lavfi", "-i", "testsrc2=size=176x144", "-frames:v", std::to_string(frames),
                                     "-f", "rawvideo", source}, dir).status, 0);
    ASSERT_EQ(run("/usr/bin/ffmpeg", {"-loglevel", "error", "-f", "rawvideo", "-s", "176x144", "-i", source, "-c:v", "libx264", "-bf", "2",
                                     "-crf", "30", encode}, dir).status, 0);
    std::string probe = run("/usr/bin/ffprobe", {"-v", "error", "-show_frames", "-show_entries", "frame=pict_type,pkt_size", "-of", "flat",
                                                 encode}, dir).out;
    std::map<int, std::pair<char, int>> probed;  // type and bytes by output order
    std::regex entry("frames\\.frame\\.(\\d+)\\.(pict_type|pkt_size)=\"?([^\"\n]*)\"?");
    for (std::sregex_iterator m(probe.begin(), probe.end(), entry), end; m != end; ++m) {
        std::pair<char, int> &frame = probed[std::stoi(m->str(1))];
        if (m->str(2) == "pict_type")
            frame.first = m->str(3)[0];
        else
            frame.second = std::stoi(m->str(3));
    }
    ASSERT_EQ(probed.size(), size_t(frames)) << probe;
    write_text_file(dir.file("held"), "3\n7\n");
    const struct { Strings args; bool ssim, identical; int panels; std::vector<int> held; } cases[] = {  // the Encoded's panel last
        {{"-no-ssim", "-fr2", dir.file("held"), "-f1", source, "-f2", encode}, false, false, 1, {3, 7}},
        {{"-f1", encode, "-f2", encode}, true, true, 2, {}}};
    for (const auto &c : cases) {
        Result result = run(report, c.args, dir, {"-plot", dir.file("sizes.png")});
        ASSERT_EQ(result.status, 0) << result.err;
        std::vector<int> read_at(frames, -1);  // the packet each frame reads
        for (int f = 0, read = 0; f < frames; f++)
            read_at[f] = std::count(c.held.begin(), c.held.end(), f) ? -1 : read++;
        int panels = c.panels;
        double most = 0;
        for (int f = 0; f < frames; f++)
            most = std::max(most, read_at[f] < 0 ? 0.0 : probed[read_at[f]].second);
        PlotContent content = {0, frames, 20, 30, c.identical, c.ssim, 0.5, 1, panels, {most, most}};
        PlotPage page;
        plot_layout(&content, &page);
        cairo_surface_t *png = cairo_image_surface_create_from_png(dir.file("sizes.png").c_str());
        ASSERT_EQ(cairo_image_surface_get_width(png) * 10000 + cairo_image_surface_get_height(png), page.width * 10000 + page.height);
        const PlotPanel &above = c.ssim ? page.ssim : page.psnr;
        for (int p = 0; p < panels; p++) {
            const PlotPanel &sizes = page.sizes[p];
            EXPECT_TRUE(sizes.top > above.top + above.height && sizes.left == page.psnr.left && sizes.width == page.psnr.width);
            for (int f = 0; f < frames; f++) {
                bool held = p == panels - 1 && read_at[f] < 0;
                std::pair<char, int> frame = probed[held ? 0 : p == panels - 1 ? read_at[f] : f];
                int x = (int)plot_x(&sizes, f), top = -1;
                for (int y = (int)sizes.top; y < sizes.top + sizes.height && top < 0; y++) {
                    uint32_t pixel = *(uint32_t *)(cairo_image_surface_get_data(png) + y * cairo_image_surface_get_stride(png) + x * 4);
                    for (char type : {'I', 'P', 'B', '?'})
                        top = (pixel & 0xffffff) == plot_type_colour(type) ? (type == frame.first ? y : -2) : top;
                }
                EXPECT_TRUE(held ? top == -1 : std::abs(top - plot_y(&sizes, frame.second)) < 1.5)
                    << "panel " << p << ", frame " << f << ": " << frame.first << " " << frame.second << " bytes, bar top " << top;
            }
        }
        // Under the PSNR panel's frame numbers, the Encoded's frozen row: a stroke at each held frame, within the row.
        double row_top = page.psnr.top + page.psnr.height + plot_tick_label_height;
        for (int f = 0; f < frames && !c.held.empty(); f++) {
            int x = (int)plot_x(&page.psnr, f), inside = 0, outside = 0;
            for (int y = (int)row_top; y < row_top + 2 * plot_frozen_row_height; y++) {
                uint32_t pixel = *(uint32_t *)(cairo_image_surface_get_data(png) + y * cairo_image_surface_get_stride(png) + x * 4);
                bool grey = true;  // at least half way from the white ground to the frozen colour
                for (int shift : {0, 8, 16})
                    grey &= 2 * std::abs(int(pixel >> shift & 255) - int(plot_frozen_colour >> shift & 255)) < 263 - int(plot_frozen_colour >> shift & 255);
                ((y >= row_top && y < row_top + plot_frozen_row_height) ? inside : outside) += grey;
            }
            EXPECT_TRUE((read_at[f] < 0 ? inside > 4 : inside == 0) && outside == 0) << "frame " << f << ": " << inside << " " << outside;
        }
        cairo_surface_destroy(png);
    }
}

// SVG is XML, the PDF one page, and the CSV or JSON the same with -plot; bad plot files are refused by name.
TEST(ReportPlot, WritesEachFormatLeavesTheReportAloneAndRefusesBadFiles)
{
    TempDir dir;
    Strings plotting = plot_pair(dir, 40, 9, {3, 4}), pair(plotting.begin(), plotting.end() - 2);
    for (Strings mode : {Strings{"-s", "2"}, Strings{"-json"}})
        for (std::string file : {"a.svg", "b.pdf", "c.PNG"}) {
            plotting.back() = dir.file(file);
            Result plain = run(report, pair, dir, mode), plotted = run(report, plotting, dir, mode);
            EXPECT_EQ(plotted.out + plotted.err + std::to_string(plotted.status), plain.out + plain.err + "0") << file;
        }
    EXPECT_EQ(run("/usr/bin/python3", {"-c", "import xml.dom.minidom,sys; xml.dom.minidom.parse(sys.argv[1])", dir.file("a.svg")}, dir).status, 0);
    std::string pdf = read_text_file(dir.file("b.pdf"));
    std::regex page("/Type\\s*/Page[^s]");
    EXPECT_EQ(std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), page), std::sregex_iterator()), 1);
    EXPECT_EQ(read_text_file(dir.file("c.PNG")).substr(1, 3), "PNG");
    ASSERT_EQ(mkdir(dir.file("dir.png").c_str(), 0700), 0);
    for (std::string full : {"full.svg", "full.pdf", "full.png"})
        ASSERT_EQ(symlink("/dev/full", dir.file(full).c_str()), 0);
    for (Strings plot : {Strings{"-plot", dir.file("d.gif")}, Strings{"-plot", dir.file("png")}, Strings{"-plot", dir.file("no/e.png")},
                         Strings{"-plot", dir.file("dir.png")}, Strings{"-plot", dir.file("full.svg")}, Strings{"-plot", dir.file("full.pdf")},
                         Strings{"-plot", dir.file("full.png")}, Strings{"-plot"}}) {
        Result got = run(report, pair, dir, plot);
        EXPECT_TRUE(got.status == 1 && (got.out.empty() || plot.back().find("/full.") != std::string::npos) &&
                    got.err.find(plot.back()) != std::string::npos)
            << plot.back() << ": " << got.status << " " << got.err;
    }
}

// Labels rename the sequences in the plot alone: labels that are the usual short names draw the
// same plot, others another one; the report's lines stay as they are.
TEST(ReportPlot, LabelsNameTheSequencesInThePlotAndLeaveTheReportAlone)
{
    TempDir dir;
    Strings plotting = plot_pair(dir, 20, 9, {3});
    auto plot_with = [&](Strings labels, const std::string &file) {
        plotting.back() = dir.file(file);
        Result result = run(report, labels, dir, plotting);
        EXPECT_EQ(result.status, 0) << result.err;
        return result.out + read_text_file(dir.file(file));
    };
    std::string plain = plot_with({}, "plain.png"), same = plot_with({"-label1", "Org", "-label2", "Enc"}, "same.png");
    std::string other = plot_with({"-label1", "Black", "-label2", "CRF40"}, "other.png");
    EXPECT_EQ(same, plain);
    EXPECT_NE(other, plain);
    EXPECT_EQ(other.substr(0, other.find("\x89PNG")), plain.substr(0, plain.find("\x89PNG")));
}

// The title names the frames plotted and, with -crop, the region.
TEST(ReportPlot, TitleNamesTheFramesAndTheRegion)
{
    const struct { bool ssim; int first, frames; const char *region, *expected; } cases[] = {
        {false, 3, 10, nullptr, "Luma PSNR per frame, frames 3 to 12"},
        {true, 0, 10, "64x48+16+32", "Luma PSNR and SSIM per frame, frames 0 to 9 of region 64x48+16+32"},
        {true, 0, 0, "64x48+16+32", "Luma PSNR per frame: no frames measured"}};
    for (const auto &c : cases)
        EXPECT_EQ(plot_title(c.ssim, c.first, c.frames, c.region), c.expected);
}

// Long names lose their middle, all by the same cap, so that every name stays on the title line.
TEST(ReportPlot, TitleShortensLongNamesSoThatAllFit)
{
    const std::string o(240, 'o'), e(150, 'e'), accents = [] { std::string a; for (int i = 0; i < 120; i++) a += "\xc3\xa9"; return a; }();
    const struct { std::string names[3], expected; } cases[] = {
        {{"a.yuv", "dir/b.yuv", "caf\xe9\xed\xa0\x80\xc3.yuv"}, "Org: a.yuv     Enc: b.yuv     Tra: caf?????.yuv"},
        {{"dir/" + o + ".yuv", "b.yuv", "c.yuv"}, "Org: o+\xe2\x80\xa6o+\\.yuv     Enc: b\\.yuv     Tra: c\\.yuv"},
        {{o, e, "c.yuv"}, "Org: (o+)\xe2\x80\xa6(o+)     Enc: (e+)\xe2\x80\xa6(e+)     Tra: c\\.yuv"},
        {{accents, "b.yuv", "c.yuv"}, "Org: (\xc3\xa9)+\xe2\x80\xa6(\xc3\xa9)+     Enc: b\\.yuv     Tra: c\\.yuv"}};
    cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 10, 10);
    cairo_t *cr = cairo_create(surface);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 11);
    const char *const captions[3] = {"Org", "Enc", "Tra"};
    for (const auto &c : cases) {
        const char *const paths[3] = {c.names[0].c_str(), c.names[1].c_str(), c.names[2].c_str()};
        std::string line = plot_file_names(cr, captions, paths, 3, 600);
        cairo_text_extents_t extents;
        cairo_text_extents(cr, line.c_str(), &extents);
        EXPECT_TRUE(extents.x_advance <= 600 && extents.x_advance > (line.size() > 50 ? 550 : 0)) << extents.x_advance;
        std::smatch parts;
        EXPECT_TRUE(c.names[0].size() > 200 ? std::regex_match(line, parts, std::regex(c.expected)) : line == c.expected) << line;
        EXPECT_TRUE(parts.size() != 5 || (parts.length(1) == parts.length(3) && parts.length(2) == parts.length(4)))
            << line;  // two long names: one cap for both
    }
    // However narrow the line, a long name keeps its first and last character.
    const char *const narrow[3] = {"abc.yuv", "dir/xy", "c"};
    EXPECT_EQ(plot_file_names(cr, captions, narrow, 3, 1), "Org: a\xe2\x80\xa6v     Enc: xy     Tra: c");
    EXPECT_EQ(cairo_status(cr), CAIRO_STATUS_SUCCESS);  // whole characters: valid UTF-8
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}

}  // namespace
