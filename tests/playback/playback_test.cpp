// Start-up without a display, in this process (settings reset after each case by the fuzz targets'
// code), and its refusals run as the real executable. Each case works in its own directory.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "harness.h"
#include "playback/pacing.h"
#include "playback/playback.h"
#include "playback/seek.h"
#include "display/screen_fit.h"
#include "common/pixel_format.h"
#include "common/settings.h"
#include "playback/startup.h"
#include "quality/difference_pictures.h"
#include "source/file_samples.h"
#include "source/freeze.h"
#include "source/geometry.h"
#include "source/options.h"
#include "source/picture_size.h"
#include "source/sequence.h"
#include "startup_state.h"
#include "source/y4m.h"

namespace {

using Strings = std::vector<std::string>;
Strings arguments;  // outlive start-up: the paths point into them
YuvFrame &picture1 = sequences[1].picture, &picture2 = sequences[2].picture, &picture3 = sequences[3].picture;

Strings words(std::string text) { std::istringstream in(text); return {std::istream_iterator<std::string>(in), {}}; }

void reset_run()
{
    close_sequences();
    free_freeze_table(&sequences[2].fr_table), free_freeze_table(&sequences[3].fr_table), reset_startup_state();
}

// The command line "trivista <args>", then geometry, frame range and frame period.
void start(const std::string &args)
{
    arguments = words("trivista " + args);
    std::vector<char *> argv;
    for (std::string &a : arguments)
        argv.push_back(&a[0]);
    // Another program sharing the loop has options of its own: -one alone, -two with a value.
    parse_options((int)argv.size(), argv.data(),
                  [](const char *o, const char *) { return strcmp(o, "-one") ? strcmp(o, "-two") ? 0 : 2 : 1; });
    compute_geometry(), compute_frame_range(), set_frame_period();
}

std::string settings_text()
{
    char text[340];
    snprintf(text, sizeof text,
             " s=%d e=%d fps=%d period=%d size=%dx%d frame=%lld l=%d "
             "psnr=%d nodiff=%d quiet=%d shm=%d n=%d given=%d%d fmt=%s%s ",
             playhead.start_frame, playhead.end_frame, settings.fps, settings.frame_period,
             settings.horizontal_size, settings.vertical_size, (long long)settings.frame_size,
             playhead.loop, settings.psnr, settings.nodiff, settings.quiet, settings.shm,
             settings.expand, settings.fps_given, settings.size_given, settings.pixel_format->name,
             settings.pix_fmt_given ? "!" : "");
    return text;
}

// A and B end in part of a frame on purpose; the lines on leftover bytes are pinned in the report's test.
std::string other_than_leftovers(const std::string &warnings)
{
    return std::regex_replace(warnings, std::regex("[^\n]*(assumed, which leaves|are not read)[^\n]*\n"), "");
}

std::vector<uint8_t> planes(const YuvFrame &p)
{
    std::vector<uint8_t> bytes(p.y, p.y + settings.luma_size);
    bytes.insert(bytes.end(), p.u, p.u + settings.chroma_size),
        bytes.insert(bytes.end(), p.v, p.v + settings.chroma_size);
    return bytes;
}

// A 48x32 YUV4MPEG2 file: `header`, then test frames each behind `frame_header`.
std::string y4m(const std::string &header, int sequence, int frames, const std::string &frame_header = "FRAME\n")
{
    std::string bytes = header;
    for (int i = 0; i < frames; i++) {
        std::vector<uint8_t> frame = make_test_frame(48, 32, sequence, i);
        bytes += frame_header + std::string(frame.begin(), frame.end());
    }
    return bytes;
}

class Startup : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(chdir(temp.path().c_str()), 0);
        // A: ten whole frames and one byte short of an eleventh. B: one frame and 100 bytes.
        write_test_sequence(".", "A", 176, 144, 1, 10, 38015), write_test_sequence(".", "B", 176, 144, 2, 1, 100);
        write_test_sequence(".", "RAW", 48, 32, 1, 3);
        write_text_file("NTSC", y4m("YUV4MPEG2 W48 H32 F30000:1001\n", 3, 3));
        write_text_file("PAL", y4m("YUV4MPEG2 W48 H32 F50:1 C420mpeg2\n", 2, 4, "FRAME Ip X=1\n"));
        write_text_file("CUT", y4m("YUV4MPEG2 W48 H32\n", 1, 5).substr(0, 11567));  // one byte short
        ASSERT_EQ(mkfifo("fifo", 0600) + mkdir("dir", 0700), 0);
    }
    void TearDown() override { reset_run(); }
    TempDir temp;
};

}  // namespace

