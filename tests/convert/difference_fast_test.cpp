// The fast difference kernels against the reference: the same difference plane, the same
// exact sum and so the same PSNR, bit for bit; and the choice made before main.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "difference_fast.h"

namespace {

typedef std::vector<unsigned char> Plane;

std::vector<DifferenceVariant> variants()
{
    DifferenceVariant list[8];
    int count = available_difference_variants(list, 8);
    return std::vector<DifferenceVariant>(list, list + count);
}

// Compares every variant and `difference` itself with the reference on one pair.
void expect_same_as_reference(const Plane &first, const Plane &second, const std::string &what)
{
    const int length = (int)first.size();
    Plane expected(length + 32, 0xEE);
    uint64_t expected_sum = difference_sum_C(first.data(), second.data(), expected.data(), length);
    double expected_psnr = psnr_of_sum(expected_sum, length);
    for (const DifferenceVariant &variant : variants()) {
        Plane out(length + 32, 0xEE);
        uint64_t sum = variant.sum(first.data(), second.data(), out.data(), length);
        EXPECT_EQ(sum, expected_sum) << what << " " << variant.name;
        EXPECT_TRUE(out == expected) << what << " " << variant.name << ": plane or guard differs";
    }
    Plane out(length + 32, 0xEE);
    double psnr = difference(first.data(), second.data(), out.data(), length);
    EXPECT_TRUE(out == expected) << what << " difference()";
    EXPECT_EQ(memcmp(&psnr, &expected_psnr, sizeof psnr), 0)
        << what << ": " << psnr << " against " << expected_psnr;
}

TEST(FastDifference, MatchesTheReferenceOnRandomPlanesOfEverySize)
{
    std::mt19937 random(4242);
    const int lengths[] = {176 * 144, 352 * 288, 16 * 16, 18 * 14, 48 * 32, 0, 1, 15, 17,
                           31, 33, 63, 65, 4095};
    for (int length : lengths)
        for (int frame = 0; frame < 6; frame++) {
            Plane a(length), b(length);
            for (int i = 0; i < length; i++) {
                a[i] = (unsigned char)random();
                // Mostly close pictures, as coded ones are, with some wild samples.
                b[i] = random() % 8 ? (unsigned char)(a[i] + (int)(random() % 9) - 4)
                                    : (unsigned char)random();
            }
            expect_same_as_reference(a, b, "length " + std::to_string(length));
        }
}

TEST(FastDifference, MatchesTheReferenceOnEdgeValues)
{
    const int length = 352 * 288;
    const unsigned char edges[] = {0, 1, 127, 128, 254, 255};
    for (unsigned char x : edges)
        for (unsigned char y : edges)
            expect_same_as_reference(Plane(length, x), Plane(length, y),
                                     std::to_string(x) + " against " + std::to_string(y));
    Plane a(length, 100), b(length, 100);
    b[length - 1] = 101;  // one sample off by one, in the scalar tail of no variant
    expect_same_as_reference(a, b, "single sample");
    b[length - 1] = 100;
    b[0] = 99;
    expect_same_as_reference(a, b, "first sample");
}

TEST(FastDifference, KeepsTheSumExactOnTheLargestPictures)
{
    // 4096 x 2304 samples all differing by 255: a sum of about 6.1e11, far past 32 bits.
    const int length = 4096 * 2304;
    Plane white(length, 255), black(length, 0);
    const uint64_t exact = 65025ull * (uint64_t)length;
    for (const DifferenceVariant &variant : variants()) {
        Plane out(length);
        EXPECT_EQ(variant.sum(white.data(), black.data(), out.data(), length), exact)
            << variant.name;
        EXPECT_EQ(out[length - 1], 255) << variant.name << ": 255 - 0 is stored as 255";
        EXPECT_EQ(variant.sum(black.data(), white.data(), out.data(), length), exact)
            << variant.name;
        EXPECT_EQ(out[0], 1) << variant.name << ": 0 - 255 is stored as 1";
    }
    Plane out(length);
    EXPECT_EQ(difference(white.data(), black.data(), out.data(), length), 0.0);
}

TEST(FastDifference, IsChosenBeforeMainUnlessTheReferenceIsForced)
{
    const char *forced = getenv("TRIVISTA_REFERENCE");
    std::vector<DifferenceVariant> list = variants();
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list[0].sum, difference_sum_C);
    if (forced && strcmp(forced, "1") == 0)
        EXPECT_EQ(difference_sum, difference_sum_C);
    else
        EXPECT_EQ(difference_sum, list.back().sum) << list.back().name;
#if defined(__x86_64__)
    EXPECT_GE(list.size(), 2u);
#endif
}

}  // namespace
