// Every refusal of the command line and of the first file, seen from outside: the real
// executable, its output streams and its exit status. All of them end the run before a
// display is needed, so DISPLAY is left unset: reaching the display would fail the test.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child_process.h"
#include "test_files.h"

namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome run(const TempDir &temp, const std::vector<std::string> &args)
{
    ChildProcess child(trivista_path(), args, "", temp.path());
    EXPECT_TRUE(child.wait(20)) << "trivista did not end";
    EXPECT_TRUE(child.exited_normally()) << "trivista was killed by signal "
                                         << child.term_signal();
    return {child.exit_status(), child.stdout_text(), child.stderr_text()};
}

std::string usage_text()
{
    return std::string("\n") + "\t\t\tkestrin TrivistaTool\n" +
           "\t\tby the Trivista developers\n" + "\t\t\thttps://trivista.example/\n" + "\n" +
           "Plays up to three concatenated YUV 4:2:0 sequences and shows the differences,\n" +
           "calculates the PSNR value and shows them. Freezing of frames is possible.\n" +
           "Current implementation is only suitable for CIF/QCIF format.\n" + "\nUsage:\n" +
           "\t" + trivista_path() + " [opt.switches] -f1 yuv [-f2 yuv] [-f3 yuv]\n" + "\n" +
           "\nOptional switches:\n\n" + "-CIF\tfor CIF format (default QCIF)\n" +
           "-quiet\tdisable info window\n" + "-l\tloop output\n" +
           "-fps\ttarget frames per second (default: 25)\n" +
           "-nodiff\tshow no difference pictures\n" +
           "-PSNR\tcalculate PSNR value for y component\n" +
           "-fr2\tfile with frames to freeze for PSNR (f2)\n" +
           "-fr3\tfile with frames to freeze for PSNR (f3)\n" +
           "-s #\tstart with frame # (default: first)\n" +
           "-e #\tend with frame # (default: last of first file)\n" + "\n\n";
}

class Refusal : public ::testing::Test {
protected:
    void SetUp() override
    {
        a = write_test_sequence(temp.path(), "a.yuv", 176, 144, 1, 3);
        b = write_test_sequence(temp.path(), "b.yuv", 176, 144, 2, 3);
        c = write_test_sequence(temp.path(), "c.yuv", 176, 144, 3, 3);
    }
    void expect_usage(const std::vector<std::string> &args, int status)
    {
        Outcome outcome = run(temp, args);
        EXPECT_EQ(outcome.status, status);
        EXPECT_EQ(outcome.out, usage_text());
        EXPECT_EQ(outcome.err, "");
    }
    void expect_message(const std::vector<std::string> &args, const std::string &message,
                        int status = 1)
    {
        Outcome outcome = run(temp, args);
        EXPECT_EQ(outcome.status, status);
        EXPECT_NE(outcome.err.find(message), std::string::npos)
            << "stderr was: " << outcome.err;
        EXPECT_EQ(outcome.out, "");
    }
    TempDir temp;
    std::string a, b, c;
};

}  // namespace

TEST_F(Refusal, TooFewArgumentsPrintTheUsageTextExactlyAndExit255)
{
    expect_usage({}, 255);
    expect_usage({"-f1"}, 255);
    expect_usage({a}, 255);
}

TEST_F(Refusal, SequenceFilesOutOfOrderGiveTheUsageTextAndStatus1)
{
    expect_usage({"-f2", b, "-f1", a}, 1);
    expect_usage({"-f1", a, "-f3", c}, 1);
    expect_usage({"-f1", a, "-f2", b, "-f1", c}, 1);
    expect_usage({"-f1", a, "-f1", b, "-f3", c}, 1);
    expect_usage({"-f1", a, "-f2", b, "-f2", c}, 1);
    expect_usage({"-f1", a, "-f2", b, "-f3", c, "-f3", c}, 1);
}

TEST_F(Refusal, NoFirstFileGivesTheUsageTextAndStatus1)
{
    expect_usage({"-l", "-PSNR"}, 1);
    expect_usage({"-s", "3", "-e", "5"}, 1);
}

TEST_F(Refusal, ValueOptionAsLastArgumentGivesTheUsageTextAndStatus1)
{
    for (const char *option : {"-s", "-e", "-fps", "-fr2", "-fr3", "-size", "-f2"})
        expect_usage({"-f1", a, option}, 1);
    expect_usage({"-l", "-f1"}, 1);
}

TEST_F(Refusal, UnopenableSequenceFilesEndTheRunWithStatus3AtOnce)
{
    std::string missing = temp.file("missing.yuv");
    expect_message({"-f1", missing}, "Can't open yuvfile1 for input!\n", 3);
    expect_message({"-f1", a, "-f2", missing}, "Can't open yuvfile2 for input!\n", 3);
    expect_message({"-f1", a, "-f2", b, "-f3", missing}, "Can't open yuvfile3 for input!\n",
                   3);
    // Opened as soon as its option is read: the bad -fps after it is never looked at.
    Outcome outcome = run(temp, {"-f1", missing, "-fps", "0"});
    EXPECT_EQ(outcome.status, 3);
    EXPECT_EQ(outcome.err, "Can't open yuvfile1 for input!\n");
}