// Status 0: the row settles in this process (these settings, `warnings` on standard error; the first row
// sees a fresh process's values). Otherwise the real executable, DISPLAY unset, refuses it before any display.
TEST_F(Startup, CommandLineAndFilesSettleTheRunOrAreRefused)
{
    const std::string usage = "\n\t\t\tkestrin TrivistaTool\n\t\tby the Trivista developers\n"
        "\t\t\thttps://trivista.example/\n\nPlays up to three concatenated YUV 4:2:0 sequences and shows the "
        "differences,\ncalculates the PSNR value and shows them. Freezing of frames is possible.\nCurrent "
        "implementation is only suitable for CIF/QCIF format.\n\nUsage:\n\t" + trivista_path() +
        " [opt.switches] -f1 yuv [-f2 yuv] [-f3 yuv]\n\n\nOptional switches:\n\n-CIF\tfor CIF format (default "
        "QCIF)\n-quiet\tdisable info window\n-l\tloop output\n-fps\ttarget frames per second (default: 25)\n"
        "-nodiff\tshow no difference pictures\n-PSNR\tcalculate PSNR value for y component\n-fr2\tfile with "
        "frames to freeze for PSNR (f2)\n-fr3\tfile with frames to freeze for PSNR (f3)\n-s #\tstart with "
        "frame # (default: first)\n-e #\tend with frame # (default: last of first file)\n\n\n";
    write_text_file("short", std::string(38015, 'x')), write_text_file("422", "YUV4MPEG2 W48 H32 C422\n");
    write_text_file("varying", y4m("YUV4MPEG2 W48 H32\n", 1, 2) + y4m("", 1, 1, "FRAME Ip\n"));
    write_text_file("headless", "YUV4MPEG2 W48 H32\n" + std::string(2304, 'x'));
    write_text_file("wide", "YUV4MPEG2 W64 H32\n");
    write_text_file("P9", "YUV4MPEG2 W48 H32 C420p9\n"), write_text_file("P10", "YUV4MPEG2 W48 H32 C420p10\n" + y4m("", 1, 2) + "FRAME\n");
    ASSERT_EQ(mkdir("sub_64x64", 0700), 0);
    for (std::string name : {"clip_48x32_444p10le.yuv", "sub_64x64/q_Gray_16bits", "c_64x48_10bit_422p.yuv", "c_47x32.yuv"})
        write_text_file(name, std::string(18432, 'x'));
    const std::string whole = " holds no whole frame of ", qcif = "38016 bytes (176x144 YUV 4:2:0)\n",
        open = "Can't open yuvfile", rate = "Frame rate (-fps) must be at least 1: ";
    struct Row { std::string args; int status; std::string expected, warnings = ""; };
    std::vector<Row> rows = {
        {"-f1 A", 0, "s=0 e=9 fps=25 period=40000 size=176x144 frame=38016 l=0 psnr=0 nodiff=0 "
                     "quiet=0 shm=0 n=1 given=00"},
        // A switch steps the cursor back: the argument after it is read as an option.
        {"-f1 A -l -PSNR -nodiff -quiet -shm -f2 B -f3 fifo", 0, "l=1 psnr=1 nodiff=1 quiet=1 shm=1 n=3 e=9"},
        {"-f1 A -PSNR", 0, "psnr=0 n=1"}, {"-f1 B", 0, "e=0"}, {"-f1 A -e -l", 0, "e=0 l=0"},
        {"-f1 " + std::string(300, '/') + temp.path() + "/A", 0, "e=9"},  // opened by its whole name
        {"-f1 A -x -l", 0, "l=0", "Unknown option -x skipped together with -l\n"},
        {"-f1 A -one -two -s -l", 0, "s=0 l=1"},  // another program's options, -s a value
        {"-f1 A -l -bogus", 0, "l=1", "Unknown option -bogus skipped\n"},
        {"-f1 A -s 3 -s 5 -e 9 -e 8 -fps 10 -fps 12", 0, "s=5 e=8 fps=12 period=83333 given=10"},
        // Whole numbers clamped, no number as 0; the range then lowers what lies beyond the file.
        {"-f1 A -s +2 -e 99999999999999999999 -fps 30", 0, "s=2 e=9 fps=30 period=33333"},
        {"-f1 A -s abc -fps 1000001", 0, "s=0 e=9 period=0"}, {"-f1 A -s 10", 0, "s=9 e=9"},
        // Times at the Original's own rate, else at -fps wherever it stands.
        {"-f1 A -s 0:00.2 -e 0:0:0.25 -fps 29.97", 0, "s=5 e=7 fps=30 period=33366"},
        {"-f1 A -s 0:01", 0, "s=9"}, {"-f1 NTSC -fps 10 -s 0:00.05", 0, "s=1 fps=10 period=100000"},
        {"-f1 A -fps 30000/1001 -e 0:00.3", 0, "e=8 fps=30 period=33366"},
        {"-f1 A -s 5 -e 3", 0, "s=5 e=3"}, {"-f1 A -size 320x240", 0, "size=320x240 e=2 given=01"},
        {"-f1 A -size 320x240 -CIF", 0, "size=352x288 e=1"}, {"-f1 A -CIF -size 64x32", 0, "size=64x32"},
        // The first YUV4MPEG2 header sets the size, the first file's F tag the default rate.
        {"-f1 NTSC -f2 PAL", 0, "size=48x32 e=2 fps=30 period=33366"}, {"-f1 CUT", 0, "e=3"},
        {"-f1 NTSC -fps 10", 0, "fps=10 period=100000 given=10"}, {"-f1 PAL -f2 NTSC", 0, "e=3 fps=50 period=20000"},
        {"-f1 RAW -f2 PAL", 0, "size=48x32 frame=2304 e=2 fps=25 period=40000"},
        {"", 255, "usage"}, {"-f1", 255, "usage"}, {"-f1 short", 1, "short" + whole + qcif},
        {"-f1 missing -fps 0", 3, open + "1 for input!\n"},  // opened at its option, before numbers are checked
        {"-f1 A -f2 B -f3 missing", 3, open + "3 for input!\n"}, {"-f1 A -fps 0", 1, rate + "0\n"},
        {"-f1 A -fps 0.5", 1, rate + "0.5\n"}, {"-f1 A -fps 25x", 1, "-fps 25x: not a frame rate such as 25, 29.97 or 30000/1001\n"},
        {"-f1 A -s 12abc", 1, "-s 12abc: not a frame number, nor a time such as 1:30 or 0:01:02.5\n"},
        {"-f1 A -e 3.5", 1, "-e 3.5: not a frame number, nor a time such as 1:30 or 0:01:02.5\n"},
        {"-f1 A -s -99999999999", 1, "Start frame (-s) must not be negative: -2147483648\n"},
        {"-f1 A -x y -e -3", 1, "Unknown option -x skipped together with y\nEnd frame (-e) must not be negative: -3\n"},
        {"-f1 dir -size 16x16", 1, "dir: can not be read: Is a directory\n"},
        {"-f1 fifo", 1, "fifo" + whole + qcif}, {"-f1 /dev/null", 1, "/dev/null" + whole + qcif},
        {"-f1 short -CIF", 1, "short" + whole + "152064 bytes (352x288 YUV 4:2:0)\n"},
        {"-f1 A -f2 P9", 1, "P9: YUV4MPEG2 chroma tag C420p9 is not supported (4:2:0, 4:2:2, 4:4:4 or mono at 8, 10, 12 or 16 bits)\n"},
        // Formats: the frame follows the format; every sequence shares one; the first file's name fills in.
        {"-f1 A -pix_fmt yuv420p10le", 0, "frame=76032 e=4 fmt=yuv420p10le!"}, {"-f1 A -pix_fmt gray", 0, "frame=25344 e=15"},
        {"-f1 A -pix_fmt yuv422p12le", 0, "frame=101376 e=3"}, {"-f1 A -pix_fmt yuv444p16le -pix_fmt yuv444p", 0, "frame=76032 e=4"},
        {"-f1 P10 -f2 A", 0, "size=48x32 frame=4608 e=0 fmt=yuv420p10le given=00"}, {"-f1 A -pix_fmt yuv420p", 0, "frame=38016 fmt=yuv420p!"},
        {"-f1 clip_48x32_444p10le.yuv", 0, "size=48x32 frame=9216 e=1 fmt=yuv444p10le",
         "clip_48x32_444p10le.yuv: size 48x32 and format yuv444p10le taken from the file name\n"},
        {"-f1 sub_64x64/q_Gray_16bits -size 16x16", 0, "size=16x16 e=35 fmt=gray16le", "sub_64x64/q_Gray_16bits: format gray16le taken from the file name\n"},
        {"-f1 c_64x48_10bit_422p.yuv -pix_fmt gray", 0, "size=64x48 e=5 fmt=gray!", "c_64x48_10bit_422p.yuv: size 64x48 taken from the file name\n"},
        {"-f1 c_64x48_10bit_422p.yuv -size 16x16", 0, "size=16x16 e=17 fmt=yuv422p10le", "c_64x48_10bit_422p.yuv: format yuv422p10le taken from the file name\n"},
        {"-f1 P10 -f2 c_64x48_10bit_422p.yuv", 1, "c_64x48_10bit_422p.yuv: size 64x48 from the file name does not match 48x32 of P10\n"},
        {"-f1 clip_48x32_444p10le.yuv -f2 c_64x48_10bit_422p.yuv -size 48x32", 1, "clip_48x32_444p10le.yuv: format yuv444p10le taken from the "
         "file name\nc_64x48_10bit_422p.yuv: format yuv422p10le from the file name does not match yuv444p10le of clip_48x32_444p10le.yuv\n"},
        {"-f1 c_47x32.yuv", 1, "c_47x32.yuv: picture size 47x32 from the file name is not supported (even, 16x16 up to 4096x2304); give -size\n"},
        {"-f1 A -pix_fmt yuv420p9le", 1, "-pix_fmt yuv420p9le: unknown pixel format; supported: yuv420p, yuv422p, yuv444p, gray, yuv420p10le, "
         "yuv422p10le, yuv444p10le, gray10le, yuv420p12le, yuv422p12le, yuv444p12le, gray12le, yuv420p16le, yuv422p16le, yuv444p16le, gray16le, "
         "nv12, nv21, p010le\n"},
        {"-f1 422", 1, "422 holds no whole frame of 3078 bytes (48x32 yuv422p)\n"},
        {"-f1 P10 -f2 422", 1, "422: YUV4MPEG2 format yuv422p does not match yuv420p10le of P10\n"},
        {"-f1 NTSC -f2 P10", 0, "frame=4608 fmt=yuv420p10le", "NTSC: its 8-bit samples are compared with the 10-bit ones of P10, shifted left by 2\n"},
        {"-f1 A -f2 P10 -pix_fmt yuv420p", 1, "P10: YUV4MPEG2 format yuv420p10le does not match -pix_fmt yuv420p\n"},
        {"-f1 c_64x48_10bit_422p.yuv -size 96x96", 1, "c_64x48_10bit_422p.yuv: format yuv422p10le taken from the file name\n"
                                                      "c_64x48_10bit_422p.yuv holds no whole frame of 36864 bytes (96x96 yuv422p10le)\n"},
        {"-f1 NTSC -f2 wide", 1, "wide: YUV4MPEG2 picture size 64x32 does not match 48x32 of NTSC\n"},
        {"-f1 A -f2 NTSC -CIF", 1, "NTSC: YUV4MPEG2 picture size 48x32 does not match the size 352x288 given on "
                                   "the command line\n"},
        {"-f1 varying", 1, "varying: frame 2 does not start with a FRAME header of 6 bytes like the first frame "
                           "(frame headers must all have one length)\n"},
        {"-f1 headless", 1, "headless: no FRAME header after the YUV4MPEG2 header\n"},
    };
    for (std::string args : {"-f2 B -f1 A", "-f1 A -f3 B", "-f1 A -f2 B -f2 B", "-l -PSNR", "-f1 A -s", "-f1 A -e",
                             "-f1 A -fps", "-f1 A -fr2", "-f1 A -fr3", "-f1 A -size", "-f1 A -f2", "-f1 A -pix_fmt"})
        rows.push_back({args, 1, "usage"});  // files out of order, no -f1, a value option last
    for (std::string wxh : {"175x144", "176x143", "14x16", "16x14", "4098x2304", "4096x2306", "176x", "x144",
                            "176x144x2", "-176x144", "176X144", "99999999999999999999x16"})
        rows.push_back({"-f1 A -size " + wxh, 1, "-size " + wxh + ": width and height must be even numbers "
                                                  "from 16x16 up to 4096x2304\n"});
    for (const Row &row : rows) {
        if (row.status == 0) {
            testing::internal::CaptureStderr(), start(row.args);
            EXPECT_EQ(other_than_leftovers(testing::internal::GetCapturedStderr()), row.warnings) << row.args;
            for (const std::string &word : words(row.expected))
                EXPECT_NE(settings_text().find(" " + word + " "), std::string::npos)
                    << row.args << settings_text();
            reset_run();
            continue;
        }
        ChildProcess child(trivista_path(), words(row.args), "", ".");
        ASSERT_TRUE(child.wait(20) && child.exited_normally()) << row.args;
        std::string out = row.expected == "usage" ? usage : "", err = out.empty() ? row.expected : "";
        EXPECT_EQ(std::to_string(child.exit_status()) + "|" + child.stdout_text() + "|" + child.stderr_text(),
                  std::to_string(row.status) + "|" + out + "|" + err) << row.args;
    }
}

