// The option loop: the cursor rule, values, file order and the hook for extra options.
#include <sys/stat.h>

#include <climits>
#include <string>

#include "options.h"
#include "playback_fixture.h"
#include "sequence.h"
#include "settings.h"

class OptionLoop : public PlaybackTest {
protected:
    void SetUp() override
    {
        PlaybackTest::SetUp();
        a = write_test_sequence(temp.path(), "a.yuv", 176, 144, 1, 3);
        b = write_test_sequence(temp.path(), "b.yuv", 176, 144, 2, 3);
        c = write_test_sequence(temp.path(), "c.yuv", 176, 144, 3, 3);
    }
    std::string a, b, c;
};

TEST_F(OptionLoop, SwitchesStepBackSoTheNextArgumentIsReadAsAnOption)
{
    parse({"-f1", a, "-l", "-PSNR", "-nodiff", "-quiet", "-f2", b});
    EXPECT_EQ(loop, 1);
    EXPECT_EQ(psnr, 1);
    EXPECT_EQ(nodiff, 1);
    EXPECT_EQ(quiet, 1);
    EXPECT_EQ(expand, 2);
    EXPECT_NE(yuvfile2, nullptr);
}

TEST_F(OptionLoop, DefaultsHoldWhenNoOptionChangesThem)
{
    parse({"-f1", a});
    EXPECT_EQ(fps, 25);
    EXPECT_EQ(loop, 0);
    EXPECT_EQ(psnr, 0);
    EXPECT_EQ(start_frame, 0);
    EXPECT_EQ(end_frame, 1000000);
    EXPECT_EQ(horizontal_size, 176);
    EXPECT_EQ(vertical_size, 144);
    EXPECT_EQ(fps_given, 0);
    EXPECT_EQ(size_given, 0);
}

TEST_F(OptionLoop, UnknownOptionSwallowsTheNextArgumentAndNamesBothOnStderr)
{
    testing::internal::CaptureStderr();
    parse({"-f1", a, "-x", "-l"});
    std::string warning = testing::internal::GetCapturedStderr();
    EXPECT_EQ(loop, 0);
    EXPECT_EQ(warning, "Unknown option -x skipped together with -l\n");
}

TEST_F(OptionLoop, MisspelledOptionIsReportedNotSilentlyLost)
{
    testing::internal::CaptureStderr();
    parse({"-f1", a, "-PSRN", "-l"});
    std::string warning = testing::internal::GetCapturedStderr();
    EXPECT_EQ(psnr, 0);
    EXPECT_NE(warning.find("-PSRN"), std::string::npos);
}

TEST_F(OptionLoop, UnknownOptionAsLastArgumentIsNamedAlone)
{
    testing::internal::CaptureStderr();
    parse({"-f1", a, "-l", "-bogus"});
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Unknown option -bogus skipped\n");
    EXPECT_EQ(loop, 1);
}

TEST_F(OptionLoop, ValueOptionTakesTheNextArgumentWhateverItLooksLike)
{
    start_frame = 7;
    parse({"-f1", a, "-s", "-l"});
    EXPECT_EQ(start_frame, 0);
    EXPECT_EQ(loop, 0);
}

TEST_F(OptionLoop, CifAfterTheFirstFileStillSetsBothSizes)
{
    write_test_sequence(temp.path(), "cif.yuv", 352, 288, 1, 2);
    start_up({"-f1", temp.file("cif.yuv"), "-l", "-CIF"});
    EXPECT_EQ(loop, 1);
    EXPECT_EQ(horizontal_size, 352);
    EXPECT_EQ(vertical_size, 288);
    EXPECT_EQ(coded_picture_width, 352);
    EXPECT_EQ(coded_picture_height, 288);
    EXPECT_EQ(frame_size, 152064);
    EXPECT_EQ(end_frame, 1);
}

TEST_F(OptionLoop, LaterValuesOverrideEarlierOnes)
{
    parse({"-f1", a, "-s", "3", "-s", "5", "-e", "9", "-e", "8", "-fps", "10", "-fps", "12",
           "-fr2", "one", "-fr2", "two"});
    EXPECT_EQ(start_frame, 5);
    EXPECT_EQ(end_frame, 8);
    EXPECT_EQ(fps, 12);
    EXPECT_STREQ(fr2_name, "two");
    EXPECT_STREQ(fr2_path, "two");
    EXPECT_EQ(fr2, 1);
}

TEST_F(OptionLoop, NumbersFollowAtoiRulesAndClampInsteadOfOverflowing)
{
    parse({"-f1", a, "-s", "  12abc", "-e", "99999999999999999999", "-fps", "+30"});
    EXPECT_EQ(start_frame, 12);
    EXPECT_EQ(end_frame, INT_MAX);
    EXPECT_EQ(fps, 30);
    reset_settings();
    parse({"-f1", a, "-s", "abc", "-e", "0x10"});
    EXPECT_EQ(start_frame, 0);
    EXPECT_EQ(end_frame, 0);
    EXPECT_EQ(parse_number("-99999999999999999999"), INT_MIN);
}

