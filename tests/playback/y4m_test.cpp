// YUV4MPEG2 input: header parsing, frame positions, size agreement, frame rate.
#include <cstdlib>
#include <cstring>
#include <string>

#include "options.h"
#include "playback_fixture.h"
#include "sequence.h"
#include "settings.h"
#include "startup.h"
#include "y4m.h"

namespace {

struct Parsed {
    bool ok;
    Y4mHeader header;
    std::string error;
};

Parsed parse_header(const std::string &text)
{
    Parsed parsed{};
    char error[200] = "";
    parsed.ok = parse_y4m_header(text.data(), text.size(), &parsed.header, error, sizeof error);
    parsed.error = error;
    return parsed;
}

std::string y4m_file(const std::string &stream_header,
                     const std::vector<std::vector<uint8_t>> &frames,
                     const std::string &frame_header = "FRAME\n")
{
    std::string bytes = stream_header;
    for (const auto &frame : frames) {
        bytes += frame_header;
        bytes.append(frame.begin(), frame.end());
    }
    return bytes;
}

std::vector<std::vector<uint8_t>> test_frames(int width, int height, int sequence, int count)
{
    std::vector<std::vector<uint8_t>> frames;
    for (int i = 0; i < count; i++)
        frames.push_back(make_test_frame(width, height, sequence, i));
    return frames;
}

std::vector<uint8_t> picture_bytes(const YuvFrame &picture)
{
    std::vector<uint8_t> bytes(picture.y, picture.y + luma_size);
    bytes.insert(bytes.end(), picture.u, picture.u + chroma_size);
    bytes.insert(bytes.end(), picture.v, picture.v + chroma_size);
    return bytes;
}

}  // namespace

TEST(Y4mHeader, ReadsSizeRateAndLengthOfACommonHeader)
{
    std::string text = "YUV4MPEG2 W176 H144 F30000:1001 Ip A0:0 C420jpeg XYSCSS=420JPEG\n";
    Parsed parsed = parse_header(text + "FRAME\n");
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.header.width, 176);
    EXPECT_EQ(parsed.header.height, 144);
    EXPECT_EQ(parsed.header.rate_numerator, 30000);
    EXPECT_EQ(parsed.header.rate_denominator, 1001);
    EXPECT_EQ(parsed.header.length, text.size());
}

TEST(Y4mHeader, AcceptsEveryEightBitFourTwoZeroChromaAndNone)
{
    for (const char *chroma : {" C420jpeg", " C420paldv", " C420mpeg2", " C420", ""}) {
        Parsed parsed = parse_header(std::string("YUV4MPEG2 W48 H32") + chroma + "\n");
        EXPECT_TRUE(parsed.ok) << chroma << ": " << parsed.error;
        EXPECT_EQ(parsed.header.width, 48);
        EXPECT_EQ(parsed.header.height, 32);
    }
}

TEST(Y4mHeader, RefusesOtherChromaAndBitDepthsNamingTheTag)
{
    for (const char *tag : {"C422", "C444", "Cmono", "C420p10", "C444alpha", "C411", "C"}) {
        Parsed parsed = parse_header(std::string("YUV4MPEG2 W48 H32 ") + tag + " F25:1\n");
        EXPECT_FALSE(parsed.ok) << tag;
        EXPECT_EQ(parsed.error, std::string("YUV4MPEG2 chroma tag ") + tag +
                                    " is not supported (only 8-bit 4:2:0)");
    }
}

TEST(Y4mHeader, TagsMayComeInAnyOrderAndTheLastOfATagWins)
{
    Parsed parsed = parse_header("YUV4MPEG2 C420 H64 Xcomment=yes W32 W80 F50:2\n");
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.header.width, 80);
    EXPECT_EQ(parsed.header.height, 64);
    EXPECT_EQ(parsed.header.rate_numerator, 50);
    EXPECT_EQ(parsed.header.rate_denominator, 2);
}

TEST(Y4mHeader, UnusableRateCountsAsAbsent)
{
    for (const char *rate : {"F0:0", "F25:0", "F0:1", "F25", "Fx:1", "F99999999999:1", ""}) {
        Parsed parsed = parse_header(std::string("YUV4MPEG2 W48 H32 ") + rate + "\n");
        ASSERT_TRUE(parsed.ok) << rate;
        EXPECT_EQ(parsed.header.rate_numerator, 0) << rate;
        EXPECT_EQ(parsed.header.rate_denominator, 0) << rate;
    }
}

