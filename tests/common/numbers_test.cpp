// Option values read whole: frame numbers, times and rates, and the frame a time falls on.
#include <climits>
#include <string>

#include <gtest/gtest.h>

#include "common/numbers.h"

namespace {

const char *const readings[] = {"none", "number", "malformed"};

// The reading, then "frame n", "time a/b" or "rate a/b"; a refused value's fields say nothing.
std::string frame_or_time(const char *text)
{
    FrameOrTime v;
    NumberReading reading = read_frame_or_time(text, &v);
    std::string got = readings[reading];
    if (reading == reading_malformed)
        return got;
    if (v.is_time)
        return got + " time " + std::to_string(v.seconds.numerator) + "/" + std::to_string(v.seconds.denominator);
    return got + " frame " + std::to_string(v.frame);
}

std::string rate(const char *text)
{
    Fraction r;
    NumberReading reading = read_frame_rate(text, &r);
    std::string got = readings[reading];
    if (reading == reading_malformed)
        return got;
    return got + " rate " + std::to_string(r.numerator) + "/" + std::to_string(r.denominator);
}

TEST(Numbers, FramesAndTimesAreReadWholeOrRefusedAndNoNumberReadsAsZero)
{
    const std::string s = "/1000000000", m = "malformed", none = "none frame 0";
    const std::pair<const char *, std::string> rows[] = {
        {"120", "number frame 120"}, {" \t+7", "number frame 7"}, {"-3", "number frame -3"}, {"007", "number frame 7"},
        {"99999999999", "number frame 2147483647"}, {"-99999999999", "number frame -2147483648"},
        {"", none}, {"abc", none}, {"-l", none}, {"+", none}, {":30", none}, {".5", none}, {"x12", none},
        {"12abc", m}, {"3.5", m}, {"12 ", m}, {"0x10", m}, {"1e3", m}, {"1 2", m},
        {"1:30", "number time 90000000000" + s}, {"0:01:02.5", "number time 62500000000" + s},
        {"+1:30.25", "number time 90250000000" + s}, {"90:00", "number time 5400000000000" + s},
        {"1:2", "number time 62000000000" + s}, {"0:00.0000000019", "number time 1" + s},
        {"2000000:59:59", "number time 7200003599000000000" + s}, {"2000001:00", "number time 9223372036854775807/1"},
        {"1:60", m}, {"1:030", m}, {"1:", m}, {"1:2:3:4", m}, {"-1:30", m}, {"1:30.", m}, {"1:30abc", m},
        {"1.5:30", m}, {"1::30", m}, {"1:3x", m}};
    for (const auto &row : rows)
        EXPECT_EQ(frame_or_time(row.first), row.second) << '"' << row.first << '"';
}

TEST(Numbers, RatesAreWholeDecimalOrRatiosInLowestTerms)
{
    const std::pair<const char *, std::string> rows[] = {
        {"25", "number rate 25/1"}, {"29.97", "number rate 2997/100"}, {"30000/1001", "number rate 30000/1001"},
        {" 25.0", "number rate 25/1"}, {"50/2", "number rate 25/1"}, {"-5", "number rate -5/1"},
        {"59.940", "number rate 2997/50"}, {"29.9700000000001", "number rate 2997/100"},
        {"99999999999", "number rate 2147483647/1"}, {"0/7", "number rate 0/1"},
        {"abc", "none rate 0/1"}, {"", "none rate 0/1"}, {".5", "none rate 0/1"},
        {"25x", "malformed"}, {"25/0", "malformed"}, {"25/", "malformed"}, {"25.", "malformed"},
        {"2.5/1", "malformed"}, {"1/2.5", "malformed"}, {"30000/1001/2", "malformed"}, {"25 ", "malformed"}};
    for (const auto &row : rows)
        EXPECT_EQ(rate(row.first), row.second) << '"' << row.first << '"';
    EXPECT_TRUE(whole_rate({50, 2}) && !whole_rate({2997, 100}));
}

// Exact to the frame where a floating-point product of 6000 and 29.97 falls just short.
TEST(Numbers, ATimeFallsOnTheFrameOnScreenThenRoundedDown)
{
    const Fraction ntsc = {30000, 1001}, decimal = {2997, 100}, pal = {25, 1};
    const struct { Fraction seconds, rate; int frame; } rows[] = {
        {{90, 1}, decimal, 2697}, {{6000, 1}, decimal, 179820}, {{125, 2}, ntsc, 1873}, {{1, 1}, ntsc, 29},
        {{1001, 30000}, ntsc, 1}, {{1000, 30000}, ntsc, 0}, {{1, 10}, ntsc, 2}, {{10, 1}, pal, 250}, {{0, 1}, pal, 0},
        {{INT64_MAX, 1}, {1, INT_MAX}, INT_MAX}, {{7200003599000000000, 1000000000}, {2147483647999999999, 1000000000}, INT_MAX}};
    for (const auto &row : rows)
        EXPECT_EQ(frame_at_time(row.seconds, row.rate), row.frame) << row.seconds.numerator << " s at " << row.rate.numerator;
}

}  // namespace
