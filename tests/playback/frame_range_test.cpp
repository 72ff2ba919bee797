// Frame range from the first file, positioning and reading, and the picture buffers.
#include <sys/resource.h>
#include <unistd.h>

#include <climits>
#include <cstring>

#include "playback_fixture.h"
#include "sequence.h"
#include "settings.h"
#include "startup.h"

namespace {

class FrameRange : public PlaybackTest {
protected:
    std::string ten_frames(int extra_bytes = 0)
    {
        return write_test_sequence(temp.path(), "ten.yuv", 176, 144, 1, 10, extra_bytes);
    }
};

// Frame `frame` of test sequence `sequence` as a YuvFrame-shaped triple of vectors.
std::vector<uint8_t> picture_bytes(const YuvFrame &picture, int64_t luma, int64_t chroma)
{
    std::vector<uint8_t> bytes(picture.y, picture.y + luma);
    bytes.insert(bytes.end(), picture.u, picture.u + chroma);
    bytes.insert(bytes.end(), picture.v, picture.v + chroma);
    return bytes;
}

#if !defined(__SANITIZE_ADDRESS__)
void limit_address_space(rlim_t bytes)
{
    struct rlimit limit;
    limit.rlim_cur = limit.rlim_max = bytes;
    setrlimit(RLIMIT_AS, &limit);
}
#endif

}  // namespace

TEST_F(FrameRange, WholeFileGivesFramesZeroToLast)
{
    start_up({"-f1", ten_frames()});
    EXPECT_EQ(luma_size, 25344);
    EXPECT_EQ(chroma_size, 6336);
    EXPECT_EQ(frame_size, 38016);
    EXPECT_EQ(start_frame, 0);
    EXPECT_EQ(end_frame, 9);
}

TEST_F(FrameRange, EndBeyondTheFileIsLowered)
{
    start_up({"-f1", ten_frames(), "-e", "50"});
    EXPECT_EQ(end_frame, 9);
    reset_settings();
    start_up({"-f1", ten_frames(), "-e", "4"});
    EXPECT_EQ(end_frame, 4);
}

TEST_F(FrameRange, StartBeyondTheFileIsLoweredToTheLastFrame)
{
    start_up({"-f1", ten_frames(), "-s", "20"});
    EXPECT_EQ(start_frame, 9);
    EXPECT_EQ(end_frame, 9);
}

TEST_F(FrameRange, StartAfterEndStaysAndGivesEmptyPasses)
{
    start_up({"-f1", ten_frames(), "-s", "5", "-e", "3"});
    EXPECT_EQ(start_frame, 5);
    EXPECT_EQ(end_frame, 3);
}

TEST_F(FrameRange, PartialFrameAtTheEndIsIgnored)
{
    start_up({"-f1", ten_frames(100)});
    EXPECT_EQ(end_frame, 9);
    reset_settings();
    start_up({"-f1", ten_frames(38015)});
    EXPECT_EQ(end_frame, 9);
}

TEST_F(FrameRange, OnlyTheFirstFileSetsTheRange)
{
    std::string two = write_test_sequence(temp.path(), "two.yuv", 176, 144, 2, 2);
    start_up({"-f1", ten_frames(), "-f2", two});
    EXPECT_EQ(end_frame, 9);
}

TEST_F(FrameRange, OffsetsBeyondFourGibibytesReadTheRightFrame)
{
    // CIF frame 30005 starts at 4.56 GB: past both 2^31 and 2^32.
    std::string path = temp.file("sparse.yuv");
    const int64_t cif_frame = 152064;
    const int frames = 30010, marked = 30005;
    std::vector<uint8_t> marker = make_test_frame(352, 288, 2, 17);
    FILE *file = fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(ftruncate(fileno(file), frames * cif_frame), 0);
    ASSERT_EQ(fseeko(file, (off_t)(marked * cif_frame), SEEK_SET), 0);
    ASSERT_EQ(fwrite(marker.data(), 1, marker.size(), file), marker.size());
    ASSERT_EQ(fclose(file), 0);

    start_up({"-f1", path, "-CIF", "-s", std::to_string(marked)});
    EXPECT_EQ(start_frame, marked);
    EXPECT_EQ(end_frame, frames - 1);
    EXPECT_EQ(frame_offset(1, marked), (int64_t)marked * cif_frame);
    allocate_buffers();
    position_sequence(1, start_frame);
    ASSERT_TRUE(read_picture(1, &picture1));
    EXPECT_EQ(picture_bytes(picture1, luma_size, chroma_size), marker);
    // The frame after it is a hole of zeros.
    ASSERT_TRUE(read_picture(1, &picture1));
    EXPECT_EQ(picture1.y[0], 0);
}