TEST(Y4mHeader, RefusesMissingMalformedOrUnsupportedSizes)
{
    EXPECT_EQ(parse_header("YUV4MPEG2 H32\n").error,
              "YUV4MPEG2 header lacks a valid W (width) tag");
    EXPECT_EQ(parse_header("YUV4MPEG2 W48\n").error,
              "YUV4MPEG2 header lacks a valid H (height) tag");
    EXPECT_FALSE(parse_header("YUV4MPEG2 W-48 H32\n").ok);
    EXPECT_FALSE(parse_header("YUV4MPEG2 W48x H32\n").ok);
    EXPECT_FALSE(parse_header("YUV4MPEG2 W9999999999 H32\n").ok);
    EXPECT_EQ(parse_header("YUV4MPEG2 W47 H32\n").error,
              "YUV4MPEG2 picture size 47x32 is not supported (even, 16x16 up to 4096x2304)");
    EXPECT_FALSE(parse_header("YUV4MPEG2 W4098 H32\n").ok);
    EXPECT_FALSE(parse_header("YUV4MPEG2 W48 H2306\n").ok);
    EXPECT_FALSE(parse_header("YUV4MPEG2 W14 H32\n").ok);
}

TEST(Y4mHeader, RefusesAHeaderWithoutMagicOrEndOfLine)
{
    EXPECT_EQ(parse_header("YUV4MPEG W48 H32\n").error, "not a YUV4MPEG2 file");
    EXPECT_EQ(parse_header("").error, "not a YUV4MPEG2 file");
    EXPECT_EQ(parse_header("YUV4MPEG2 W48 H32").error,
              "YUV4MPEG2 header has no end of line within 17 bytes");
}

TEST(Y4mHeader, NeverReadsPastTheGivenBytes)
{
    // Every prefix of a valid header, in a buffer of exactly that size (ASan checks).
    std::string text = "YUV4MPEG2 W48 H32 F25:1 C420jpeg\nFRAME Ixx\n";
    for (size_t n = 0; n <= text.size(); n++) {
        std::vector<char> exact(text.begin(), text.begin() + n);
        Y4mHeader header;
        char error[100];
        bool ok = parse_y4m_header(exact.data(), n, &header, error, sizeof error);
        EXPECT_EQ(ok, n >= 33) << n;
        y4m_frame_header_length(exact.data(), n);
    }
}

TEST(Y4mFrameHeader, LengthIncludesParametersAndTheNewline)
{
    EXPECT_EQ(y4m_frame_header_length("FRAME\nabc", 9), 6u);
    EXPECT_EQ(y4m_frame_header_length("FRAME Ip XA=1\n..", 16), 14u);
    EXPECT_EQ(y4m_frame_header_length("FRAMES\n", 7), 0u);
    EXPECT_EQ(y4m_frame_header_length("FRAM\n", 5), 0u);
    EXPECT_EQ(y4m_frame_header_length("FRAME", 5), 0u);
    EXPECT_EQ(y4m_frame_header_length("FRAME Ip", 8), 0u);
    EXPECT_EQ(y4m_frame_header_length("frame\n", 6), 0u);
}

class Y4mInput : public PlaybackTest {
protected:
    std::string write(const std::string &name, const std::string &bytes)
    {
        std::string path = temp.file(name);
        write_text_file(path, bytes);
        return path;
    }
};

TEST_F(Y4mInput, FileWrittenByFfmpegReadsExactlyLikeTheRawPlanes)
{
    std::string raw = write_test_sequence(temp.path(), "raw.yuv", 176, 144, 2, 6);
    std::string y4m = temp.file("ffmpeg.y4m");
    std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -f rawvideo "
                          "-pix_fmt yuv420p -s 176x144 -r 25 -i '" + raw +
                          "' -f yuv4mpegpipe -y '" + y4m + "'";
    ASSERT_EQ(system(command.c_str()), 0) << command;

    start_up({"-f1", y4m, "-f2", raw, "-s", "1"});
    EXPECT_EQ(end_frame, 5);
    EXPECT_GT(sequence_header_bytes(1), 0);
    EXPECT_EQ(sequence_frame_header_bytes(1), 6);
    EXPECT_EQ(sequence_header_bytes(2), 0);
    allocate_buffers();
    position_sequence(1, start_frame);
    position_sequence(2, start_frame);
    for (int frame_number = 1; frame_number <= end_frame; frame_number++) {
        ASSERT_TRUE(read_picture(1, &picture1));
        ASSERT_TRUE(read_picture(2, &picture2));
        EXPECT_EQ(picture_bytes(picture1), picture_bytes(picture2)) << frame_number;
        EXPECT_EQ(picture_bytes(picture1), make_test_frame(176, 144, 2, frame_number));
    }
}