TEST_F(OptionLoop, SequencesOpenInOrderAndKeepTheirNames)
{
    parse({"-f1", a, "-f2", b, "-f3", c});
    EXPECT_EQ(expand, 3);
    EXPECT_STREQ(yuvname1, a.c_str());
    EXPECT_STREQ(yuvname2, b.c_str());
    EXPECT_STREQ(yuvname3, c.c_str());
    EXPECT_EQ(std::string(yuv_path[3]), c);
    // Each stream is the file of its option: sequence 3's first luma sample differs.
    unsigned char first[3];
    for (FILE *f : {yuvfile1, yuvfile2, yuvfile3})
        ASSERT_EQ(fread(&first[f == yuvfile1 ? 0 : f == yuvfile2 ? 1 : 2], 1, 1, f), 1u);
    EXPECT_EQ(first[0], make_test_frame(176, 144, 1, 0)[0]);
    EXPECT_EQ(first[1], make_test_frame(176, 144, 2, 0)[0]);
    EXPECT_EQ(first[2], make_test_frame(176, 144, 3, 0)[0]);
}

TEST_F(OptionLoop, LongFileNamesOpenInFullAndAreCutOnlyForDisplay)
{
    std::string long_dir = temp.path();
    for (int i = 0; i < 4; i++) {
        long_dir += "/" + std::string(100, 'd');
        ASSERT_EQ(mkdir(long_dir.c_str(), 0700), 0);
    }
    std::string path = write_test_sequence(long_dir, std::string(200, 'n') + ".yuv", 176, 144,
                                           1, 2);
    ASSERT_GT(path.size(), 600u);
    start_up({"-f1", path, "-fr2", path});
    EXPECT_EQ(std::string(yuv_path[1]), path);
    EXPECT_EQ(std::string(yuvname1), path.substr(0, 255));
    EXPECT_EQ(std::string(fr2_name), path.substr(0, 255));
    EXPECT_EQ(std::string(fr2_path), path);
    EXPECT_EQ(end_frame, 1);
}

TEST_F(OptionLoop, PsnrNeedsAtLeastTwoSequences)
{
    start_up({"-f1", a, "-PSNR"});
    EXPECT_EQ(expand, 1);
    EXPECT_EQ(psnr, 0);
    reset_settings();
    start_up({"-f1", a, "-PSNR", "-f2", b});
    EXPECT_EQ(psnr, 1);
}

TEST_F(OptionLoop, SizeSetsBothPictureSizesAndTheLastSizeOptionWins)
{
    parse({"-f1", a, "-size", "320x240"});
    EXPECT_EQ(horizontal_size, 320);
    EXPECT_EQ(coded_picture_width, 320);
    EXPECT_EQ(vertical_size, 240);
    EXPECT_EQ(coded_picture_height, 240);
    EXPECT_EQ(size_given, 1);
    reset_settings();
    parse({"-f1", a, "-size", "320x240", "-CIF"});
    EXPECT_EQ(horizontal_size, 352);
    EXPECT_EQ(vertical_size, 288);
    reset_settings();
    parse({"-f1", a, "-CIF", "-size", "1280x720"});
    EXPECT_EQ(horizontal_size, 1280);
    EXPECT_EQ(vertical_size, 720);
}

static std::vector<std::string> hook_calls;
static int report_hook(const char *name, const char *value)
{
    hook_calls.push_back(std::string(name) + "=" + (value ? value : "(none)"));
    if (std::string(name) == "-csv")
        return 2;
    if (std::string(name) == "-summary")
        return 1;
    return 0;
}

TEST_F(OptionLoop, HookSeesOnlyOptionsThatAreNotOursAndKeepsTheCursorRule)
{
    hook_calls.clear();
    std::vector<std::string> args = {"trivista", "-f1", a, "-summary", "-csv", "out.csv",
                                     "-l", "-PSNR", "-f2", b};
    std::vector<char *> argv;
    for (std::string &s : args)
        argv.push_back(&s[0]);
    argv.push_back(nullptr);
    parse_options((int)args.size(), argv.data(), report_hook);
    EXPECT_EQ(hook_calls, (std::vector<std::string>{"-summary=-csv", "-csv=out.csv"}));
    EXPECT_EQ(loop, 1);
    EXPECT_EQ(psnr, 1);
    EXPECT_EQ(expand, 2);
}

TEST_F(OptionLoop, FifoWithoutWriterAsLaterSequenceOpensWithoutBlocking)
{
    std::string fifo = temp.file("pipe.yuv");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    start_up({"-f1", a, "-f2", fifo});
    EXPECT_EQ(expand, 2);
    EXPECT_EQ(end_frame, 2);
}
