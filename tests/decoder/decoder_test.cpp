// Encoded sequence files given where raw YUV goes: real encodes made here with ffmpeg, whose
// own decode of the same file to raw is the oracle of every frame the programs read from it.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

#include "convert/color_tables.h"
#include "program_run.h"
// After the test framework, whose names the X headers' macros would clash with.
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include "common/pixel_format.h"
#include "common/settings.h"
#include "convert/render_kernels.h"
#include "source/geometry.h"
#include "source/options.h"
#include "source/sequence.h"
#include "source/decode_ahead.h"
#include "startup_state.h"

namespace {

const std::string report = TRIVISTA_BIN_DIR "/src/report/trivista-report", align = TRIVISTA_BIN_DIR "/src/align/trivista-align";
const int W = 160, H = 128, N = 12, frame_bytes = W * H * 3 / 2;
const std::string size = "160x128";

// The files of the whole suite, made once: "@name" in an argument stands for dir/name.
TempDir &dir() { static TempDir d; return d; }
std::string at(const std::string &name) { return dir().file(name); }
bool ffmpeg(Strings args)
{
    for (std::string &a : args)
        a = a[0] == '@' ? at(a.substr(1)) : a;
    return run("/usr/bin/ffmpeg", {"-hide_banner", "-loglevel", "error", "-nostdin", "-y"}, dir(), args).status == 0;
}

// `file` encoded from the raw source, or remuxed from `from` ("copy"); "" when ffmpeg lacks the encoder.
std::string encode(const std::string &file, const std::string &encoder, Strings options = {}, const std::string &from = "")
{
    static std::set<std::string> made = {""};
    if (made.count(file))
        return at(file);
    if (!made.count(from))  // every remux here is of the first encode of the table below
        encode("h264.mkv", "libx264", {"-preset", "veryfast", "-bf", "3", "-g", "4"});
    if (made.insert("source.yuv").second) {
        EXPECT_TRUE(ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=" + size + ":rate=25", "-frames:v", std::to_string(N), "-pix_fmt", "yuv420p", "-f", "rawvideo", "@source.yuv"}));
        write_text_file(at("source.bin"), read_text_file(at("source.yuv")));  // raw still, by any name
    }
    Result help = run("/usr/bin/ffmpeg", {"-hide_banner", "-h", "encoder=" + encoder}, dir());
    if (encoder != "copy" && (help.out + help.err).find("is not recognized") != std::string::npos)
        return "";
    Strings args = from.empty() ? Strings{"-f", "rawvideo", "-s", size, "-i", "@source.yuv", "-c:v", encoder} : Strings{"-i", "@" + from, "-c:v", encoder};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back("@" + file);
    EXPECT_TRUE(ffmpeg(args)) << file;
    return made.insert(file), at(file);
}

// ffmpeg's own decode of dir/file to raw, every frame as the decoder gives it.
std::string decode(const std::string &file, const std::string &format = "yuv420p", Strings options = {})
{
    options.insert(options.end(), {"-i", "@" + file, "-fps_mode", "passthrough", "-f", "rawvideo", "-pix_fmt", format, "@" + file + ".yuv"});
    EXPECT_TRUE(ffmpeg(options)) << file;
    return at(file + ".yuv");
}

// The report's CSV: its rows as fields and, per row, the luma PSNR and whether every PSNR is 100.
struct Rows { std::vector<Strings> fields; std::vector<double> luma; bool identical = true; };
Rows rows_of(const Result &r)
{
    EXPECT_EQ(r.status, 0) << r.err;
    Rows rows;
    Strings lines = split(r.out + "\n"), header = split(lines[0], ',');
    for (size_t i = 1; i < lines.size() && !lines[i].empty(); i++) {
        rows.fields.push_back(split(lines[i], ','));
        for (size_t c = 0; c < header.size(); c++)
            if (header[c].find("psnr") != std::string::npos)
                rows.identical &= std::stod(rows.fields.back()[c]) == 100;
        rows.luma.push_back(std::stod(rows.fields.back()[2]));  // frame,frozen_enc,org_enc_psnr_y
    }
    return rows;
}

// What is known of a frame, "type bytes time", from the facts the picture carries.
std::string facts_text(const FrameFacts &f)
{
    return std::string(1, f.type) + " " + std::to_string(f.bytes) + " " + (f.time == no_frame_time ? "N/A" : std::to_string(f.time));
}

// The same said by ffprobe of every frame in output order.
Strings probed_facts(const std::string &file)
{
    Result r = run("/usr/bin/ffprobe", {"-v", "error", "-show_frames", "-show_entries", "frame=pict_type,pkt_size,pts", "-of", "flat", file}, dir());
    std::map<int, std::map<std::string, std::string>> frames;
    std::regex entry("frames\\.frame\\.(\\d+)\\.(\\w+)=\"?([^\"]*)\"?");
    std::smatch m;
    for (const std::string &line : split(r.out))
        if (std::regex_match(line, m, entry))
            frames[std::stoi(m[1])][m[2]] = m[3];
    Strings facts;
    for (auto &f : frames)
        facts.push_back(f.second["pict_type"] + " " + f.second["pkt_size"] + " " + f.second["pts"]);
    return facts;
}

// A report without the columns and summary lines of what the decoded sequences' streams say:
// the measurements alone, as a report of raw files has them.
std::string measured(const Result &r)
{
    size_t header_end = r.out.find('\n'), columns = 0, at = 0;
    while ((at = r.out.find(",type_", at + 1)) < header_end)
        columns += 3;
    std::string out, err;
    for (std::string line : split(r.out)) {
        for (size_t c = 0; c < columns && !line.empty(); c++)
            line.erase(line.rfind(','));
        out += line + "\n";
    }
    for (const std::string &line : split(r.err))
        err += line.find(" stream: ") == std::string::npos ? line + "\n" : "";
    return out + err;
}

// Opens `file` as the only sequence, its picture filled in `planes`, and gives every frame
// that reading from the start gives, with its facts ("type bytes time") in `facts`.
std::vector<std::vector<unsigned char>> open_and_decode_all(const std::string &file, const std::string &format,
                                                            std::vector<unsigned char> *planes, Strings *facts)
{
    reset_startup_state();
    static Strings words;  // the sequence keeps pointing at its path
    words = {"trivista", "-pix_fmt", format, "-f1", file};
    std::vector<char *> argv;
    for (std::string &w : words)
        argv.push_back(&w[0]);
    parse_options((int)argv.size(), argv.data());
    compute_geometry(), compute_frame_range();
    const Settings &t = settings;
    planes->assign((size_t)(t.luma_size + 2 * t.chroma_size), 0);
    unsigned char *y = planes->data();
    YuvFrame p = packed_frame(y, y + t.luma_size, y + t.luma_size + t.chroma_size, t.horizontal_size, t.vertical_size,
                              t.pixel_format->bit_depth, t.pixel_format->chroma);
    std::vector<std::vector<unsigned char>> frames;
    sequences[1].picture = p;
    for (position_sequence(1, 0); read_picture(1, whole_picture_of(1));)
        frames.push_back(*planes), facts->push_back(facts_text(sequences[1].facts));
    return frames;
}

// Moves, as pause and step make them, give the frames decoding from the start gives, with
// their facts, whether the decoder seeks back to a key frame (containers with times) or
// starts over, and whether they land among the pictures kept behind, those decoded ahead (a
// wait lets it fill them), on the one it decodes, beyond them or while it is still being
// positioned; the end holds. `probed`: the facts are ffprobe's.
void expect_steps_back_exact(const std::string &file, const std::string &format, size_t frames_given = N, bool probed = false)
{
    std::vector<unsigned char> planes;
    Strings facts;
    std::vector<std::vector<unsigned char>> frames = open_and_decode_all(file, format, &planes, &facts);
    ASSERT_EQ(frames.size(), frames_given);
    if (probed) {
        EXPECT_EQ(facts, probed_facts(file));
    }
    // Moves back among the last pictures read take them again; the last four are back onto
    // key frames 4 and 8 from beyond them.
    const struct { int frame, wait_ms; } moves[] = {{11, 0}, {8, 0}, {4, 0}, {2, 0}, {6, 100}, {7, 0}, {9, 0}, {0, 0}, {3, 100},
                                                   {9, 100}, {5, 0}, {1, 0}, {11, 0}, {4, 0}, {11, 0}, {8, 0}};
    for (const auto &m : moves) {
        usleep(m.wait_ms * 1000);
        position_sequence(1, m.frame);
        for (int t = m.frame; t < std::min(m.frame + 2, (int)frames_given); t++) {
            EXPECT_TRUE(read_picture(1, whole_picture_of(1)) && planes == frames[t]) << file << " frame " << t << " after a move to " << m.frame;
            EXPECT_EQ(facts_text(sequences[1].facts), facts[t]) << file << " frame " << t;
        }
    }
    position_sequence(1, (int)frames_given - 1);
    EXPECT_TRUE(read_picture(1, whole_picture_of(1)) && planes == frames.back());
    EXPECT_FALSE(read_picture(1, whole_picture_of(1)));
    EXPECT_TRUE(sequence_ended(1));
    position_sequence(1, 0);
    EXPECT_FALSE(sequence_ended(1));
    close_sequences();
}

const Strings hevc10 = {"-pix_fmt", "yuv420p10le", "-preset", "ultrafast", "-x265-params", "log-level=none"};
struct Encode { const char *file, *encoder; Strings options; const char *from = "", *format = "yuv420p"; };
class Decodes : public ::testing::TestWithParam<Encode> {};
void PrintTo(const Encode &e, std::ostream *os) { *os << e.file; }

const Encode encodes[] = {
    {"h264.mkv", "libx264", {"-preset", "veryfast", "-bf", "3", "-g", "4"}},  // B-frames: output order differs from decoding order
    {"h264.264", "copy", {}, "h264.mkv"},
    {"hevc.mp4", "libx265", {"-preset", "ultrafast", "-x265-params", "log-level=none:keyint=4"}},
    {"hevc10.mp4", "libx265", hevc10, "", "yuv420p10le"},  // without -pix_fmt refused: below
    {"av1.ivf", "libaom-av1", {"-cpu-used", "8", "-g", "4"}},
    {"h264_in_matroska.dat", "copy", {"-f", "matroska"}, "h264.mkv"}};  // found by its content

TEST_P(Decodes, EveryFrameAsFfmpegDecodesItInTheReportBothWays)
{
    const Encode &e = GetParam();
    std::string file = encode(e.file, e.encoder, e.options, e.from);
    if (file.empty())
        GTEST_SKIP() << "ffmpeg has no " << e.encoder;
    std::string decoded = decode(e.file, e.format), source = at("source.bin");
    auto report_on = [&](const std::string &a, const std::string &b) { return run(report, {"-size", size, "-pix_fmt", e.format, "-f1", a, "-f2", b}, dir()); };
    Result second = report_on(decoded, file), first = run(report, {"-pix_fmt", e.format, "-f1", file, "-f2", decoded}, dir());
    Rows rows = rows_of(second);
    EXPECT_EQ(read_text_file(decoded).size(), size_t(N * frame_bytes * (e.format == hevc10[1] ? 2 : 1)));  // ffmpeg's frame count
    EXPECT_EQ(rows.fields.size(), size_t(N));
    EXPECT_TRUE(rows.identical) << second.out;
    EXPECT_EQ(measured(first), measured(second));  // first, it sets the picture size and the frame range
    Result against_source = report_on(source, file), raw = report_on(at("source.yuv"), decoded);  // .bin: raw still
    EXPECT_EQ(against_source.status, 0) << against_source.err;
    auto summary = [](const Result &r) { return measured({0, r.out, r.err.substr(r.err.find("Org<->Enc"))}); };
    EXPECT_EQ(summary(against_source), summary(raw));
    EXPECT_FALSE(rows_of(raw).identical);  // the encode is lossy: a real comparison
    expect_steps_back_exact(file, e.format, N, true);
}
INSTANTIATE_TEST_SUITE_P(Decoder, Decodes, ::testing::ValuesIn(encodes),
                         [](const auto &info) { std::string n = info.param.file; std::replace(n.begin(), n.end(), '.', '_'); return n; });

TEST(Decoder, FramesDroppedAsPacketsAreFoundByAlignAndHeldByTheFreezeList)
{
    ASSERT_NE(encode("intra.mkv", "libx264", {"-g", "1", "-crf", "16"}), "");  // intra only: a lost packet is a missing frame
    std::string received = encode("received.mkv", "copy", {"-bsf:v", "noise=drop=eq(n\\,5)+eq(n\\,9)"}, "intra.mkv");
    std::string source = at("source.yuv"), list = at("dropped.txt");
    Result found = run(align, {"-size", size, source, received}, dir());
    EXPECT_EQ(found.out + std::to_string(found.status), "5\n9\n0") << found.err;
    write_text_file(list, found.out);
    Result held = run(report, {"-size", size, "-fr2", list, "-f1", source, "-f2", received}, dir());
    EXPECT_EQ(measured({0, held.out, ""}), measured({0, run(report, {"-size", size, "-fr2", list, "-f1", source, "-f2", decode("received.mkv")}, dir()).out, ""}));
    Rows rows = rows_of(held);
    ASSERT_EQ(rows.fields.size(), size_t(N));
    for (int f = 0; f < N; f++) {
        EXPECT_EQ(rows.fields[f][1] != "0", f == 5 || f == 9) << f;
        EXPECT_TRUE(f == 5 || f == 9 || rows.luma[f] > 35) << f << ": " << rows.luma[f] << " dB, not aligned";
    }
    EXPECT_EQ(rows_of(run(report, {"-f1", received, "-f2", source}, dir())).fields.size(), size_t(N - 2));  // first, its 10 set the range
}

// Streams that lie about their length or their pictures, each against ffmpeg's own decode
// with one thread: as many rows as frames it gives, every one identical, whichever side
// the stream is on; a seek back gives what decoding from the start gave.
struct Lying { const char *name; std::function<std::string()> make, oracle; const char *warning; };
std::string cut(const std::string &from, const std::string &file, size_t numerator, size_t denominator)
{
    std::string bytes = read_text_file(from);
    write_text_file(at(file), bytes.substr(0, bytes.size() * numerator / denominator));
    return at(file);
}
std::string single(const std::string &file, const std::string &format = "yuv420p") { return decode(file, format, {"-threads", "1"}); }
const Strings h264 = {"-preset", "veryfast", "-bf", "3", "-g", "4"};
const Lying lying[] = {
    {"av1 cut mid packet", [] { return cut(encode("av1.ivf", "libaom-av1", {"-cpu-used", "8", "-g", "4"}), "av1_cut.ivf", 5, 8); }, [] { return single("av1_cut.ivf"); }, ""},
    {"no first IDR", [] { return encode("no_idr.264", "copy", {"-bsf:v", "noise=drop=eq(n\\,0)"}, "h264.mkv"); }, [] { return single("no_idr.264"); }, ""},
    {"mp4 cut with copy", [] { return encode("copied_cut.mp4", "copy", {"-ss", "0.15"}, "h264.mkv"); }, [] { return single("copied_cut.mp4"); }, ""},
    {"damaged", [] { return encode("damaged.mkv", "copy", {"-bsf:v", "noise=amount=not(key)*1000"}, "h264.mkv"); },
     [] { return decode("damaged.mkv", "yuv420p", {"-threads", "1", "-err_detect", "ignore_err"}); }, ""},
    {"full range mjpeg", [] { return encode("mjpeg.avi", "mjpeg", {"-pix_fmt", "yuvj420p"}); }, [] { return single("mjpeg.avi", "yuvj420p"); }, ""},
    {"theora by content", [] { return encode("theora", "libtheora", {"-f", "ogg"}); }, [] { return single("theora"); }, ""},
    {"mjpeg by content", [] { return encode("mjpeg", "mjpeg", {"-f", "mjpeg"}); }, [] { return single("mjpeg", "yuvj420p"); }, ""},
    {"times that do not rise", [] { return encode("flat_times.mkv", "copy", {"-bsf:v", "setts=pts=trunc((PTS+40)/160)*160"}, "h264.mkv"); },
     [] { return single("flat_times.mkv"); }, ""},
    {"size changes", [] {  // 4 frames of twice the size in the middle: lost, the frame before held
         std::string parts;
         for (const char *part : {"part1.264", "part2.264", "part3.264"})
             parts += read_text_file(encode(part, "libx264", {"-vf", std::string("select=between(n\\,") + (part[4] == '1' ? "0\\,3)" : part[4] == '2' ? "4\\,7),scale=320:256" : "8\\,11)"), "-fps_mode", "passthrough"}));
         return write_text_file(at("changes.264"), parts), at("changes.264"); },
     [] {
         std::string first = read_text_file(single("part1.264")), held = first.substr(first.size() - frame_bytes);
         write_text_file(at("changes.yuv"), first + held + held + held + held + read_text_file(single("part3.264")));
         return at("changes.yuv"); }, "changes.264: 4 frames of another picture size or format are lost: the picture before each is held\n"}};
class LyingStreams : public ::testing::TestWithParam<Lying> {};
void PrintTo(const Lying &l, std::ostream *os) { *os << l.name; }

TEST_P(LyingStreams, GiveTheFramesFfmpegGivesAndNoMore)
{
    encode("h264.mkv", "libx264", h264);
    std::string stream = GetParam().make(), oracle = GetParam().oracle();
    size_t frames = read_text_file(oracle).size() / frame_bytes;
    ASSERT_GT(frames, 0u);
    Result second = run(report, {"-size", size, "-f1", oracle, "-f2", stream}, dir()), first = run(report, {"-f1", stream, "-f2", oracle}, dir());
    Rows rows = rows_of(second);
    EXPECT_EQ(rows.fields.size(), frames);
    EXPECT_TRUE(rows.identical) << second.out;
    EXPECT_EQ(second.err.substr(0, second.err.find("Org<->Enc")), *GetParam().warning ? at(GetParam().warning) : "");
    EXPECT_EQ(measured({0, first.out, ""}), measured({0, second.out, ""}));
    Result aligned = run(align, {"-size", size, oracle, stream}, dir());
    EXPECT_EQ(aligned.out + std::to_string(aligned.status), "0") << aligned.err;
    expect_steps_back_exact(stream, "yuv420p", frames);
}
INSTANTIATE_TEST_SUITE_P(Decoder, LyingStreams, ::testing::ValuesIn(lying), [](const auto &info) {
    std::string n = info.param.name;
    std::replace(n.begin(), n.end(), ' ', '_');
    return n; });

// The report's columns of the streams: with one QP on every frame the mean is exactly 30,
// HEVC exports no block parameters, frames the freeze list holds say nothing, and the summary
// counts the frames read by type with their bytes at the rate of play.
TEST(Decoder, ReportGivesTypeBytesAndQpOfEachDecodedSequence)
{
    std::string qp = encode("qp30.mkv", "libx264", {"-qp", "30", "-bf", "2", "-x264-params", "ipratio=1.0:pbratio=1.0"});
    std::string hevc = encode("hevc.mp4", "libx265", encodes[2].options);
    ASSERT_FALSE(hevc.empty());
    write_text_file(at("held.txt"), "3\n7\n");
    Result r = run(report, {"-fps", "10", "-size", size, "-fr2", at("held.txt"), "-f1", at("source.yuv"), "-f2", qp}, dir());
    Strings lines = split(r.out), probed = probed_facts(qp);
    ASSERT_EQ(lines.size(), size_t(N + 1)) << r.err;
    EXPECT_EQ(lines[0].substr(lines[0].find(",type")), ",type_enc,bytes_enc,qp_enc");
    std::map<char, int> types;
    long bytes = 0;
    for (int f = 0, read = 0; f < N; f++) {
        std::string fields = lines[f + 1].substr(lines[f + 1].rfind(',', lines[f + 1].rfind(',', lines[f + 1].rfind(',') - 1) - 1));
        if (f == 3 || f == 7) {
            EXPECT_EQ(fields, ",,,") << f;
            continue;
        }
        Strings said = split(probed[read++], ' ');
        EXPECT_EQ(fields, "," + said[0] + "," + said[1] + ",30.00") << f;
        types[said[0][0]]++, bytes += std::stol(said[1]);
    }
    char summary[200];
    snprintf(summary, sizeof summary, "Encoded stream: 10 frames (I %d, P %d, B %d), %ld bytes, %.2f kbit/s at 10 fps\n",
             types['I'], types['P'], types['B'], bytes, bytes * 8 / 10.0 * 10 / 1000);
    EXPECT_NE(r.err.find(summary), std::string::npos) << r.err;
    Result json = run(report, {"-json", "-f1", hevc, "-f2", qp}, dir());
    EXPECT_NE(json.out.find(",\"qp_org\":null,\"type_enc\":\"I\",\"bytes_enc\":" + split(probed[0], ' ')[1] + ",\"qp_enc\":30.00}\n"), std::string::npos) << json.out;
}

// Each picture carries the motion of its own frame: a still picture panned 4 samples a frame
// moves every block's content 4 samples along, so the vectors point one way.
TEST(Decoder, MotionOfAPanPointsOneWay)
{
    encode("h264.mkv", "libx264", h264);  // and the source
    ASSERT_TRUE(ffmpeg({"-f", "rawvideo", "-s", size, "-i", "@source.yuv", "-vf", "scale=320:256", "-frames:v", "1", "@still.png"}));
    ASSERT_TRUE(ffmpeg({"-loop", "1", "-i", "@still.png", "-vf", "crop=160:128:'n*4':0,format=yuv420p", "-frames:v", std::to_string(N), "-c:v", "libx264", "-bf", "0", "-refs", "1", "@pan.mkv"}));
    reset_startup_state();
    std::string words[] = {"trivista", "-f1", at("pan.mkv")};
    char *argv[] = {&words[0][0], &words[1][0], &words[2][0]};
    parse_options(3, argv);
    compute_geometry(), compute_frame_range(), allocate_sequence_picture(1);
    size_t along = 0, against = 0, vectors = 0;
    for (position_sequence(1, 0); read_picture(1, whole_picture_of(1));) {
        EXPECT_EQ(sequences[1].facts.motion.empty(), sequences[1].facts.type == 'I');
        EXPECT_EQ(sequences[1].facts.blocks.size(), size_t(W / 16 * H / 16));
        for (const MotionLine &m : sequences[1].facts.motion)
            vectors++, along += m.to_x - m.from_x == 4 && m.to_y == m.from_y, against += m.to_x < m.from_x;
    }
    close_sequences();
    EXPECT_EQ(against, 0u);
    EXPECT_GT(along, vectors * 9 / 10);
}

// On a cropped, zoomed view of an encode with QP 30 on every block against its source with the luma of
// frames 3, 4 and 8 inverted: n and Shift+n reach the I frames ffprobe names, b and Shift+b the frames
// the report measures below 30 dB, either staying where there is none further; o lays one colour over every other pixel of frame 0
// and leaves the pixels between alone, and lays nothing over the Original while w shows its pixels
// in the other pane.
TEST(Decoder, SeeksByTypeAndQualityAndOverlaysTheQpOfTheFrameShown)
{
    std::string zoned = encode("qp30_g4.mkv", "libx264", {"-qp", "30", "-g", "4", "-x264-params", "ipratio=1.0:pbratio=1.0"});
    std::string poor_copy = read_text_file(at("source.yuv"));
    for (int f : {3, 4, 8})
        for (int i = 0; i < W * H; i++)
            poor_copy[f * frame_bytes + i] = (char)~poor_copy[f * frame_bytes + i];
    write_text_file(at("poor.yuv"), poor_copy);
    Strings region_args = {"-crop", "96x64+64+64", "-f1", zoned, "-f2", at("poor.yuv")}, shown = {"-quiet", "-l", "-PSNR", "-zoom", "2"};
    Rows rows = rows_of(run(report, region_args, dir()));
    shown.insert(shown.end(), region_args.begin(), region_args.end());
    std::set<int> intra, poor;
    Strings probed = probed_facts(zoned);
    for (int f = 0; f < N; f++)
        f < (int)probed.size() && probed[f][0] == 'I' ? (void)intra.insert(f) : (void)0, rows.luma.at(f) < 30 ? (void)poor.insert(f) : (void)0;
    ASSERT_FALSE(poor.empty());
    XvfbServer server;
    XConnection x(server.name());
    ChildProcess child(trivista_path(), shown, server.name(), dir().path(), "seeks");
    WindowGeometry w = wait_for_window(x.get(), "kestrin Trivista", 15);
    ASSERT_NE(w.id, 0u) << child.stderr_text();
    auto press = [&](KeySym key, bool shift = false) {
        XSetInputFocus(x.get(), w.id, RevertToParent, CurrentTime);
        KeyCode code = XKeysymToKeycode(x.get(), key), shift_code = XKeysymToKeycode(x.get(), XK_Shift_L);
        if (shift)
            XTestFakeKeyEvent(x.get(), shift_code, True, 0);
        XTestFakeKeyEvent(x.get(), code, True, 0), XTestFakeKeyEvent(x.get(), code, False, 0);
        if (shift)
            XTestFakeKeyEvent(x.get(), shift_code, False, 0);
        XSync(x.get(), False);
    };
    auto says = [&](const std::string &line) {  // clicks on the Encoded pane until one says where play is
        size_t from = child.stdout_text().size();
        return wait_until([&] {
            XTestFakeMotionEvent(x.get(), -1, w.x + 200, w.y + 10, 0);
            XTestFakeButtonEvent(x.get(), 1, True, 0), XTestFakeButtonEvent(x.get(), 1, False, 0), XSync(x.get(), False);
            return wait_until([&] { return child.stdout_text().find(line, from) != std::string::npos; }, 0.5);
        }, 30);
    };
    auto at_frame = [&](int frame) { return says("pixel: frame " + std::to_string(frame) + " "); };
    auto pane = [&] { return masked(capture_region(x.get(), w.id, 0, 0, 192, 128), default_colour_bits(x.get())); };
    ASSERT_TRUE(says("pixel: frame ")) << "the viewer takes no clicks";
    press(XK_space), press(XK_Home);
    ASSERT_TRUE(at_frame(0)) << child.stdout_text();
    Capture plain = pane(), over;
    press(XK_o);
    ASSERT_TRUE(wait_until([&] { return !((over = pane()) == plain); }, 5));
    std::set<uint32_t> marks;
    int between = 0;
    for (int y = 0; y < over.height; y++)
        for (int x = 0; x < over.width; x++)
            (x + y) % 2 ? (void)(between += over.at(x, y) != plain.at(x, y)) : (void)marks.insert(over.at(x, y));
    EXPECT_EQ(marks.size(), 1u);
    EXPECT_EQ(between, 0);
    for (bool wiped : {true, false}) {
        press(XK_w);
        EXPECT_TRUE(wait_until([&] { return pane() == (wiped ? plain : over); }, 5)) << "wiped " << wiped;
    }
    press(XK_o);
    EXPECT_TRUE(wait_until([&] { return pane() == plain; }, 5));
    auto next = [](const std::set<int> &frames, int from, int direction) {
        for (int f = from + direction; f >= 0 && f < N; f += direction)
            if (frames.count(f))
                return f;
        return from;
    };
    const struct { KeySym key; bool back; } moves[] = {{XK_n, false}, {XK_n, false}, {XK_n, true}, {XK_n, true}, {XK_n, true},
                                                       {XK_b, false}, {XK_b, false}, {XK_b, true}, {XK_b, false}, {XK_b, false}, {XK_b, false}};
    int frame = 0;
    for (const auto &m : moves) {
        frame = next(m.key == XK_n ? intra : poor, frame, m.back ? -1 : 1);
        press(m.key, m.back);
        EXPECT_TRUE(at_frame(frame)) << XKeysymToString(m.key) << (m.back ? " back" : "") << " to " << frame << ": " << child.stdout_text();
    }
}

// An encoded Original's own rate counts the times on the command line: 0.2 s is frame 6 at 30.
TEST(Decoder, TimesCountInTheStreamsOwnRate)
{
    encode("h264.mkv", "libx264", h264);  // and the source
    ASSERT_TRUE(ffmpeg({"-f", "rawvideo", "-s", size, "-r", "30", "-i", "@source.yuv", "-c:v", "libx264", "@rate30.mkv"}));
    Rows rows = rows_of(run(report, {"-s", "0:0.2", "-f1", at("rate30.mkv"), "-f2", at("source.yuv")}, dir()));
    ASSERT_FALSE(rows.fields.empty());
    EXPECT_EQ(rows.fields[0][0], "6");
}

// An 8-bit raw Original against a 10-bit encode of it, and an 8-bit encode against it: compared at 10 bits, the 8-bit
// samples times 4, as if they had been given so; one line says it for each.
TEST(Decoder, ALowerDepthOfOneLayoutIsWidenedToTheHigher)
{
    std::string stream = encode("hevc10.mp4", "libx265", hevc10), eight = encode("h264.mkv", "libx264", {"-preset", "veryfast", "-bf", "3", "-g", "4"});
    if (stream.empty() || eight.empty())
        GTEST_SKIP() << "ffmpeg has no libx265 or libx264";
    std::string bytes = read_text_file(at("source.yuv")), wide;
    for (unsigned char c : bytes)
        wide += (char)(c << 2), wide += (char)(c >> 6);
    write_text_file(at("source10.yuv"), wide);
    ASSERT_TRUE(ffmpeg({"-i", "@h264.mkv", "-f", "rawvideo", "-pix_fmt", "yuv420p", "@h264.yuv"}));
    std::string h264_10 = read_text_file(at("h264.yuv"));
    wide.clear();
    for (unsigned char c : h264_10)
        wide += (char)(c << 2), wide += (char)(c >> 6);
    write_text_file(at("h264_10.yuv"), wide);
    const struct { Strings narrow, wide; std::string line; } rows[] = {
        {{"-f1", at("source.yuv"), "-f2", stream}, {"-f1", at("source10.yuv"), "-f2", stream}, at("source.yuv") + ": its 8-bit samples are "
         "compared with the 10-bit ones of " + stream + ", shifted left by 2\n"},
        {{"-f1", eight, "-f2", at("source10.yuv"), "-pix_fmt", "yuv420p10le"}, {"-f1", at("h264_10.yuv"), "-f2", at("source10.yuv")},
         eight + ": its 8-bit samples are compared with the 10-bit ones of " + at("source10.yuv") + ", shifted left by 2\n"}};
    for (const auto &row : rows) {
        Strings wide_args = {"-size", size, "-pix_fmt", "yuv420p10le"};
        wide_args.insert(wide_args.end(), row.wide.begin(), row.wide.end());
        Result narrow = run(report, Strings{"-size", size}, dir(), row.narrow), expected = run(report, wide_args, dir());
        EXPECT_EQ(narrow.status, 0);
        EXPECT_EQ(measured({0, narrow.out, ""}), measured({0, expected.out, ""}));
        EXPECT_EQ(narrow.err.substr(0, narrow.err.find("Org<->Enc")), row.line);
    }
}

// Frame f of raw 4:2:0 `bytes` by the reference renderer for depth 24; `gray`: the difference of equal frames.
Capture rendered(Display *dpy, const std::string &bytes, int f, bool gray)
{
    Visual *visual = DefaultVisual(dpy, DefaultScreen(dpy));
    pixel_tables.wpixel[0] = visual->red_mask, pixel_tables.wpixel[1] = visual->green_mask, pixel_tables.wpixel[2] = visual->blue_mask;
    settings.horizontal_size = W, settings.vertical_size = H;
    InitColorDither(1);
    std::vector<uint8_t> yuv(bytes.begin() + f * frame_bytes, bytes.begin() + (f + 1) * frame_bytes), out(W * H * 4);
    if (gray)
        std::fill(std::fill_n(yuv.begin(), W * H, 0), yuv.end(), 124);
    YuvFrame picture = packed_420_frame(yuv.data(), yuv.data() + W * H, yuv.data() + W * H * 5 / 4, W, H);
    (gray ? DitherImageToGray32_C : Color32DitherImage_C)(&picture, out.data(), (ptrdiff_t)W * 4);
    return capture_from_buffer(out.data(), 4, W, H, default_colour_bits(dpy));
}

// Panes 1-3 show ffmpeg's decode, the .mkv and the .264 of one encode; 4-6 their differences.
TEST(Decoder, ViewerPanesEqualFfmpegsDecodeAndEveryPassStartsAgainAtFrameZero)
{
    std::string mkv = encode("h264.mkv", "libx264", encodes[0].options), bytes = read_text_file(decode("h264.mkv"));
    XvfbServer server;
    XConnection x(server.name());
    std::vector<Capture> frames;
    for (int f = 0; f <= N; f++)  // and the difference of equal pictures
        frames.push_back(rendered(x.get(), bytes, f % N, f == N));
    ChildProcess child(trivista_path(), {"-l", "-quiet", "-fps", "10", "-size", size, "-f1", at("h264.mkv.yuv"), "-f2", mkv,
                       "-f3", encode("h264.264", "copy", {}, "h264.mkv")}, server.name(), dir().path(), "viewer");
    WindowGeometry w = wait_for_window(x.get(), "kestrin Trivista", 15);
    ASSERT_NE(w.id, 0u) << child.stderr_text();
    std::set<int> seen[3];
    int last = -1, starts = 0, wrong = 0;
    wait_until([&] {
        Capture all = masked(capture_region(x.get(), w.id, 0, 0, w.width, w.height), default_colour_bits(x.get()));
        for (int p = 0; p < 6 && !all.empty(); p++) {
            Capture pane = crop(all, p % 3 * W, p < 3 ? 0 : H + 30, W, H);
            int shown = p < 3 ? int(std::find(frames.begin(), frames.end() - 1, pane) - frames.begin()) : pane == frames[N] ? 0 : N;
            if (shown < N && p < 3)
                seen[p].insert(shown);
            if (shown < N && p == 1)
                starts += shown == 0 && last != 0, last = shown;
            wrong += shown == N && std::count(pane.pixels.begin(), pane.pixels.end(), all.pixels.back()) != W * H;  // not the background
        }
        return all.empty() || (starts >= 3 && seen[0].size() + seen[1].size() + seen[2].size() == 3 * N);
    }, 60, 10);
    EXPECT_GE(starts, 3) << "passes begun by the Encoded pane";
    for (const std::set<int> &s : seen)
        EXPECT_EQ(s.size(), size_t(N));
    EXPECT_EQ(wrong, 0) << "captures of a pane that was neither the expected picture nor the background: " << child.stderr_text();
}

// Keys that wait are taken together: forty presses of Left, each a decode from the start of
// an elementary stream (no times to seek by), are one move that lands where ffmpeg's decode
// has the frame; q ends such a decode at once.
TEST(Decoder, WaitingMovesAreOneMoveAndAnEndingKeyEndsALongDecodeAtOnce)
{
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=1280x720:rate=25", "-vf", "noise=alls=30:allf=t", "-frames:v", "100",
                        "-c:v", "libx264", "-preset", "ultrafast", "-crf", "18", "@long.264"}));
    ASSERT_TRUE(ffmpeg({"-i", "@long.264", "-vf", "select=eq(n\\,58)", "-f", "rawvideo", "-pix_fmt", "yuv420p", "@frame58"}));
    XvfbServer server;
    XConnection x(server.name());
    ChildProcess child(trivista_path(), {"-l", "-zoom", "1/4", "-f1", at("long.264")}, server.name(), dir().path(), "moves");
    WindowGeometry w = wait_for_window(x.get(), "kestrin Trivista", 90);  // counting the frames first can take long on a busy machine
    ASSERT_NE(w.id, 0u) << child.stderr_text();
    auto press = [&](KeySym key) {
        XSetInputFocus(x.get(), w.id, RevertToParent, CurrentTime);
        KeyCode code = XKeysymToKeycode(x.get(), key);
        XTestFakeKeyEvent(x.get(), code, True, 0), XTestFakeKeyEvent(x.get(), code, False, 0), XSync(x.get(), False);
    };
    auto reaches = [&](const std::string &line, double seconds) {  // a click at picture position 40, 40 says where it is
        size_t from = child.stdout_text().size();
        XTestFakeMotionEvent(x.get(), -1, w.x + 10, w.y + 10, 0);
        XTestFakeButtonEvent(x.get(), 1, True, 0), XTestFakeButtonEvent(x.get(), 1, False, 0), XSync(x.get(), False);
        return wait_until([&] { return child.stdout_text().find(line, from) != std::string::npos; }, seconds);
    };
    usleep(500000);
    press(XK_space), press(XK_End);
    ASSERT_TRUE(reaches("pixel: frame 99 ", 60)) << child.stdout_text();
    auto seconds_since = [](std::chrono::steady_clock::time_point t) { return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count(); };
    auto start = std::chrono::steady_clock::now();
    press(XK_Left);
    ASSERT_TRUE(reaches("pixel: frame 98 ", 60));
    double one_step = seconds_since(start);
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < 40; i++)
        press(XK_Left);
    std::string luma = std::to_string((unsigned char)read_text_file(at("frame58"))[40 * 1280 + 40]);
    EXPECT_TRUE(reaches("pixel: frame 58 x 40 y 40 org " + luma + " ", 60)) << child.stdout_text();
    EXPECT_LT(seconds_since(start), 5 * one_step) << "forty moves were made one by one";
    press(XK_End);
    ASSERT_TRUE(reaches("pixel: frame 99 ", 60));
    start = std::chrono::steady_clock::now();
    press(XK_Left);
    usleep(100000);
    press(XK_q);
    EXPECT_TRUE(child.wait(10) && child.exited_normally() && child.exit_status() == 0);