// Every format, raw with -pix_fmt and as YUV4MPEG2 with its C tag: pictures start black (neutral chroma at the depth),
// then frame 1 holds sample (p * 1000 + 37 y + 5 x + 301) mod 2^depth of plane p at (x, y), little-endian words past 8 bits.
// Interleaved chroma (nv12: U V pairs, nv21: V U, p010le: U V words in the high bits) is read into the planar twin.
TEST_F(Startup, EachFormatReadsItsSamplesAtTheirPositions)
{
    for (int f = 0; f < pixel_format_count; f++)
        for (bool y4m_file : {false, true}) {
            const PixelFormat &format = pixel_format_table[f];
            bool interleaved = format.planes != chroma_planar, vu = format.planes == chroma_interleaved_vu;
            if (interleaved && y4m_file)
                continue;
            int w = 20, h = 16, depth = format.bit_depth, bytes = depth > 8 ? 2 : 1, peak = (1 << depth) - 1;
            int cw = format.chroma == chroma_444 ? w : format.chroma == chroma_gray ? 0 : w / 2;
            int ch = format.chroma == chroma_420 ? h / 2 : format.chroma == chroma_gray ? 0 : h;
            auto value = [&](int p, int x, int y, int frame) { return (p * 1000 + 37 * y + 5 * x + 301 * frame) & peak; };
            std::string layout = std::vector<std::string>{"420", "422", "444", "mono"}[format.chroma];
            std::string file = y4m_file ? "YUV4MPEG2 W20 H16 C" + layout + (depth == 8 ? "" : (layout == "mono" ? "" : "p") + std::to_string(depth)) + "\n" : "";
            for (int frame = 0; frame < 2; frame++) {
                file += y4m_file ? "FRAME\n" : "";
                for (int p = 0; p < (interleaved ? 2 : 3); p++)  // interleaved: both chroma planes in one
                    for (int i = 0; i < (p ? cw * ch : w * h) * (interleaved && p ? 2 : 1); i++) {
                        int q = interleaved && p ? (i % 2 == vu ? 1 : 2) : p, at = interleaved && p ? i / 2 : i;
                        int v = value(q, at % (p ? cw : w), at / (p ? cw : w), frame) << format.low_padding_bits;
                        file += bytes == 2 ? std::string{(char)(v & 255), (char)(v >> 8)} : std::string(1, (char)v);
                    }
            }
            write_text_file("F", file);
            start(y4m_file ? "-f1 F -s 1" : "-f1 F -size 20x16 -s 1 -pix_fmt " + std::string(format.name));
            {
#if defined(__SANITIZE_ADDRESS__)
                __lsan::ScopedDisabler one_start_up_of_many;  // these buffers are dropped on purpose
#endif
                allocate_sequence_pictures(), allocate_difference_pictures();
            }
            auto sample = [&](const unsigned char *plane, ptrdiff_t stride, int x, int y) {
                return bytes == 2 ? plane[y * stride + 2 * x] | plane[y * stride + 2 * x + 1] << 8 : plane[y * stride + x];
            };
            EXPECT_TRUE(picture1.bit_depth == depth && picture1.chroma == format.chroma && chroma_width(picture1) == cw &&
                        chroma_height(picture1) == ch && picture1.luma_stride == w * bytes && picture1.chroma_stride == cw * bytes &&
                        (cw == 0) == (picture1.u == nullptr) && sample(picture1.y, w * bytes, w - 1, h - 1) == 0 &&
                        (cw == 0 || sample(picture1.v, cw * bytes, cw - 1, ch - 1) == 128 << (depth - 8))) << format.name << y4m_file;
            position_sequence(1, playhead.start_frame);
            ASSERT_TRUE(read_picture(1, &picture1)) << format.name << y4m_file;
            for (int p = 0; p < 3; p++)
                for (int i = 0; i < (p ? cw * ch : w * h); i++) {
                    int x = i % (p ? cw : w), y = i / (p ? cw : w);
                    const unsigned char *plane = p == 0 ? picture1.y : p == 1 ? picture1.u : picture1.v;
                    ASSERT_EQ(sample(plane, p ? picture1.chroma_stride : picture1.luma_stride, x, y), value(p, x, y, 1))
                        << format.name << (y4m_file ? " y4m" : " raw") << " plane " << p << " at " << x << "," << y;
                }
            reset_run();
        }
}