TEST_F(Refusal, NonPositiveFrameRateAndNegativeFrameNumbersAreRefused)
{
    expect_message({"-f1", a, "-fps", "0"}, "Frame rate (-fps) must be at least 1: 0\n");
    expect_message({"-f1", a, "-fps", "-25"}, "Frame rate (-fps) must be at least 1: -25\n");
    expect_message({"-f1", a, "-fps", "none"}, "Frame rate (-fps) must be at least 1: 0\n");
    expect_message({"-f1", a, "-s", "-1"}, "Start frame (-s) must not be negative: -1\n");
    expect_message({"-f1", a, "-e", "-3"}, "End frame (-e) must not be negative: -3\n");
}

TEST_F(Refusal, FirstFileWithoutAWholeFrameIsNamedWithTheFrameSize)
{
    std::string empty = temp.file("empty.yuv");
    write_binary_file(empty, {});
    expect_message({"-f1", empty}, empty + " holds no whole frame of 38016 bytes (176x144");

    std::string short_file = temp.file("short.yuv");
    write_binary_file(short_file, std::vector<uint8_t>(38015, 7));
    expect_message({"-f1", short_file},
                   short_file + " holds no whole frame of 38016 bytes (176x144");

    expect_message({"-f1", short_file, "-CIF"},
                   short_file + " holds no whole frame of 152064 bytes (352x288");

    std::string directory = temp.file("dir.yuv");
    ASSERT_EQ(mkdir(directory.c_str(), 0700), 0);
    expect_message({"-f1", directory}, directory + " holds no whole frame of 38016 bytes");
}

TEST_F(Refusal, MalformedOrUnsupportedSizesAreRefused)
{
    for (const char *size : {"175x144", "176x143", "14x16", "16x14", "4098x2304", "4096x2306",
                             "176", "176x", "x144", "176x144x2", "-176x144", "176X144",
                             "99999999999999999999x16", " 176x144"})
        expect_message({"-f1", a, "-size", size},
                       std::string("-size ") + size +
                           ": width and height must be even numbers from 16x16 up to "
                           "4096x2304\n");
}

namespace {

std::string y4m_bytes(const std::string &header, int width, int height, int frames,
                      const std::string &frame_header = "FRAME\n")
{
    std::string bytes = header;
    for (int i = 0; i < frames; i++) {
        std::vector<uint8_t> frame = make_test_frame(width, height, 1, i);
        bytes += frame_header;
        bytes.append(frame.begin(), frame.end());
    }
    return bytes;
}

}  // namespace

TEST_F(Refusal, UnsupportedYuv4mpegChromaIsRefusedNamingFileAndTag)
{
    for (const char *tag : {"C422", "C444", "Cmono", "C420p10"}) {
        std::string path = temp.file(std::string(tag) + ".y4m");
        write_text_file(path, y4m_bytes(std::string("YUV4MPEG2 W48 H32 ") + tag + "\n", 48, 32,
                                        2));
        expect_message({"-f1", a, "-f2", path},
                       path + ": YUV4MPEG2 chroma tag " + tag +
                           " is not supported (only 8-bit 4:2:0)\n");
    }
}

TEST_F(Refusal, YuvMpegFilesOfDifferentSizesAreRefusedNamingBothSizes)
{
    std::string small = temp.file("small.y4m"), large = temp.file("large.y4m");
    write_text_file(small, y4m_bytes("YUV4MPEG2 W48 H32\n", 48, 32, 2));
    write_text_file(large, y4m_bytes("YUV4MPEG2 W64 H32\n", 64, 32, 2));
    expect_message({"-f1", small, "-f2", large},
                   large + ": YUV4MPEG2 picture size 64x32 does not match 48x32 of " + small +
                       "\n");
    expect_message({"-f1", a, "-f2", small, "-CIF"},
                   small + ": YUV4MPEG2 picture size 48x32 does not match the size 352x288 "
                           "given on the command line\n");
    expect_message({"-size", "64x32", "-f1", small},
                   small + ": YUV4MPEG2 picture size 48x32 does not match the size 64x32 "
                           "given on the command line\n");
}

TEST_F(Refusal, YuvMpegFramesMustAllHaveOneHeaderLength)
{
    std::string path = temp.file("varying.y4m");
    write_text_file(path, y4m_bytes("YUV4MPEG2 W48 H32\n", 48, 32, 2) +
                              y4m_bytes("", 48, 32, 1, "FRAME Ip\n"));
    expect_message({"-f1", path}, path + ": frame 2 does not start with a FRAME header of 6 "
                                         "bytes like the first frame");
    std::string headless = temp.file("headless.y4m");
    write_text_file(headless, "YUV4MPEG2 W48 H32\n" + std::string(48 * 32 * 3, 'x'));
    expect_message({"-f1", headless},
                   headless + ": no FRAME header after the YUV4MPEG2 header\n");
}

TEST_F(Refusal, YuvMpegFileWithoutFramesHoldsNoWholeFrame)
{
    std::string path = temp.file("empty.y4m");
    write_text_file(path, "YUV4MPEG2 W48 H32 F25:1\n");
    expect_message({"-f1", path}, path + " holds no whole frame of 2310 bytes (48x32");
}

TEST_F(Refusal, FifoWithoutWriterAsFirstFileIsRefusedInsteadOfHanging)
{
    std::string fifo = temp.file("pipe.yuv");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    expect_message({"-f1", fifo}, fifo + " holds no whole frame of 38016 bytes");
}