#if defined(__SANITIZE_ADDRESS__)
    const double at_once = one_step / 2;  // the sanitizer's leak check at the exit alone takes about a second
#else
    const double at_once = std::min(one_step / 2, 1.0);
#endif
    EXPECT_LT(seconds_since(start), at_once) << "q waited for the decode: " << child.stderr_text();
}

// A file that changes while it plays ends the run as a file that cannot be opened does, when
// the next pass opens it again on the decoding thread.
TEST(Decoder, AFileThatChangesUnderThePlayEndsTheRunWithOneLineAndStatus1)
{
    write_text_file(at("changing.264"), read_text_file(encode("h264.264", "copy", {}, "h264.mkv")));
    XvfbServer server;
    XConnection x(server.name());
    ChildProcess child(trivista_path(), {"-l", "-f1", at("changing.264")}, server.name(), dir().path(), "changing");
    ASSERT_NE(wait_for_window(x.get(), "kestrin Trivista", 15).id, 0u) << child.stderr_text();
    write_text_file(at("changing.264"), "not a video\n");
    EXPECT_TRUE(child.wait(20) && child.exited_normally() && child.exit_status() == 1);
    std::string err = child.stderr_text();
    EXPECT_TRUE(err.find("changing.264: can not be opened as video") != std::string::npos && std::count(err.begin(), err.end(), '\n') == 1) << err;
}