// A sample above the peak of its depth is seen in any plane and at any place, also in the words after a row's last
// whole 8 bytes; samples at the peak are not.
TEST(Peak, ASampleAboveThePeakIsSeenWhereverItLies)
{
    for (int depth : {10, 12})
        for (int width : {16, 22}) {
            int height = 4, peak = (1 << depth) - 1;
            std::vector<uint8_t> planes[3] = {std::vector<uint8_t>(width * height * 2), std::vector<uint8_t>(width * height / 2),
                                              std::vector<uint8_t>(width * height / 2)};
            for (std::vector<uint8_t> &plane : planes)
                for (size_t i = 0; i < plane.size(); i += 2)
                    plane[i] = (uint8_t)peak, plane[i + 1] = (uint8_t)(peak >> 8);
            YuvFrame picture{planes[0].data(), planes[1].data(), planes[2].data(), width, height, depth, chroma_420, width * 2, width};
            EXPECT_FALSE(picture_exceeds_peak(picture)) << depth;
            for (std::vector<uint8_t> &plane : planes)
                for (size_t i = 0; i < plane.size(); i += 2) {
                    uint8_t high = plane[i + 1];
                    plane[i + 1] = (uint8_t)((peak + 1) >> 8);
                    EXPECT_TRUE(picture_exceeds_peak(picture)) << depth << " " << width << " at " << i;
                    plane[i + 1] = high;
                }
        }
}

