// Summaries over a range of frames: the viewer's mean, the global PSNR, the extremes.
#include "psnr_series.h"

#include <cmath>

#include <gtest/gtest.h>

#include "difference.h"

namespace {

TEST(PsnrSeries, MeanIsTheAverageOfTheCappedPerFrameValues)
{
    PsnrSeries series;
    series_reset(&series);
    series_add(&series, 100, 30.0, 100, 1000);
    EXPECT_EQ(series_mean(&series), 30.0) << "after one frame the mean is that frame's value";
    series_add(&series, 101, 100.0, 0, 1000);
    EXPECT_EQ(series_mean(&series), 65.0);
}

TEST(PsnrSeries, GlobalIsThePsnrOfTheMeanSquaredErrorOverTheRange)
{
    PsnrSeries series;
    series_reset(&series);
    series_add(&series, 0, cap_psnr(psnr_of_sum(400, 100)), 400, 100);
    series_add(&series, 1, 100.0, 0, 100);
    // Mean squared error 400 / 200 = 2.
    EXPECT_DOUBLE_EQ(series_global(&series), 10 * std::log10(65025.0 / 2));
    EXPECT_GT(series_mean(&series), series_global(&series))
        << "the capped identical frame lifts the mean, not the global figure";
}

TEST(PsnrSeries, GlobalOfIdenticalFramesIsCappedTo100)
{
    PsnrSeries series;
    series_reset(&series);
    series_add(&series, 5, 100.0, 0, 25344);
    series_add(&series, 6, 100.0, 0, 25344);
    EXPECT_EQ(series_global(&series), 100.0);
}

TEST(PsnrSeries, KeepsTheExtremesAndTheFirstFrameOfTheMinimum)
{
    PsnrSeries series;
    series_reset(&series);
    const double values[] = {35, 31, 40, 31, 33};
    for (int i = 0; i < 5; i++)
        series_add(&series, 10 + i, values[i], 1, 1);
    EXPECT_EQ(series.min, 31.0);
    EXPECT_EQ(series.min_frame, 11);
    EXPECT_EQ(series.max, 40.0);
    EXPECT_EQ(series.frames, 5);
}

TEST(PsnrSeries, IsEmptyAfterReset)
{
    PsnrSeries series;
    series_reset(&series);
    series_add(&series, 3, 20.0, 5, 5);
    series_reset(&series);
    EXPECT_EQ(series.frames, 0);
    EXPECT_EQ(series_mean(&series), 0.0);
    EXPECT_EQ(series_global(&series), 0.0);
    series_add(&series, 9, 50.0, 1, 1);
    EXPECT_EQ(series.min, 50.0);
    EXPECT_EQ(series.min_frame, 9);
}

}  // namespace