// In the report, trivista-align and the viewer (on a display): status 1, one line naming the file.
TEST(Decoder, UnusableFilesAreRefusedByEveryProgramWithOneLineAndStatus1)
{
    const Encode made[] = {{"h264.mkv", "libx264", {"-preset", "veryfast", "-bf", "3", "-g", "4"}}, {"cut.mp4", "libx264", {}},
                           {"x444.mkv", "libx264", {"-pix_fmt", "yuv444p"}}, {"bgr0.mkv", "ffv1", {"-pix_fmt", "bgr0"}},
                           {"big.mkv", "libx264", {"-vf", "scale=320:256"}}, {"hevc10.mp4", "libx265", hevc10}};
    for (const Encode &e : made)
        if (encode(e.file, e.encoder, e.options).empty())
            GTEST_SKIP() << "ffmpeg has no " << e.encoder;
    std::string cut = read_text_file(at("cut.mp4"));
    write_text_file(at("cut.mp4"), cut.substr(0, cut.size() / 2));  // the index is at the end
    write_text_file(at("text.mkv"), "not a video\n");
    write_text_file(at("empty.264"), "");
    write_text_file(at("zeros.264"), std::string(64 << 20, '\0'));  // no frame to be found: refused early
    for (const char *still : {"@still.png", "@still.gif"})
        ASSERT_TRUE(ffmpeg({"-f", "rawvideo", "-s", size, "-i", "@source.yuv", "-frames:v", "1", still}));
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=duration=0.3", "-i", "@still.png", "-map", "0", "-map", "1", "-c:a", "libmp3lame", "-c:v", "png", "-disposition:v", "attached_pic", "@cover.mp3"}));
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=duration=0.3", "-c:a", "pcm_s16le", "@audio.mka", "@audio.mp4"}));
    const std::string source = at("source.yuv");
    const struct { std::string first, second, message; } cases[] = {
        {source, at("text.mkv"), "text\\.mkv: can not be opened as video: .+"},
        {source, at("cut.mp4"), "cut\\.mp4: can not be opened as video: .+"},
        {source, at("audio.mka"), "audio\\.mka: holds no video stream"},
        {at("audio.mp4"), source, "audio\\.mp4: holds no video stream"},
        {source, at("x444.mkv"), "source\\.yuv holds yuv420p and .*/x444\\.mkv holds yuv444p: sequences of different chroma layouts can not be compared"},
        {at("empty.264"), source, "empty\\.264: holds no video frame"},
        {source, at("zeros.264"), "zeros\\.264: holds no video frame in its first 8 MB"},
        {source, at("cover.mp3"), "cover\\.mp3: holds no video stream"},
        {source, at("bgr0.mkv"), "bgr0\\.mkv: decodes to bgr0, which is not supported"},
        {source, at("still.png"), "still\\.png: decodes to rgb24, which is not supported"},  // RGB pictures are not converted
        {at("still.gif"), source, "still\\.gif: decodes to bgra, which is not supported"},
        {source, at("big.mkv"), "big\\.mkv: picture size 320x256 does not match (160x128 of .*/source\\.yuv|the size 160x128 given on the command line)"}};
    XvfbServer server;
    for (const auto &c : cases) {  // the run's format: -pix_fmt's, as a raw Original has none of its own
        std::regex expected(".*/" + c.message + "\n");
        Result r[3] = {run(report, {"-size", size, "-pix_fmt", "yuv420p", "-f1", c.first, "-f2", c.second}, dir()),
                       run(align, {"-size", size, "-pix_fmt", "yuv420p", c.first, c.second}, dir())};
        ChildProcess viewer(trivista_path(), {"-size", size, "-pix_fmt", "yuv420p", "-f1", c.first, "-f2", c.second}, server.name(), dir().path(), "viewer");
        r[2] = {viewer.wait(30) && viewer.exited_normally() ? viewer.exit_status() : -1, "", viewer.stderr_text()};
        for (const Result &one : r) {
            EXPECT_EQ(one.status, 1) << c.message;
            EXPECT_TRUE(std::regex_match(one.err, expected)) << c.message << " got: " << one.err;
        }
    }
    // Without -pix_fmt a raw file keeps yuv420p, whichever side the stream of another chroma layout is on.
    std::regex borrowed(".*/source\\.yuv: a raw file without -pix_fmt or a format in its name is yuv420p, but "
                        ".*/x444\\.mkv decodes to yuv444p; give -pix_fmt if the file is yuv444p\n");
    for (const Strings &files : {Strings{"-f1", source, "-f2", at("x444.mkv")}, Strings{"-f1", at("x444.mkv"), "-f2", source}}) {
        Strings words = {"-size", size};
        words.insert(words.end(), files.begin(), files.end());
        Result r = run(report, words, dir());
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(std::regex_match(r.err, borrowed)) << r.err;
    }
}

}  // namespace

