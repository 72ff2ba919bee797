// SSIM of two planes: the window formula, the window grid, and the fast form against
// the straightforward one.
#include "ssim.h"

#include <cmath>
#include <random>
#include <vector>

#include <gtest/gtest.h>

namespace {

typedef std::vector<unsigned char> Plane;

// Textbook SSIM of one 8 x 8 window: means, sample variances and covariance in double,
// with the constants the common tools use (c1 = 416 / 64^2, c2 = 235963 / (64 * 63)).
double textbook_window_ssim(const unsigned char *a, const unsigned char *b, int stride)
{
    double mean_a = 0, mean_b = 0;
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 8; x++) {
            mean_a += a[y * stride + x] / 64.0;
            mean_b += b[y * stride + x] / 64.0;
        }
    double var_a = 0, var_b = 0, cov = 0;
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 8; x++) {
            double da = a[y * stride + x] - mean_a, db = b[y * stride + x] - mean_b;
            var_a += da * da / 63;
            var_b += db * db / 63;
            cov += da * db / 63;
        }
    double c1 = 416.0 / 4096, c2 = 235963.0 / 4032;
    return (2 * mean_a * mean_b + c1) * (2 * cov + c2) /
           ((mean_a * mean_a + mean_b * mean_b + c1) * (var_a + var_b + c2));
}

void fill_structured(Plane &a, Plane &b, int width, int height, unsigned seed, int noise)
{
    std::mt19937 random(seed);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            int value = (x * 3 + y * 2) % 256 + (int)(random() % 31) - 15;
            a[y * width + x] = (unsigned char)std::min(255, std::max(0, value));
            int degraded = a[y * width + x] + (int)(random() % (2 * noise + 1)) - noise;
            b[y * width + x] = (unsigned char)std::min(255, std::max(0, degraded));
        }
}

TEST(SsimWindow, MatchesTheTextbookFormulaWithTheUsualConstants)
{
    std::mt19937 random(7);
    for (int trial = 0; trial < 200; trial++) {
        unsigned char a[64], b[64];
        int spread = trial % 4 == 0 ? 1 : 256;  // flat windows too
        for (int i = 0; i < 64; i++) {
            a[i] = (unsigned char)(trial + random() % spread);
            b[i] = (unsigned char)(trial % 3 == 0 ? a[i] : random() % 256);
        }
        SsimSums sums = {0, 0, 0, 0};
        for (int i = 0; i < 64; i++) {
            sums.a += a[i];
            sums.b += b[i];
            sums.square += a[i] * a[i] + b[i] * b[i];
            sums.cross += a[i] * b[i];
        }
        EXPECT_NEAR(ssim_of_window(sums), textbook_window_ssim(a, b, 8), 1e-12) << trial;
    }
}

TEST(SsimPlane, IsOneForIdenticalPlanesAndBelowOneOtherwise)
{
    Plane a(176 * 144), b(176 * 144);
    fill_structured(a, b, 176, 144, 3, 8);
    EXPECT_DOUBLE_EQ(ssim_plane_C(a.data(), a.data(), 176, 144), 1.0);
    double value = ssim_plane_C(a.data(), b.data(), 176, 144);
    EXPECT_LT(value, 0.999);
    EXPECT_GT(value, 0.0);
}

TEST(SsimPlane, AveragesTheWindowsOnTheFourPixelGrid)
{
    const int width = 18, height = 14;  // windows at x 0,4,8 and y 0,4; x 16-17 and y 12-13 unused
    Plane a(width * height), b(width * height);
    fill_structured(a, b, width, height, 11, 40);
    double expected = 0;
    for (int y = 0; y <= 4; y += 4)
        for (int x = 0; x <= 8; x += 4)
            expected += textbook_window_ssim(&a[y * width + x], &b[y * width + x], width) / 6;
    EXPECT_NEAR(ssim_plane_C(a.data(), b.data(), width, height), expected, 1e-12);

    // Samples outside every window do not count.
    Plane c = b;
    for (int y = 0; y < height; y++)
        c[y * width + 17] = c[y * width + 16] = 0;
    for (int x = 0; x < width; x++)
        c[13 * width + x] = c[12 * width + x] = 255;
    EXPECT_EQ(ssim_plane_C(a.data(), c.data(), width, height),
              ssim_plane_C(a.data(), b.data(), width, height));
}

TEST(SsimPlane, IsOneForAPlaneTooSmallForAWindow)
{
    Plane a(7 * 20, 0), b(7 * 20, 255);
    EXPECT_EQ(ssim_plane_C(a.data(), b.data(), 7, 20), 1.0);
    std::vector<SsimSums> scratch(ssim_scratch_entries(7));
    EXPECT_EQ(ssim_plane(a.data(), b.data(), 7, 20, scratch.data()), 1.0);
}

TEST(SsimFastForm, EqualsTheStraightforwardFormBitForBit)
{
    const int sizes[][2] = {{8, 8}, {16, 16}, {18, 14}, {48, 32}, {50, 30}, {176, 144},
                            {352, 288}, {1280, 720}};
    unsigned seed = 100;
    for (auto &size : sizes) {
        int width = size[0], height = size[1];
        for (int noise : {0, 2, 30, 255}) {
            Plane a(width * height), b(width * height);
            fill_structured(a, b, width, height, seed++, noise);
            std::vector<SsimSums> scratch(ssim_scratch_entries(width));
            EXPECT_EQ(ssim_plane(a.data(), b.data(), width, height, scratch.data()),
                      ssim_plane_C(a.data(), b.data(), width, height))
                << width << "x" << height << " noise " << noise;
        }
    }
}