TEST_F(FrameRange, PositioningClearsTheEndOfFileAndRestartsEveryStream)
{
    std::string second = write_test_sequence(temp.path(), "b.yuv", 176, 144, 2, 10);
    start_up({"-f1", ten_frames(), "-f2", second, "-s", "3"});
    allocate_buffers();
    for (int n = 1; n <= 2; n++)
        position_sequence(n, 9);
    ASSERT_TRUE(read_picture(1, &picture1));
    EXPECT_FALSE(read_picture(1, &picture1));
    EXPECT_TRUE(feof(yuvfile1));
    for (int n = 1; n <= 2; n++)
        position_sequence(n, start_frame);
    EXPECT_FALSE(feof(yuvfile1));
    ASSERT_TRUE(read_picture(1, &picture1));
    ASSERT_TRUE(read_picture(2, &picture2));
    EXPECT_EQ(picture_bytes(picture1, luma_size, chroma_size), make_test_frame(176, 144, 1, 3));
    EXPECT_EQ(picture_bytes(picture2, luma_size, chroma_size), make_test_frame(176, 144, 2, 3));
}

TEST_F(FrameRange, ShortReadFillsTheStartOfThePlaneAndKeepsTheRest)
{
    // One frame, then the first 100 luma bytes of a second one.
    std::string path = write_test_sequence(temp.path(), "short.yuv", 176, 144, 1, 1);
    std::vector<uint8_t> bytes = read_binary_file(path);
    std::vector<uint8_t> next = make_test_frame(176, 144, 1, 1);
    bytes.insert(bytes.end(), next.begin(), next.begin() + 100);
    write_binary_file(path, bytes);

    start_up({"-f1", path});
    allocate_buffers();
    position_sequence(1, 0);
    ASSERT_TRUE(read_picture(1, &picture1));
    std::vector<uint8_t> before = picture_bytes(picture1, luma_size, chroma_size);
    EXPECT_FALSE(read_picture(1, &picture1));
    EXPECT_TRUE(feof(yuvfile1));
    std::vector<uint8_t> after = picture_bytes(picture1, luma_size, chroma_size);
    std::vector<uint8_t> expected = before;
    std::copy(next.begin(), next.begin() + 100, expected.begin());
    EXPECT_EQ(after, expected);
}

TEST_F(FrameRange, PicturesStartBlackAndDifferenceChromaIs124)
{
    start_up({"-f1", ten_frames()});
    allocate_buffers();
    for (const YuvFrame *picture : {&picture1, &picture2, &picture3}) {
        EXPECT_EQ(std::vector<uint8_t>(picture->y, picture->y + luma_size),
                  std::vector<uint8_t>(luma_size, 0));
        EXPECT_EQ(std::vector<uint8_t>(picture->u, picture->u + chroma_size),
                  std::vector<uint8_t>(chroma_size, 128));
        EXPECT_EQ(std::vector<uint8_t>(picture->v, picture->v + chroma_size),
                  std::vector<uint8_t>(chroma_size, 128));
    }
    for (const YuvFrame *diff : {&diff1, &diff2, &diff3}) {
        EXPECT_EQ(std::vector<uint8_t>(diff->u, diff->u + chroma_size),
                  std::vector<uint8_t>(chroma_size, 124));
        EXPECT_EQ(std::vector<uint8_t>(diff->v, diff->v + chroma_size),
                  std::vector<uint8_t>(chroma_size, 124));
    }
    // Six distinct buffers, none sharing memory with another.
    std::vector<unsigned char *> buffers = {rendered1,      rendered2,      rendered3,
                                            diff_rendered1, diff_rendered2, diff_rendered3};
    for (unsigned char *buffer : buffers)
        memset(buffer, 0xAB, (size_t)render_buffer_size);
    EXPECT_EQ(render_buffer_size, 811016);
}

TEST_F(FrameRange, RenderBuffersGrowForLargePicturesButNeverShrink)
{
    write_test_sequence(temp.path(), "hd.yuv", 1280, 720, 1, 1);
    start_up({"-f1", temp.file("hd.yuv"), "-size", "1280x720"});
    allocate_buffers();
    EXPECT_EQ(render_buffer_size, 1280 * 720 * 4);
    memset(diff_rendered3, 1, (size_t)render_buffer_size);

    reset_settings();
    write_test_sequence(temp.path(), "small.yuv", 48, 32, 1, 1);
    start_up({"-f1", temp.file("small.yuv"), "-size", "48x32"});
    allocate_buffers();
    EXPECT_EQ(render_buffer_size, 811016);
}

TEST_F(FrameRange, FailedAllocationEndsTheRunWithAMessage)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "an address-space limit cannot be combined with the address sanitizer";
#else
    write_test_sequence(temp.path(), "big.yuv", 4096, 2304, 1, 1);
    start_up({"-f1", temp.file("big.yuv"), "-size", "4096x2304"});
    EXPECT_EXIT(
        {
            limit_address_space(256u << 20);  // far below six 37 MB buffers and the planes
            allocate_buffers();
        },
        ::testing::ExitedWithCode(1), "Out of memory: could not allocate [0-9]+ bytes for ");
#endif
}