// The viewer gives up a load when a key comes while it waits for a decode, then moves on:
// whatever was given up on, every read that was not gives exactly the frame asked for
// (a reopening cut short once left the stream at a false end).
bool give_up_at_once() { return true; }
TEST(Decoder, ReadsGivenUpOnLeaveEveryLaterReadExact)
{
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=640x360:rate=25", "-vf", "noise=alls=30:allf=t", "-frames:v", "60",
                        "-c:v", "libx264", "-preset", "ultrafast", "-qp", "0", "@noise.264"}));  // no times: every move back starts over; large, so that opening it again takes a while
    std::vector<unsigned char> planes;
    Strings facts;
    std::vector<std::vector<unsigned char>> frames = open_and_decode_all(at("noise.264"), "yuv420p", &planes, &facts);
    ASSERT_EQ(frames.size(), 60u);
    srand(7);
    int given_up = 0, read = 0;
    for (int i = 0; i < 120; i++) {  // as a load does it: to the frame, read, on to the next
        int k = rand() % 60;
        decode_waits = DecodeWaits{rand() % 2 ? give_up_at_once : nullptr, false};
        position_sequence(1, k);
        bool ok = read_picture(1, whole_picture_of(1));
        bool gave_up = decode_waits.given_up;
        position_sequence(1, k + 1);
        decode_waits = DecodeWaits{nullptr, false};
        given_up += gave_up, read += !gave_up;
        if (!gave_up) {
            ASSERT_TRUE(ok && planes == frames[k]) << "frame " << k << " after " << given_up << " loads given up";
        }
    }
    EXPECT_GT(given_up, 0);
    EXPECT_GT(read, 0);
    close_sequences();
}