TEST_F(Startup, OffsetsBeyondFourGibibytesReadTheRightFrame)
{
    const int64_t cif = 152064, marked = 30005;  // frame 30005 starts at 4.56 GB
    std::vector<uint8_t> marker = make_test_frame(352, 288, 2, 7);
    int fd = open("sparse", O_CREAT | O_WRONLY, 0600);
    ASSERT_EQ(ftruncate(fd, (marked + 5) * cif), 0);
    ASSERT_EQ(pwrite(fd, marker.data(), marker.size(), marked * cif), (ssize_t)marker.size());
    close(fd), start("-f1 sparse -CIF -s " + std::to_string(marked));
    allocate_buffers(), position_sequence(1, playhead.start_frame);
    ASSERT_TRUE(read_picture(1, &picture1));
    EXPECT_EQ(planes(picture1), marker);
    EXPECT_EQ(playhead.end_frame, marked + 4);
}

TEST_F(Startup, FfmpegYuv4mpegReadsLikeItsRawPlanesAndFrameParametersAreSkipped)
{
    ASSERT_EQ(system("ffmpeg -nostdin -loglevel error -f rawvideo -pix_fmt yuv420p -s 48x32 -r 25 -i RAW "
                     "-f yuv4mpegpipe -y ffmpeg.y4m"), 0);
    start("-f1 ffmpeg.y4m -f2 RAW -f3 PAL -s 1");
    allocate_buffers(), position_sequence(1, 1), position_sequence(2, 1), position_sequence(3, 1);
    for (int k = 1; k <= 2; k++) {
        ASSERT_TRUE(read_picture(1, &picture1) && read_picture(2, &picture2) && read_picture(3, &picture3));
        EXPECT_EQ(planes(picture1), make_test_frame(48, 32, 1, k));
        EXPECT_EQ(planes(picture2), planes(picture1));
        EXPECT_EQ(planes(picture3), make_test_frame(48, 32, 2, k));
    }
}

// Every kind reads into the picture's rows wherever its strides put them and leaves the gaps between them.
TEST_F(Startup, ReadsHonourThePicturesStridesAndLeaveTheGapsAlone)
{
    start("-f1 RAW -f2 PAL -s 1");
    for (int n = 1; n <= 2; n++) {
        std::vector<uint8_t> y(56 * 32, 0xEE), u(32 * 16, 0xEE), v(32 * 16, 0xEE), packed, gaps;
        YuvFrame picture = {y.data(), u.data(), v.data(), 48, 32, 8, chroma_420, 56, 32};
        position_sequence(n, 1);
        ASSERT_TRUE(read_picture(n, &picture));
        for (auto [plane, width, stride] : {std::tuple{&y, 48, 56}, {&u, 24, 32}, {&v, 24, 32}})
            for (size_t i = 0; i < plane->size(); i++)
                (i % stride < (size_t)width ? packed : gaps).push_back((*plane)[i]);
        EXPECT_EQ(packed, make_test_frame(48, 32, n, 1)) << n;
        EXPECT_EQ(gaps, std::vector<uint8_t>(8 * 32 + 2 * 8 * 16, 0xEE)) << n;
    }
}

// The default end is the last whole frame of the first file at any length; only the frame headers of the
// range are checked, so frames 3 and 4 with longer headers pass outside it; CRLF line ends are accepted.
TEST_F(Startup, RangeReachesTheEndOfLongFilesAndFrameHeadersAreCheckedInItAlone)
{
    int fd = open("long", O_CREAT | O_WRONLY, 0600);  // 1,000,010 frames of 16x16
    ASSERT_EQ(ftruncate(fd, 1000010LL * 384) + close(fd), 0);
    write_text_file("crlf", y4m("YUV4MPEG2 W48 H32 F50:1\r\n", 1, 3, "FRAME\r\n"));
    write_text_file("late", y4m("YUV4MPEG2 W48 H32\n", 1, 3) + y4m("", 1, 2, "FRAME Ip\n"));
    struct { std::string args, expected; } rows[] = {
        {"-size 16x16 -f1 long -s 999998", "s=999998 e=1000009"}, {"-size 16x16 -f1 long -s 1000005", "s=1000005 e=1000009"},
        {"-f1 late -e 2", "s=0 e=2"}, {"-f1 NTSC -f2 late", "e=2"}, {"-f1 crlf -s 1", "size=48x32 e=2 fps=50 s=1"}};
    for (const auto &row : rows) {
        start(row.args);
        for (const std::string &word : words(row.expected))
            EXPECT_NE(settings_text().find(" " + word + " "), std::string::npos)
                << row.args << settings_text();
        if (row.args != rows[4].args)
            reset_run();
    }
    std::vector<uint8_t> bytes(48 * 32 * 3 / 2);
    YuvFrame picture = packed_420_frame(bytes.data(), bytes.data() + 1536, bytes.data() + 1920, 48, 32);
    position_sequence(1, 1);
    ASSERT_TRUE(read_picture(1, &picture));
    EXPECT_EQ(bytes, make_test_frame(48, 32, 1, 1));
}

// Both tables come from the same list; a FIFO without a writer is an empty list.
TEST_F(Startup, FreezeFilesMarkTheFramesOfTheirLines)
{
    const std::string R = ": frame number outside 0..20, line ignored\n", N = ": no frame number, line ignored\n";
    struct { std::string text, marked, count, warnings = ""; } rows[] = {
        {"3\n7\n7\n", "3 7 ", "3"}, {"\n\n  \n\t\n2\n\r\n5\n\n", "2 5 ", "2"},  // blank: no frame 0
        {"4\r\n9\r\n11", "4 9 11 ", "3"}, {"0\n20\n", "0 20 ", "2"}, {"fifo", "", "0"},
        {"000000012\n" + std::string(5000, '0') + "19\n" + std::string(3000, ' ') + "4\n", "4 12 19 ", "3"},
        {"21\n-1\n99999999999999999999999\n6\n", "6 ", "1", "list:2" + R + "list: 2 entries after the end frame 20 ignored\n"},
        {"-0\n99\n", "0 ", "1", "list: 1 entry after the end frame 20 ignored\n"},
        {"1\n\nabc\n# 8\n3 frames\n", "1 3 ", "2", "list:3" + N + "list:4" + N},
    };
    write_test_sequence(".", "small", 16, 16, 1, 21);
    for (const auto &row : rows) {
        std::string list = row.text == "fifo" ? "fifo" : "list", marked;
        write_text_file("list", row.text);
        start("-size 16x16 -f1 small -fr2 " + list + " -fr3 " + list);
        testing::internal::CaptureStderr(), load_freeze_tables();
        EXPECT_EQ(testing::internal::GetCapturedStderr(), row.warnings + row.warnings) << row.text;
        for (FreezeTable *table : {&sequences[2].fr_table, &sequences[3].fr_table})
            for (int n = 0; n <= 20; n++)
                marked += frame_frozen(table, n) ? std::to_string(n) + " " : "";
        EXPECT_EQ(marked + std::to_string(sequences[2].fr_count) + std::to_string(sequences[3].fr_count),
                  row.marked + row.marked + row.count + row.count) << row.text;
        reset_run();
    }
    for (std::string name : {"missing", "dir"}) {  // on standard output, status 255
        EXPECT_EXIT((freopen("out", "w", stdout), start("-f1 A -fr3 " + name), load_freeze_tables()),
                    testing::ExitedWithCode(255), "");
        EXPECT_EQ(read_text_file("out"), "Could not open file: " + name + "\n");
    }
}

