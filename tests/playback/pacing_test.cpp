// Frame period and the sleep after each frame.
#include <gtest/gtest.h>

#include "pacing.h"

TEST(FramePeriod, IsAMillionMicrosecondsDividedByTheRateTruncated)
{
    EXPECT_EQ(compute_frame_period(25), 40000);
    EXPECT_EQ(compute_frame_period(30), 33333);
    EXPECT_EQ(compute_frame_period(1), 1000000);
    EXPECT_EQ(compute_frame_period(1000000), 1);
    EXPECT_EQ(compute_frame_period(1000001), 0);
    EXPECT_EQ(compute_frame_period(2147483647), 0);
}

TEST(FramePeriod, FractionalRatesKeepTheirExactPeriod)
{
    EXPECT_EQ(frame_period_for_rate(30000, 1001), 33366);
    EXPECT_EQ(frame_period_for_rate(25, 1), 40000);
    EXPECT_EQ(frame_period_for_rate(1, 3), 3000000);
    EXPECT_EQ(frame_period_for_rate(1, 999999999), 2147483647);
}

TEST(FrameSleep, SleepsTheRestOfThePeriodAndNeverTheOverrun)
{
    EXPECT_EQ(frame_sleep(40000, 10000), 30000);
    EXPECT_EQ(frame_sleep(40000, 50000), 0);
    EXPECT_EQ(frame_sleep(40000, 40000), 0);
    EXPECT_EQ(frame_sleep(40000, 0), 40000);
    EXPECT_EQ(frame_sleep(0, 123), 0);
    EXPECT_EQ(frame_sleep(1, 0), 1);
}

TEST(FrameSleep, ClockSetBackwardsNeverSleepsLongerThanOnePeriod)
{
    // gettimeofday follows the wall clock: a clock set back by an hour makes the elapsed
    // time negative, and must not turn into an hour of sleep.
    EXPECT_EQ(frame_sleep(40000, -5), 40000);
    EXPECT_EQ(frame_sleep(40000, -3600000000L), 40000);
    EXPECT_EQ(frame_sleep(0, -10), 0);
}