// A move onto a picture decoded ahead or kept behind takes it from there: the decoder goes on
// where it is and never opens the file again, which here it could not (a new file of garbage
// took its name; the open one reads on).
TEST(Decoder, MovesAmongThePicturesDecodedAheadNeverStartTheDecoderAgain)
{
    const std::string file = at("ahead.264");
    write_text_file(file, read_text_file(encode("h264.264", "copy", {}, "h264.mkv")));  // no times: a start again opens the file
    std::vector<unsigned char> planes;
    Strings facts;
    std::vector<std::vector<unsigned char>> frames = open_and_decode_all(file, "yuv420p", &planes, &facts);
    ASSERT_EQ(frames.size(), (size_t)N);
    position_sequence(1, 0);
    ASSERT_TRUE(read_picture(1, whole_picture_of(1)) && planes == frames[0]);
    std::this_thread::sleep_for(std::chrono::seconds(1));  // the pictures after it wait
    write_text_file(at("garbage"), "not a video\n");
    ASSERT_EQ(std::rename(at("garbage").c_str(), file.c_str()), 0);
    for (int k : {2, 3, 1, 2, 4, 7}) {  // among the waiting, the next, kept behind, waiting, further on
        position_sequence(1, k);
        ASSERT_TRUE(read_picture(1, whole_picture_of(1)) && planes == frames[k]) << "frame " << k;
    }
    close_sequences();
}