// Tables hold what the lists hold: a range near INT_MAX costs nothing and frames above a
// million are held. A file with a NUL byte (a device, a sparse file) or beyond the bound is refused.
TEST_F(Startup, FreezeTablesFollowTheListsNotTheRangeAndOnlyTextWithinTheBoundIsRead)
{
    std::string at_bound(max_freeze_file_bytes, '\n'), no_text = " is not text: it holds a NUL byte\n$";
    for (size_t i = 0; i < at_bound.size(); i += 2)
        at_bound[i] = '7';
    struct { std::string list, text, args; int status; std::string output; } rows[] = {
        {"list", "3\n" + std::string(1, '\0') + "5\n", "", 1, "list" + no_text}, {"/dev/zero", "", "", 1, "zero" + no_text},
        {"huge", "", "", 1, "huge" + no_text}, {"list", at_bound, "", 0, "^33554432 frames: 7\n$"},
        {"list", at_bound + "\n", "", 1, "^Freeze file list is larger than 64 MiB\n$"},
        {"list", "5\n2147482999\n1000001\n", "-e 2147483000", 0, "^3 frames: 5 1000001 2147482999\n$"},
    };
    write_text_file("huge", "");
    ASSERT_EQ(truncate("huge", 384LL * 2147483001), 0);  // sparse, 16x16 frames 0..2147483000
    auto load = [](const std::string &args) {
#if !defined(__SANITIZE_ADDRESS__)  // its shadow memory needs more address space than any limit
        long pages = 0;  // what is mapped now, and 256 MiB more
        FILE *statm = fopen("/proc/self/statm", "r");
        if (!statm || fscanf(statm, "%ld", &pages) != 1) exit(9);
        rlim_t bytes = (rlim_t)pages * sysconf(_SC_PAGESIZE) + (256 << 20);
        struct rlimit limit = {bytes, bytes};
        setrlimit(RLIMIT_AS, &limit);
#endif
        start("-size 16x16 -f1 huge -f2 huge " + args), load_freeze_tables();
        fprintf(stderr, "%d frames:", sequences[2].fr_count);
        for (int n : {0, 5, 6, 7, 1000000, 1000001, 2147482998, 2147482999, 2147483000})
            if (frame_frozen(&sequences[2].fr_table, n)) fprintf(stderr, " %d", n);
        exit(fprintf(stderr, "\n") - 1);
    };
    for (const auto &row : rows) {
        write_text_file("list", row.text);
        EXPECT_EXIT(load(row.args + " -fr2 " + row.list), testing::ExitedWithCode(row.status), row.output) << row.list;
    }
}

// A freeze list without its sequence holds nothing back: a warning line says so, and the run goes on.
TEST_F(Startup, AFreezeListWithoutItsSequenceIsReadAfterAWarning)
{
    auto warning = [](std::string n) { return "Warning: -fr" + n + " list has no sequence to freeze: -f" + n + " was not given\n"; };
    write_text_file("list", "1\n");
    for (auto row : std::vector<std::pair<std::string, std::string>>{{"-f1 A -fr2 list", warning("2")},
             {"-f1 A -f2 B -fr3 list -fr2 list", warning("3")}, {"-fr3 list -f1 A -fr2 list", warning("2") + warning("3")},
             {"-f1 A -f2 B -f3 B -fr2 list -fr3 list", ""}}) {
        testing::internal::CaptureStderr(), start(row.first), load_freeze_tables();
        EXPECT_EQ(other_than_leftovers(testing::internal::GetCapturedStderr()), row.second) << row.first;
        reset_run();
    }
}