TEST(SsimFastForm, HandlesTheExtremeSampleValues)
{
    const int width = 64, height = 40;
    Plane white(width * height, 255), black(width * height, 0), mixed(width * height);
    for (int i = 0; i < width * height; i++)
        mixed[i] = (i / 3) % 2 ? 255 : 0;
    std::vector<SsimSums> scratch(ssim_scratch_entries(width));
    for (const Plane *a : {&white, &black, &mixed})
        for (const Plane *b : {&white, &black, &mixed})
            EXPECT_EQ(ssim_plane(a->data(), b->data(), width, height, scratch.data()),
                      ssim_plane_C(a->data(), b->data(), width, height));
    EXPECT_NEAR(ssim_plane_C(white.data(), black.data(), width, height),
                416.0 / (255.0 * 255 * 4096 + 416), 1e-12);
}

TEST(SsimVariants, EveryBlockRowVariantGivesTheReferenceSums)
{
    SsimVariant variants[4];
    int count = available_ssim_variants(variants, 4);
#if defined(__x86_64__)
    ASSERT_GE(count, 2) << "the SSE2 variant is built on x86-64";
#endif
    std::mt19937 random(5);
    for (int width : {16, 20, 36, 64, 100, 176, 352, 1282}) {
        int blocks = width / 4;
        Plane a(width * 4), b(width * 4);
        for (int pattern = 0; pattern < 4; pattern++) {
            for (int i = 0; i < width * 4; i++) {
                a[i] = pattern == 0 ? 255 : pattern == 1 ? 0 : (unsigned char)random();
                b[i] = pattern == 0 ? 255 : pattern == 3 ? (unsigned char)(255 - a[i])
                                                         : (unsigned char)random();
            }
            std::vector<SsimSums> expected(blocks), got(blocks);
            ssim_block_row_C(a.data(), b.data(), width, blocks, expected.data());
            for (int v = 0; v < count; v++) {
                variants[v].block_row(a.data(), b.data(), width, blocks, got.data());
                for (int k = 0; k < blocks; k++) {
                    ASSERT_EQ(got[k].a, expected[k].a) << variants[v].name << " " << width << " " << k;
                    ASSERT_EQ(got[k].b, expected[k].b) << variants[v].name << " " << width << " " << k;
                    ASSERT_EQ(got[k].square, expected[k].square) << variants[v].name << " " << k;
                    ASSERT_EQ(got[k].cross, expected[k].cross) << variants[v].name << " " << k;
                }
            }
        }
    }
}

TEST(SsimVariants, EveryVariantMeasuresTheStraightforwardValueBitForBit)
{
    SsimVariant variants[4];
    int count = available_ssim_variants(variants, 4);
    SsimVariant chosen = ssim_kernels;
    const int sizes[][2] = {{16, 16}, {18, 14}, {50, 30}, {176, 144}, {352, 288}};
    for (auto &size : sizes) {
        int width = size[0], height = size[1];
        Plane a(width * height), b(width * height);
        fill_structured(a, b, width, height, 300 + width, 9);
        std::vector<SsimSums> scratch(ssim_scratch_entries(width));
        double expected = ssim_plane_C(a.data(), b.data(), width, height);
        for (int v = 0; v < count; v++) {
            ssim_kernels = variants[v];
            EXPECT_EQ(ssim_plane(a.data(), b.data(), width, height, scratch.data()), expected)
                << variants[v].name << " " << width << "x" << height;
        }
    }
    ssim_kernels = chosen;
}

TEST(SsimVariants, EveryWindowRowVariantAddsTheReferenceValuesInOrder)
{
    SsimVariant variants[4];
    int count = available_ssim_variants(variants, 4);
    std::mt19937 random(8);
    for (int columns : {1, 3, 4, 5, 8, 43, 87}) {
        for (int pattern = 0; pattern < 4; pattern++) {
            // Block sums of real 4 x 4 blocks, flat and extreme ones included.
            std::vector<SsimSums> upper(columns + 1), lower(columns + 1);
            for (auto *row : {&upper, &lower})
                for (auto &sums : *row) {
                    unsigned char a[16], b[16];
                    for (int i = 0; i < 16; i++) {
                        a[i] = pattern == 0 ? 255 : (unsigned char)random();
                        b[i] = pattern == 0 ? 0 : pattern == 1 ? a[i] : (unsigned char)random();
                    }
                    ssim_block_row_C(a, b, 4, 1, &sums);
                }
            double start = pattern * 0.25;
            double expected = ssim_window_row_C(start, upper.data(), lower.data(), columns);
            for (int v = 0; v < count; v++)
                EXPECT_EQ(variants[v].window_row(start, upper.data(), lower.data(), columns),
                          expected)
                    << variants[v].name << " " << columns << " pattern " << pattern;
        }
    }
}

}  // namespace
