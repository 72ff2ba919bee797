// Difference picture and luma PSNR of one pair of planes, and the cap for identical planes.
#include "difference.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include <gtest/gtest.h>

namespace {

const int qcif_luma = 176 * 144;
const int cif_luma = 352 * 288;

typedef std::vector<unsigned char> Plane;

// The PSNR formula written out independently: peak 255, mean squared error over n samples.
double expected_psnr(double sum_of_squares, double samples)
{
    return 10.0 * std::log10(255.0 * 255.0 / (sum_of_squares / samples));
}

TEST(IdenticalPlanes, MeasureInfinityWhichTheCapTurnsInto100)
{
    Plane a(qcif_luma), out(qcif_luma, 77);
    std::mt19937 random(1);
    for (auto &sample : a)
        sample = (unsigned char)random();
    double psnr = difference(a.data(), a.data(), out.data(), qcif_luma);
    EXPECT_TRUE(std::isinf(psnr) && psnr > 0);
    EXPECT_EQ(cap_psnr(psnr), 100.0);
    EXPECT_EQ(out, Plane(qcif_luma, 0)) << "identical planes leave an all-zero difference";
}

TEST(IdenticalPlanes, RaiseNoFloatingPointFlag)
{
    Plane a(cif_luma, 128), out(cif_luma);
    std::feclearexcept(FE_ALL_EXCEPT);
    double psnr = difference(a.data(), a.data(), out.data(), cif_luma);
    EXPECT_FALSE(std::fetestexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW));
    EXPECT_TRUE(std::isinf(psnr));
}

TEST(ExtremePlanes, WhiteMinusBlackMeasuresZeroAndStores255)
{
    Plane white(qcif_luma, 255), black(qcif_luma, 0), out(qcif_luma);
    EXPECT_EQ(difference(white.data(), black.data(), out.data(), qcif_luma), 0.0);
    EXPECT_EQ(out, Plane(qcif_luma, 255));
}

TEST(ExtremePlanes, BlackMinusWhiteMeasuresZeroAndStores1)
{
    Plane white(cif_luma, 255), black(cif_luma, 0), out(cif_luma);
    EXPECT_EQ(difference(black.data(), white.data(), out.data(), cif_luma), 0.0);
    EXPECT_EQ(out, Plane(cif_luma, 1));
}

TEST(StoredDifference, IsTheSignedDifferenceModulo256)
{
    const unsigned char first[] = {0, 1, 0, 255, 0, 200, 17};
    const unsigned char second[] = {0, 0, 1, 0, 255, 100, 17};
    const unsigned char expected[] = {0, 1, 255, 255, 1, 100, 0};
    unsigned char out[7];
    difference(first, second, out, 7);
    for (int i = 0; i < 7; i++)
        EXPECT_EQ(out[i], expected[i]) << "sample " << i;
}

TEST(OneSampleOffByOne, MeasuresTheLargestFinitePsnrOfItsSize)
{
    for (int size : {qcif_luma, cif_luma}) {
        Plane a(size, 90), b(size, 90), out(size);
        b[size / 2] = 91;
        double psnr = difference(a.data(), b.data(), out.data(), size);
        EXPECT_DOUBLE_EQ(psnr, expected_psnr(1, size));
        EXPECT_EQ(cap_psnr(psnr), psnr) << "a finite PSNR is never capped";
        EXPECT_EQ(out[size / 2], 255);
    }
    Plane a(qcif_luma, 3), b(qcif_luma, 3), out(qcif_luma);
    a[0] = 4;
    EXPECT_NEAR(difference(a.data(), b.data(), out.data(), qcif_luma), 92.17, 0.005);
    Plane c(cif_luma, 3), d(cif_luma, 3), out_cif(cif_luma);
    d[cif_luma - 1] = 2;
    EXPECT_NEAR(difference(c.data(), d.data(), out_cif.data(), cif_luma), 98.19, 0.005);
}

TEST(RandomPlanes, MatchAStraightforwardComputation)
{
    std::mt19937 random(42);
    for (int size : {1, 7, 64, 1000, qcif_luma, cif_luma, 1280 * 720}) {
        Plane a(size), b(size), out(size);
        for (int i = 0; i < size; i++) {
            a[i] = (unsigned char)random();
            // Mostly close values, like a coded picture, with some wild samples.
            int noise = (int)(random() % 21) - 10;
            b[i] = (unsigned char)(random() % 50 == 0 ? random() : std::clamp(a[i] + noise, 0, 255));
        }
        double sum = 0;
        for (int i = 0; i < size; i++) {
            double d = (double)a[i] - (double)b[i];
            sum += d * d;
        }
        double psnr = difference(a.data(), b.data(), out.data(), size);
        EXPECT_DOUBLE_EQ(psnr, expected_psnr(sum, size)) << "size " << size;
        for (int i = 0; i < size; i++)
            ASSERT_EQ(out[i], (unsigned char)((a[i] - b[i] + 256) % 256)) << "size " << size;
    }
}

TEST(RandomPlanes, KernelSumIsExactAtTheLargestPictureSize)
{
    // 4096 x 2304 samples all differing by 255: 65025 * 9437184, beyond 32 bits.
    const int size = 4096 * 2304;
    Plane white(size, 255), black(size, 0), out(size);
    EXPECT_EQ(difference_sum_C(white.data(), black.data(), out.data(), size),
              (uint64_t)65025 * (uint64_t)size);
    EXPECT_EQ(difference(white.data(), black.data(), out.data(), size), 0.0);
}

TEST(PsnrCap, ReplacesOnlyValuesAbove1000)
{
    EXPECT_EQ(cap_psnr(HUGE_VAL), 100.0);
    EXPECT_EQ(cap_psnr(1000.5), 100.0);
    EXPECT_EQ(cap_psnr(1000.0), 1000.0);
    EXPECT_EQ(cap_psnr(98.19), 98.19);
    EXPECT_EQ(cap_psnr(0.0), 0.0);
}

TEST(PsnrOfSum, IsInfiniteForAZeroSumAndFollowsTheFormulaOtherwise)
{
    EXPECT_TRUE(std::isinf(psnr_of_sum(0, 25344)));
    EXPECT_DOUBLE_EQ(psnr_of_sum(65025, 1), 0.0);
    EXPECT_DOUBLE_EQ(psnr_of_sum(12345, 101376), expected_psnr(12345, 101376));
}

}  // namespace