TEST(Y4mHeader, GivesSizeRateAndLengthOrSaysWhatIsWrong)
{
    const std::string x(65516, 'x'), no_w = "YUV4MPEG2 header lacks a valid W (width) tag",
        no_end = "YUV4MPEG2 header has no end of line within ", tag = "YUV4MPEG2 chroma tag ",
        only = " is not supported (4:2:0, 4:2:2, 4:4:4 or mono at 8, 10, 12 or 16 bits)", longest = "FRAME " + x.substr(0, 4089) + "\n";
    struct { std::string text, result; } rows[] = {  // unknown tags are skipped, the last W counts
        {"YUV4MPEG2 C420paldv H64 X=1 W32 W80 F30000:1001 Ip\nFRAME\n", "80x64 30000:1001 51"},
        {"YUV4MPEG2 W48 H32 C420mpeg2 F25:0\n", "48x32 0:0 34"}, {"YUV4MPEG2 W48 H32 C420 F25\n", "48x32 0:0 27"},
        {"YUV4MPEG2 W48 H32 F0:1\n", "48x32 0:0 23"}, {"YUV4MPEG2 W48 H32 X" + x + "\n", "48x32 0:0 65536"},
        {"YUV4MPEG2 W48 H32 X" + x + "x\n", no_end + "65536 bytes"}, {"YUV4MPEG2 W48 H32", no_end + "17 bytes"},
        {"YUV4MPEG W48 H32\n", "not a YUV4MPEG2 file"}, {"YUV4MPEG2 W48 H32 C444alpha\n", tag + "C444alpha" + only},
        {"YUV4MPEG2 W48 H32 C420p10\n", "48x32 0:0 26"}, {"YUV4MPEG2 W48 H32 Cmono9\n", tag + "Cmono9" + only}, {"YUV4MPEG2 W48 H32 C\n", tag + "C" + only},
        {"YUV4MPEG2 W48 H32 F9999999999:1 W-48\n", no_w}, {"YUV4MPEG2 W9999999999 H32\n", no_w},
        {"YUV4MPEG2 W48 H32x\n", "YUV4MPEG2 header lacks a valid H (height) tag"},
        {"YUV4MPEG2 W47 H2306\n", "YUV4MPEG2 picture size 47x2306 is not supported (even, 16x16 up to 4096x2304)"},
        {"YUV4MPEG2 W48 H32 XCOLORRANGE=FULL XCOLORRANGE=LIMITED\n", "48x32 0:0 55 range 1"},  // the last counts
        {"YUV4MPEG2 XCOLORRANGE=FULL W48 H32\n", "48x32 0:0 35 range 0"}, {"YUV4MPEG2 W48 H32 XCOLORRANGE=full\n", "48x32 0:0 35"},
    };
    for (const auto &row : rows) {
        std::vector<char> exact(row.text.begin(), row.text.end());  // nothing after it (ASan)
        Y4mHeader h;
        char got[160];  // the error, or what was read
        if (parse_y4m_header(exact.data(), exact.size(), &h, got, sizeof got))
            snprintf(got, sizeof got, "%dx%d %d:%d %zu%s", h.width, h.height, h.rate_numerator, h.rate_denominator,
                     h.length, h.colour_range < 0 ? "" : h.colour_range ? " range 1" : " range 0");
        EXPECT_EQ(got, row.result) << row.text.substr(0, 60);
    }
    // Frame headers: "FRAME", any parameters, a newline within 4 KiB.
    for (auto f : {std::pair<std::string, size_t>{"FRAME\nabc", 6}, {"FRAME Ip XA=1\n..", 14}, {"FRAMES\n", 0},
                   {"FRAME Ip", 0}, {longest, 4096}, {"FRAME x" + longest.substr(6), 0}})
        EXPECT_EQ(y4m_frame_header_length(std::vector<char>(f.first.begin(), f.first.end()).data(), f.first.size()),
                  f.second) << f.first.substr(0, 20);
}

// Whole words between separators; "-" for no format, "!token" for one that looks like a format but is not read.
TEST(NameHints, SizeWordsAndFormatsAreWholeWordsAndUnreadFormatsAreNamed)
{
    struct { const char *name, *result; } rows[] = {
        {"clip_1080p_10bit.yuv", "1920x1080 yuv420p10le"}, {"a.2160P.yuv", "3840x2160 -"}, {"x-4k", "3840x2160 -"},
        {"uhd", "3840x2160 -"}, {"s_1440p", "2560x1440 -"}, {"f_1080i_422p", "1920x1080 yuv422p"},
        {"t_720p_gray10", "1280x720 gray10le"}, {"576p", "720x576 -"}, {"pal_576i", "720x576 -"}, {"ntsc_480p", "720x480 -"},
        {"foreman_cif.yuv", "352x288 -"}, {"foreman_qcif.yuv", "176x144 -"}, {"m_4cif", "704x576 -"},
        {"x1080p", "0x0 -"}, {"1080px", "0x0 -"}, {"clip4k.yuv", "0x0 -"}, {"cifs", "0x0 -"},  // not whole words
        {"2x2_grid_176x144", "176x144 -"}, {"2x2_grid", "2x2 -"}, {"352x288_cif_176x144", "352x288 -"},
        {"yuv444_10bit", "0x0 yuv444p10le"}, {"yuv420", "0x0 yuv420p"}, {"10bit_yuv444.yuv", "0x0 yuv444p10le"},
        {"o_yuv420p10be", "0x0 - !yuv420p10be"}, {"o_yuv420p9", "0x0 - !yuv420p9"}, {"g_gray16be", "0x0 - !gray16be"},
        {"o_yuv422", "0x0 - !yuv422"}, {"hd_1080p_p010", "1920x1080 p010le"}, {"n_NV12", "0x0 nv12"},
        {"v_nv21_10bit", "0x0 nv21"}, {"p010le_yuv444p", "0x0 p010le"}, {"x_p010be", "0x0 - !p010be"}, {"x_nv16", "0x0 - !nv16"},
        {"o_yuv422_422p10", "0x0 yuv422p10le"}, {"o_1920x1080_yuv420p10le.yuv", "1920x1080 yuv420p10le"},
        {"0x8", "0x0 -"}, {"0x0_176x144", "176x144 -"},  // a zero side names no size
    };
    for (const auto &row : rows) {
        NameHints hints;
        read_name_hints(row.name, &hints);
        std::string got = std::to_string(hints.width) + "x" + std::to_string(hints.height) + " " +
                          (hints.format ? hints.format->name : "-") +
                          (hints.format || hints.unread_format.empty() ? "" : " !" + hints.unread_format);
        EXPECT_EQ(got, row.result) << row.name;
    }
}

TEST(Pacing, SleepsTheRestOfThePeriodAndAfterTheClockWasSetBackNoMoreThanOnePeriod)
{
    for (auto c : std::vector<std::vector<long>>{{40000, 10000, 30000}, {40000, 50000, 0}, {40000, 40000, 0},
             {40000, 0, 40000}, {0, 123, 0}, {1, 0, 1}, {40000, -5, 40000}, {40000, -3600000000L, 40000}, {0, -10, 0}})
        EXPECT_EQ(frame_sleep(c[0], c[1]), c[2]) << c[0] << " " << c[1];
    // Whole microseconds, and one more whenever the rest adds up: 30000 frames at 30000/1001 last 1001 s.
    for (auto c : std::vector<std::vector<int64_t>>{{30000, 1001, 30000, 1001000000}, {2997, 100, 2997, 100000000},
             {25, 1, 7, 280000}, {30, 1, 3, 100000}, {1, 999999999, 2, 2 * (int64_t)INT_MAX}}) {
        set_pacing({c[0], c[1]});
        int64_t total = 0;
        for (int k = 0; k < c[2]; k++)
            total += next_frame_period();
        EXPECT_EQ(total, c[3]) << c[0] << "/" << c[1];
    }
}