// A count worth keeping (640x480, 56 frames) is kept in XDG_CACHE_HOME and taken by the next
// run as it stands (the same file, not written again); an entry changed in any way is made
// again, byte for byte, a file touched since gets an entry of its own, and the folder keeps
// the newest 256. Small files are counted every time.
TEST(Decoder, ACountKeptFromAnEarlierRunIsTakenOnlyForTheSameFileAndAWholeEntry)
{
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=640x480:rate=25", "-frames:v", "56", "-pix_fmt", "yuv420p", "-c:v", "libx264",
                        "-preset", "ultrafast", "-g", "8", "-bf", "2", "@kept.mkv"}));
    std::string raw = decode("kept.mkv"), folder = at("cache/trivista/counts");  // where entries() looks
    setenv("XDG_CACHE_HOME", at("cache").c_str(), 1);
    auto report_csv = [&](const std::string &stream) {
        Result r = run(report, {"-size", "640x480", "-f1", raw, "-f2", stream}, dir());
        EXPECT_EQ(r.status, 0) << r.err;
        return r.out;
    };
    auto entries = [&] {
        std::map<std::string, std::pair<ino_t, std::string>> found;
        for (const std::string &name : split(run("/bin/ls", {folder}, dir()).out))
            if (struct stat info; !name.empty() && stat((folder + "/" + name).c_str(), &info) == 0)
                found[name] = {info.st_ino, read_text_file(folder + "/" + name)};
        return found;
    };
    std::string small = encode("h264.mkv", "libx264", {"-preset", "veryfast", "-bf", "3", "-g", "4"});
    EXPECT_EQ(run(report, {"-f1", small, "-f2", small}, dir()).status, 0);
    EXPECT_NE(access(at("cache").c_str(), F_OK), 0) << "looking for a kept count makes nothing";
    std::string csv = report_csv(at("kept.mkv"));
    auto first = entries();
    ASSERT_EQ(first.size(), 1u);
    std::string name = first.begin()->first, path = folder + "/" + name, entry = first.begin()->second.second;
    EXPECT_TRUE(report_csv(at("kept.mkv")) == csv && entries() == first) << "taken again, not written again";
    ASSERT_TRUE(ffmpeg({"-i", "@kept.mkv", "-c", "copy", "@kept.264"}));  // no times: the same frames, counted alike
    std::string untimed_csv = report_csv(at("kept.264"));
    auto untimed = entries();
    EXPECT_TRUE(untimed.size() == 2 && report_csv(at("kept.264")) == untimed_csv && entries() == untimed);
    first = entries();
    EXPECT_EQ(run(report, {"-f1", small, "-f2", small}, dir()).status, 0);
    EXPECT_TRUE(entries() == first) << "a small file is not kept";

    const std::function<std::string(std::string)> damage[] = {
        [](std::string e) { return e.substr(0, e.size() - 1); }, [](std::string e) { return e + "x"; },
        [](std::string e) { return e[e.size() - 11] ^= 1, e; } /* the last frame's key flag */, [](std::string e) { return e[0] = 'X', e; },
        [](std::string) { return std::string(); }};
    for (const auto &change : damage) {
        write_text_file(path, change(entry));
        ino_t damaged = entries()[name].first;
        EXPECT_EQ(report_csv(at("kept.mkv")), csv);
        EXPECT_TRUE(entries()[name].first != damaged && entries()[name].second == entry) << "made again";
    }
    for (int i = 0; i < 300; i++)
        write_text_file(folder + "/old-" + std::to_string(1000 + i) + ".count", "old");
    std::string changed = "touch -d '2020-01-01 00:00' " + folder + "/old-*.count " + at("kept.mkv");
    ASSERT_EQ(system(changed.c_str()), 0);
    EXPECT_EQ(report_csv(at("kept.mkv")), csv);
    auto kept = entries();
    EXPECT_TRUE(kept.size() == 256 && kept.count(name) && kept.count("old-1299.count") && !kept.count("old-1000.count"));
    EXPECT_EQ(std::count_if(kept.begin(), kept.end(), [&](const auto &e) { return e.second.second == entry; }), 1) << "one old entry, one new";
    // Without XDG_CACHE_HOME the folder is under HOME; with neither, nothing is kept and all else is alike.
    unsetenv("XDG_CACHE_HOME");
    std::string home = getenv("HOME") ? getenv("HOME") : "";
    setenv("HOME", at("home").c_str(), 1);
    EXPECT_EQ(report_csv(at("kept.mkv")), csv);
    folder = at("home/.cache/trivista/counts");
    EXPECT_EQ(entries().size(), 1u);
    unsetenv("HOME");
    EXPECT_EQ(report_csv(at("kept.mkv")), csv);
    if (!home.empty())
        setenv("HOME", home.c_str(), 1);
}