TEST_F(Y4mInput, FramesWithParametersAreFoundAtHeaderPlusWholeFrames)
{
    std::string header = "YUV4MPEG2 W48 H32 F25:1 C420mpeg2\n";
    std::string path = write("params.y4m", y4m_file(header, test_frames(48, 32, 1, 4),
                                                   "FRAME Ip XT=12\n"));
    start_up({"-f1", path});
    EXPECT_EQ(frame_offset(1, 3), (int64_t)header.size() + 3 * (15 + 48 * 32 * 3 / 2));
    EXPECT_EQ(end_frame, 3);
    allocate_buffers();
    position_sequence(1, 2);
    ASSERT_TRUE(read_picture(1, &picture1));
    EXPECT_EQ(picture_bytes(picture1), make_test_frame(48, 32, 1, 2));
}

TEST_F(Y4mInput, PictureSizeComesFromTheFirstHeaderAndRawFilesTakeIt)
{
    std::string raw = write_test_sequence(temp.path(), "raw.yuv", 48, 32, 1, 3);
    std::string y4m = write("b.y4m", y4m_file("YUV4MPEG2 W48 H32\n", test_frames(48, 32, 2, 3)));
    start_up({"-f1", raw, "-f2", y4m});
    EXPECT_EQ(horizontal_size, 48);
    EXPECT_EQ(coded_picture_width, 48);
    EXPECT_EQ(vertical_size, 32);
    EXPECT_EQ(coded_picture_height, 32);
    EXPECT_EQ(frame_size, 48 * 32 * 3 / 2);
    EXPECT_EQ(end_frame, 2);
}

TEST_F(Y4mInput, TruncatedLastFrameIsLeftOutOfTheRange)
{
    std::string bytes = y4m_file("YUV4MPEG2 W48 H32\n", test_frames(48, 32, 1, 5));
    bytes.resize(bytes.size() - 1);
    start_up({"-f1", write("cut.y4m", bytes)});
    EXPECT_EQ(end_frame, 3);
    reset_settings();
    bytes = y4m_file("YUV4MPEG2 W48 H32\n", test_frames(48, 32, 1, 5)) + "FRA";
    start_up({"-f1", write("cut2.y4m", bytes)});
    EXPECT_EQ(end_frame, 4);
}

TEST_F(Y4mInput, FrameRateOfTheFirstFileIsTheDefaultUnlessFpsIsGiven)
{
    std::string ntsc = write("ntsc.y4m", y4m_file("YUV4MPEG2 W48 H32 F30000:1001\n",
                                                  test_frames(48, 32, 1, 1)));
    std::string pal = write("pal.y4m", y4m_file("YUV4MPEG2 W48 H32 F50:1\n",
                                                test_frames(48, 32, 2, 1)));
    start_up({"-f1", ntsc, "-f2", pal});
    set_frame_period();
    EXPECT_EQ(fps, 30);
    EXPECT_EQ(frame_period, 33366);

    reset_settings();
    start_up({"-f1", ntsc, "-fps", "10"});
    set_frame_period();
    EXPECT_EQ(fps, 10);
    EXPECT_EQ(frame_period, 100000);

    reset_settings();
    start_up({"-f1", pal, "-f2", ntsc});
    set_frame_period();
    EXPECT_EQ(fps, 50);
    EXPECT_EQ(frame_period, 20000);
}

TEST_F(Y4mInput, RawFirstFileKeepsTheDefaultRate)
{
    std::string raw = write_test_sequence(temp.path(), "raw.yuv", 48, 32, 1, 2);
    std::string y4m = write("b.y4m", y4m_file("YUV4MPEG2 W48 H32 F60:1\n",
                                              test_frames(48, 32, 2, 2)));
    start_up({"-f1", raw, "-f2", y4m});
    set_frame_period();
    EXPECT_EQ(fps, 25);
    EXPECT_EQ(frame_period, 40000);
}
