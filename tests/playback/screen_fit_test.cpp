// The one-line warning for a main window larger than the screen.
#include <gtest/gtest.h>

#include "screen_fit.h"

static std::string warning_for(int width, int height, int screen_width, int screen_height,
                               int *result)
{
    testing::internal::CaptureStderr();
    *result = warn_if_window_exceeds_screen(width, height, screen_width, screen_height);
    return testing::internal::GetCapturedStderr();
}

TEST(ScreenFit, WindowThatFitsExactlyIsNotReported)
{
    int result;
    EXPECT_EQ(warning_for(1280, 1024, 1280, 1024, &result), "");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(warning_for(528, 488, 1280, 1024, &result), "");
    EXPECT_EQ(result, 0);
}

TEST(ScreenFit, WiderOrTallerWindowIsReportedOnceOnOneLine)
{
    int result;
    EXPECT_EQ(warning_for(3840, 1640, 1280, 1024, &result),
              "Warning: the main window (3840x1640) is larger than the screen (1280x1024) "
              "and may be clipped\n");
    EXPECT_EQ(result, 1);
    EXPECT_EQ(warning_for(1281, 100, 1280, 1024, &result).size() > 0, true);
    EXPECT_EQ(result, 1);
    EXPECT_NE(warning_for(100, 1025, 1280, 1024, &result), "");
    EXPECT_EQ(result, 1);
}
