// Freeze files: one frame number per line, read as whole lines of any length.
#include <sys/stat.h>

#include <cstdio>
#include <vector>

#include "options.h"
#include "playback_fixture.h"
#include "settings.h"
#include "startup.h"

namespace {

class FreezeFile : public PlaybackTest {
protected:
    void SetUp() override
    {
        PlaybackTest::SetUp();
        end_frame = 20;
        table.assign(end_frame + 1, 0);
    }
    // Loads `text` and returns the marked frames; stderr is kept in `warnings`.
    std::vector<int> load(const std::string &text)
    {
        std::string path = temp.file("freeze.txt");
        write_text_file(path, text);
        table.assign(end_frame + 1, 0);
        testing::internal::CaptureStderr();
        count = loadfreezefile(path.c_str(), table.data());
        warnings = testing::internal::GetCapturedStderr();
        std::vector<int> marked;
        for (int n = 0; n <= end_frame; n++)
            if (table[n])
                marked.push_back(n);
        return marked;
    }
    std::vector<unsigned char> table;
    int count = -1;
    std::string warnings;
};

}  // namespace

TEST_F(FreezeFile, RepeatedNumbersMarkOnceButCountEachLine)
{
    EXPECT_EQ(load("3\n7\n7\n"), (std::vector<int>{3, 7}));
    EXPECT_EQ(count, 3);
    EXPECT_EQ(warnings, "");
}

TEST_F(FreezeFile, BlankLinesAreSkippedAndNeverMarkFrameZero)
{
    EXPECT_EQ(load("5\n\n"), (std::vector<int>{5}));
    EXPECT_EQ(count, 1);
    EXPECT_EQ(load("\n\n  \n\t\n2\n\r\n"), (std::vector<int>{2}));
    EXPECT_EQ(count, 1);
    EXPECT_EQ(warnings, "");
}

TEST_F(FreezeFile, LongLinesAreReadWholeNotInPieces)
{
    EXPECT_EQ(load("000000012\n"), (std::vector<int>{12}));
    EXPECT_EQ(count, 1);
    EXPECT_EQ(load(std::string(5000, '0') + "19\n" + std::string(3000, ' ') + "4\n"),
              (std::vector<int>{4, 19}));
    EXPECT_EQ(count, 2);
}

TEST_F(FreezeFile, WindowsLineEndsAndAMissingFinalNewlineAreAccepted)
{
    EXPECT_EQ(load("4\r\n9\r\n11"), (std::vector<int>{4, 9, 11}));
    EXPECT_EQ(count, 3);
    EXPECT_EQ(warnings, "");
}

TEST_F(FreezeFile, FrameZeroAndTheEndFrameAreInRange)
{
    EXPECT_EQ(load("0\n20\n"), (std::vector<int>{0, 20}));
    EXPECT_EQ(count, 2);
}

TEST_F(FreezeFile, NumbersOutsideTheRangeAreIgnoredWithTheLineNumber)
{
    std::string path = temp.file("freeze.txt");
    EXPECT_EQ(load("21\n-1\n99999999999999999999999\n6\n"), (std::vector<int>{6}));
    EXPECT_EQ(count, 1);
    EXPECT_EQ(warnings, path + ":1: frame number outside 0..20, line ignored\n" + path +
                            ":2: frame number outside 0..20, line ignored\n" + path +
                            ":3: frame number outside 0..20, line ignored\n");
}

TEST_F(FreezeFile, LinesWithoutANumberAreIgnoredWithTheLineNumber)
{
    std::string path = temp.file("freeze.txt");
    EXPECT_EQ(load("1\n\nabc\n# 8\n3 frames\n"), (std::vector<int>{1, 3}));
    EXPECT_EQ(count, 2);
    // Blank lines are not reported but still count as lines.
    EXPECT_EQ(warnings, path + ":3: no frame number, line ignored\n" + path +
                            ":4: no frame number, line ignored\n");
}

TEST_F(FreezeFile, TablesAreSizedToTheFrameRangeAndFilledFromTheirFiles)
{
    std::string seq = write_test_sequence(temp.path(), "a.yuv", 176, 144, 1, 8);
    write_text_file(temp.file("f2.txt"), "2\n5\n");
    write_text_file(temp.file("f3.txt"), "7\n8\n");
    start_up({"-f1", seq, "-fr2", temp.file("f2.txt"), "-fr3", temp.file("f3.txt")});
    testing::internal::CaptureStderr();
    load_freeze_tables();
    std::string err = testing::internal::GetCapturedStderr();
    ASSERT_NE(fr2_table, nullptr);
    ASSERT_NE(fr3_table, nullptr);
    EXPECT_EQ(std::vector<unsigned char>(fr2_table, fr2_table + 8),
              (std::vector<unsigned char>{0, 0, 1, 0, 0, 1, 0, 0}));
    EXPECT_EQ(std::vector<unsigned char>(fr3_table, fr3_table + 8),
              (std::vector<unsigned char>{0, 0, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(fr2_count, 2);
    // Frame 8 lies beyond the last frame (7) of the first file.
    EXPECT_EQ(fr3_count, 1);
    EXPECT_NE(err.find("f3.txt:2: frame number outside 0..7"), std::string::npos);
}

TEST_F(FreezeFile, MissingOrUnreadableFileEndsTheRunWith255OnStdout)
{
    for (std::string name : {temp.file("missing.txt"), temp.path()}) {
        std::string captured = temp.file("stdout.txt");
        EXPECT_EXIT(
            {
                freopen(captured.c_str(), "w", stdout);
                loadfreezefile(name.c_str(), table.data());
            },
            ::testing::ExitedWithCode(255), "");
        EXPECT_EQ(read_text_file(captured), "Could not open file: " + name + "\n");
    }
}

TEST_F(FreezeFile, FifoWithoutWriterReadsAsEmptyInsteadOfHanging)
{
    std::string fifo = temp.file("pipe.txt");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(loadfreezefile(fifo.c_str(), table.data()), 0);
}