TEST(ScreenFit, AWindowLargerThanTheScreenIsReportedOnOneLine)
{
    std::string got, larger = " is larger than the screen (1280x1024): the panes show part of each picture\n";
    testing::internal::CaptureStderr();
    for (auto size : {std::pair<int, int>{1280, 1024}, {1281, 100}, {100, 1025}})
        got += std::to_string(warn_if_window_exceeds_screen(size.first, size.second, 1280, 1024));
    EXPECT_EQ(got + testing::internal::GetCapturedStderr(), "011Warning: the main window (1281x100)" + larger +
                                                            "Warning: the main window (100x1025)" + larger);
}

TEST_F(Startup, EmptyPassesCloseTheFilesAndEndWithZeroOrWhenLoopingSleep)
{
    // Looping with a period of 0: still looping after a second, and without 0.2 s of processor time.
    struct itimerval processor_time = {{0, 0}, {0, 200000}};
    EXPECT_EXIT((start("-f1 A -s 5 -e 3 -l -fps 2000000"), setitimer(ITIMER_PROF, &processor_time, nullptr),
                 alarm(1), play()), testing::KilledBySignal(SIGALRM), "");
    start("-f1 A -f2 B -s 5 -e 3");
    auto open_descriptors = [] { return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}); };
    auto before = open_descriptors();
    EXPECT_EQ(play(), 0);
    EXPECT_EQ(open_descriptors(), before - 2);  // both closed
}

TEST_F(Startup, PicturesStartBlackAndBuffersFollowThePictureSizeOrTheMessageEndsTheRun)
{
    std::string long_name = "./" + std::string(300, '/') + "A";
    start("-f1 " + long_name + " -f2 B");
    {
#if defined(__SANITIZE_ADDRESS__)
        __lsan::ScopedDisabler second_start_up_follows;  // these buffers are dropped on purpose
#endif
        allocate_buffers();
    }
    EXPECT_EQ(std::string(sequences[1].yuvname), long_name.substr(0, 255));  // the window's copy is cut, the file opened
    EXPECT_EQ(viewer_buffers.render_buffer_size, 811016);
    for (int64_t i : {(int64_t)0, settings.chroma_size - 1})
        EXPECT_EQ(planes(picture2)[i] + planes(picture2)[settings.luma_size + i] +
                      planes(*difference_of(1))[settings.luma_size + i],
                  0 + 128 + 124);
    reset_run();
    ASSERT_EQ(truncate("RAW", 4096 * 2304 * 3 / 2), 0);
    start("-size 4096x2304 -f1 RAW");
#if defined(__SANITIZE_ADDRESS__)  // its shadow memory needs more address space than the limit
    allocate_buffers();
    EXPECT_EQ(viewer_buffers.render_buffer_size, 4096 * 2304 * 4);
#else
    // Room for the first picture (14 MiB) but not for its rendered buffer (36 MiB).
    EXPECT_EXIT(({
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        rlim_t room = (rlim_t)pages * sysconf(_SC_PAGESIZE) + (40 << 20);
        struct rlimit limit = {room, room};
        setrlimit(RLIMIT_AS, &limit);
        allocate_buffers();
        if (viewer_buffers.render_buffer_size == 4096 * 2304 * 4) exit(7);
    }), ::testing::ExitedWithCode(1), "Out of memory: could not allocate 37748736 bytes for rendered")  // 4096 x 2304 x 4
        << "the buffers fit in 40 MiB more, or the size was wrong";
#endif
}

// Frame `target` shown again after frame `from`: sequence 2 holds what play holds there (its
// last whole picture once it ran out, with the bytes a cut-off one overwrote; black while a
// freeze holds it before its first read), and both files go on where play goes on.
TEST_F(Startup, SeekingLeavesEverySequenceWherePlayHasItAlsoPastItsEnd)
{
    write_test_sequence(".", "C", 176, 144, 2, 4), write_test_sequence(".", "Z", 176, 144, 2, 0, 100), write_text_file("F0", "0\n");
    const struct { const char *second; int from, target, shown, cut, next; } cases[] = {  // Z: 100 bytes, no whole frame
        {"C", 0, 8, 3, 0, -1}, {"B", 0, 5, 0, 100, -1}, {"C -fr2 F0", 5, 0, -1, 0, 0}, {"C", 8, 2, 2, 0, 3}, {"Z", 5, 5, -1, 100, -1}};
    for (const auto &c : cases) {
        start(std::string("-f1 A -f2 ") + c.second);
        {
#if defined(__SANITIZE_ADDRESS__)
            __lsan::ScopedDisabler one_start_up_per_row;
#endif
            allocate_buffers(), load_freeze_tables();
        }
        prepare_seeking();
        load_frame(c.from), load_frame(c.target);
        std::vector<uint8_t> shown = make_test_frame(176, 144, 2, c.shown < 0 ? 0 : c.shown);
        if (c.shown < 0)
            std::fill(shown.begin(), shown.begin() + settings.luma_size, 0),
                std::fill(shown.begin() + settings.luma_size, shown.end(), 128);
        std::fill(shown.begin(), shown.begin() + c.cut, 0x5a);
        EXPECT_TRUE(planes(*picture_of(2)) == shown) << c.second << " at " << c.target;
        EXPECT_TRUE(read_picture(1, picture_of(1)) && planes(*picture_of(1)) == make_test_frame(176, 144, 1, c.target + 1));
        EXPECT_EQ(read_picture(2, picture_of(2)) && planes(*picture_of(2)) == make_test_frame(176, 144, 2, c.next), c.next >= 0)
            << c.second << " at " << c.target;
        reset_run();
    }
}
