// PSNR, SSIM and the summaries over a range against formulas written out here; every variant.
#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "quality/difference_fast.h"
#include "quality/metric_series.h"
#include "quality/quality_kernels.h"
#include "quality/ssim.h"

namespace {

const int qcif = 176 * 144, cif = 352 * 288;

TEST(Difference, StoresTheDifferenceMod256AndMeasuresItsPsnrWithEveryKernel)
{
    // Planes of `a` (-1: random, -2: edge values) against `b` (-1: the same, -2: close to a,
    // -3: edge values), sample `at` of b then set to `b_at`; `shown`: the figure after the cap.
    struct Case { int length, a, b, at, b_at; double shown; };
    std::vector<Case> cases = {
        {qcif, 77, 77, 0, 77, 100}, {qcif, -1, -1, 0, -1, 100}, {qcif, 255, 0, 0, 0, 0},
        {cif, 0, 255, 0, 255, 0}, {qcif, 90, 90, qcif / 2, 91, 92.17}, {cif, 3, 3, cif - 1, 2, 98.19},
        {1, 255, 0, 0, 0, 0}, {4096 * 2304, 255, 0, 0, 0, 0}};  // the last: a sum past 32 bits
    for (int length : {cif, 18 * 14, 0, 1, 15, 17, 31, 33, 63, 65, 4095})
        cases.push_back({length, -1, -2, 0, -1, -1}), cases.push_back({length, -2, -3, 0, -1, -1});
    uint8_t edges[] = {0, 1, 127, 128, 254, 255};
    DifferenceVariant variants[4];
    std::mt19937 random(3);
    for (int v = 0; v < available_difference_variants(variants, 4); v++)
        for (const Case &c : cases) {
            std::vector<uint8_t> a(c.length), b(c.length), out(c.length + 16, 0xEE);
            uint64_t sum = 0;
            for (int i = 0; i < c.length; i++) {
                a[i] = c.a >= 0 ? c.a : c.a == -1 ? random() : edges[random() % 6];
                b[i] = c.b >= 0 ? c.b : c.b == -1 ? a[i] : c.b == -2 ? a[i] + random() % 9 - 4 : edges[random() % 6];
                b[i] = i == c.at && c.b_at >= 0 ? c.b_at : b[i];
                sum += (a[i] - b[i]) * (a[i] - b[i]);
            }
            const int n = c.length;
            EXPECT_EQ(variants[v].sum(a.data(), n, b.data(), n, out.data(), n, n, 1, 255), sum) << variants[v].name << " " << n;
            double psnr = psnr_of_sum(sum, n, 255);
            EXPECT_DOUBLE_EQ(psnr, sum ? 10 * std::log10(255.0 * 255 * c.length / sum) : HUGE_VAL);
            EXPECT_DOUBLE_EQ(psnr_of_sum(sum, c.length, 1023), sum ? psnr + 20 * std::log10(1023.0 / 255) : HUGE_VAL);  // 10-bit peak
            EXPECT_NEAR(cap_psnr(psnr), c.shown < 0 ? cap_psnr(psnr) : c.shown, 0.005) << c.length;
            for (int i = 0; i < c.length + 16; i++)
                ASSERT_EQ(out[i], i < c.length ? (uint8_t)(a[i] - b[i]) : 0xEE) << i << " " << variants[v].name;
        }
    for (int v = 0; v < available_difference_variants(variants, 4); v++)  // a negative width: nothing
        EXPECT_EQ(variants[v].sum(edges, -5, edges, -5, edges, -5, -5, 1, 255), 0u);
    for (double value : {HUGE_VAL, 1000.5, 1000.0, 98.19, 0.0})
        EXPECT_EQ(cap_psnr(value), value > 1000 ? 100 : value);
}

TEST(MetricSeries, KeepsMeanGlobalExtremesAndTheFirstFrameOfTheMinimum)
{
    MetricSeries series;
    series_reset(&series, 255);
    EXPECT_TRUE(series_mean(&series) == 0 && series_global(&series) == 0);
    const struct { double psnr; uint64_t sum; } frames[] = {{35, 400}, {31, 900}, {40, 50}, {31, 900}, {100, 0}};
    for (int i = 0; i < 5; i++)
        series_add(&series, 10 + i, frames[i].psnr, frames[i].sum, 1000);
    EXPECT_DOUBLE_EQ(series_mean(&series), 237.0 / 5);
    EXPECT_DOUBLE_EQ(series_global(&series), 10 * std::log10(65025.0 * 5000 / 2250));
    EXPECT_TRUE(series.frames == 5 && series.min == 31 && series.min_frame == 11 && series.max == 100);
    series_reset(&series, 255);  // a new pass of identical frames
    series_add(&series, 9, 100, 0, 1000), series_add(&series, 10, 100, 0, 1000);
    EXPECT_TRUE(series_global(&series) == 100 && series_mean(&series) == 100 && series.min_frame == 9);
}

// SSIM of the 8 x 8 window at a and b from means, sample variances and covariance; the constants 64 (0.01 peak)^2
// and 64 x 63 (0.03 peak)^2, documented rounded for sums of 64 samples (416, 235963 at 255), are divided by 64^2, 64 x 63.
template <typename Sample>
double textbook_ssim(const Sample *a, const Sample *b, int stride, int peak)
{
    double ma = 0, mb = 0, va = 0, vb = 0, cov = 0, c1 = std::round(0.0064 * peak * peak) / 4096, c2 = std::round(0.0009 * 4032 * peak * peak) / 4032;
    for (int pass = 0; pass < 2; pass++)
        for (int i = 0; i < 64; i++) {
            double x = a[i / 8 * stride + i % 8], y = b[i / 8 * stride + i % 8];
            if (pass == 0)
                ma += x / 64, mb += y / 64;
            else
                va += (x - ma) * (x - ma) / 63, vb += (y - mb) * (y - mb) / 63, cov += (x - ma) * (y - mb) / 63;
        }
    return (2 * ma * mb + c1) * (2 * cov + c2) / ((ma * ma + mb * mb + c1) * (va + vb + c2));
}

TEST(Ssim, AveragesTextbookWindowsOnTheFourPixelGridInEveryForm)
{
    std::mt19937 random(5);
    SsimVariant variants[4];
    for (auto [width, height, peak] : {std::tuple(8, 8, 255), {16, 16, 1023}, {18, 14, 255}, {50, 30, 1023}, {176, 144, 255}, {1282, 12, 255}})
        for (int kind = 0; kind < 6; kind++) {  // flat, identical, inverted, random, close, edges
            const int columns = (width - 8) / 4 + 1, rows = (height - 8) / 4 + 1;
            std::vector<uint8_t> a(width * height), b(width * height);
            for (size_t i = 0; i < a.size(); i++) {
                a[i] = kind == 0 ? width : kind == 5 ? random() % 2 * 255 : random();
                b[i] = kind < 2 ? a[i] : kind == 2 ? 255 - a[i] : kind == 3 ? random()
                     : kind == 4 ? std::clamp<int>(a[i] + random() % 7 - 3, 0, 255) : random() % 2 * 255;
            }
            double expected = 0, reference = ssim_plane_C(a.data(), width, b.data(), width, width, height, peak);
            for (int y = 0; y < rows * 4; y += 4)
                for (int x = 0; x < columns * 4; x += 4)
                    expected += textbook_ssim(&a[y * width + x], &b[y * width + x], width, peak) / (columns * rows);
            EXPECT_NEAR(reference, expected, 1e-12) << width << " kind " << kind;
            std::vector<uint8_t> scratch(ssim_scratch_bytes(width));
            for (int v = 0; v < available_ssim_variants(variants, 4); v++) {
                quality_kernels.ssim = variants[v];  // left at the last one, the one chosen
                EXPECT_EQ(ssim_plane(a.data(), width, b.data(), width, width, height, peak, scratch.data()), reference)
                    << variants[v].name << " " << width << " kind " << kind;
            }
        }
    std::vector<uint8_t> white(64 * 40, 255), black(64 * 40, 0);
    std::vector<uint8_t> scratch(ssim_scratch_bytes(64));
    for (int width : {7, 20})  // a plane too small for one window measures 1
        EXPECT_TRUE(ssim_plane_C(white.data(), width, black.data(), width, width, 27 - width, 255) == 1.0 &&
                    ssim_plane(white.data(), width, black.data(), width, width, 27 - width, 255, scratch.data()) == 1.0);
}

// Each plane with its own stride: the first, the second and the difference picture's rows may lie different
// distances apart, and the kernels give what they give on the packed planes.
TEST(Kernels, MeasureEachPlaneAtItsOwnStrideAsThePackedPlanesAndLeaveTheBytesBetweenRowsAlone)
{
    std::mt19937 random(7);
    DifferenceVariant differences[4];
    SsimVariant ssims[4];
    for (auto [width, height, sa, sb, so] : {std::tuple(18, 14, 37, 18, 20), {50, 30, 64, 71, 50}, {176, 9, 177, 176, 200},
                                            {33, 1, 80, 40, 33}, {64, 12, 64, 64, 64}}) {
        std::vector<uint8_t> a(sa * height), b(sb * height), packed_a(width * height), packed_b(width * height),
            packed_out(width * height), out;
        for (uint8_t &sample : a)  // between rows: unrelated garbage in both
            sample = random();
        for (size_t i = 0; i < b.size(); i++)
            b[i] = (int)i % sb < width ? std::clamp<int>(a[i / sb * sa + i % sb] + random() % 9 - 4, 0, 255) : random();
        for (int i = 0; i < width * height; i++)
            packed_a[i] = a[i / width * sa + i % width], packed_b[i] = b[i / width * sb + i % width];
        for (int v = 0; v < available_difference_variants(differences, 4); v++) {
            difference_sum_fn sum_of = differences[v].sum;
            uint64_t sum = sum_of(packed_a.data(), width, packed_b.data(), width, packed_out.data(), width, width, height, 255);
            out.assign(so * height, 0xEE);
            EXPECT_EQ(sum_of(a.data(), sa, b.data(), sb, out.data(), so, width, height, 255), sum) << differences[v].name;
            for (size_t i = 0; i < out.size(); i++)
                ASSERT_EQ(out[i], (int)i % so < width ? packed_out[i / so * width + i % so] : 0xEE) << i;
        }
        double packed = ssim_plane_C(packed_a.data(), width, packed_b.data(), width, width, height, 255);
        std::vector<uint8_t> scratch(ssim_scratch_bytes(width));
        for (int v = 0; v < available_ssim_variants(ssims, 4); v++) {
            quality_kernels.ssim = ssims[v];
            EXPECT_TRUE(ssim_plane(a.data(), sa, b.data(), sb, width, height, 255, scratch.data()) == packed &&
                        ssim_plane_C(a.data(), sa, b.data(), sb, width, height, 255) == packed) << ssims[v].name;
        }
    }
}

// Two-byte samples as little-endian words.
std::vector<uint8_t> words(const std::vector<int> &samples)
{
    std::vector<uint8_t> bytes;
    for (int v : samples)
        bytes.push_back(v & 255), bytes.push_back(v >> 8);
    return bytes;
}

// Wide samples: sums at the native depth, the difference floor((a - b) / 2^(depth - 8)) mod 256 in rows half the
// stride apart; a 10-bit pair that is an 8-bit pair times 4 gives the 8-bit difference picture exactly.
TEST(Difference, WideSamplesMeasureAtTheirDepthAndShiftTheDifferenceToEightBits)
{
    std::mt19937 random(11);
    DifferenceVariant variants[4];
    for (auto [depth, width, height, stride] : {std::tuple(10, 176, 144, 352), {12, 33, 5, 80}, {16, 64, 3, 128}, {16, 1, 1, 2}, {9, 17, 2, 40}})
        for (int kind = 0; kind < 3; kind++) {  // random, edge values (0 and the peak), the 8-bit pair times 4
            int peak = (1 << depth) - 1, n = width * height;
            std::vector<int> a(stride / 2 * height), b(a.size()), a8(n), b8(n);
            for (size_t i = 0; i < a.size(); i++) {
                a8[i % n] = random() % 256, b8[i % n] = random() % 256;
                a[i] = kind == 0 ? random() % (peak + 1) : kind == 1 ? random() % 2 * peak : a8[i % n] * 4;
                b[i] = kind == 0 ? random() % (peak + 1) : kind == 1 ? random() % 2 * peak : b8[i % n] * 4;
            }
            uint64_t sum = 0;
            std::vector<uint8_t> expected(stride / 2 * height, 0xEE), eight(n);
            for (int i = 0; i < n; i++) {
                int at = i / width * stride / 2 + i % width, d = a[at] - b[at];
                sum += (uint64_t)((int64_t)d * d), expected[at] = (uint8_t)(int)std::floor(d / std::pow(2.0, depth - 8));
                a8[i] = a[at] / 4, b8[i] = b[at] / 4;
            }
            std::vector<uint8_t> wa = words(a), wb = words(b), first(a8.begin(), a8.end()), second(b8.begin(), b8.end());
            for (int v = 0; v < available_wide_difference_variants(variants, 4); v++) {
                std::vector<uint8_t> out(expected.size(), 0xEE);
                EXPECT_EQ(variants[v].sum(wa.data(), stride, wb.data(), stride, out.data(), stride / 2, width, height, peak), sum) << depth;
                EXPECT_EQ(out, expected) << variants[v].name << " " << depth << " kind " << kind;
                if (kind == 2 && depth == 10) {
                    std::vector<uint8_t> out8(n);
                    difference_sum_C(first.data(), width, second.data(), width, out8.data(), width, width, height, 255);
                    for (int i = 0; i < n; i++)
                        ASSERT_EQ(out[i / width * stride / 2 + i % width], out8[i]) << i;
                }
            }
            EXPECT_DOUBLE_EQ(psnr_of_sum(sum, n, peak), sum ? 10 * std::log10((double)peak * peak * n / sum) : HUGE_VAL);
            EXPECT_EQ(psnr_of_sum((uint64_t)peak * peak * n, n, peak), 0.0);  // samples within the peak: never below 0 dB
        }
}

// Wide SSIM: the textbook windows with the constants at the peak; the shared block sums give the reference bit for
// bit, and on 8-bit samples the 8-bit figure.
TEST(Ssim, WideSamplesAverageTextbookWindowsWithConstantsAtTheirPeak)
{
    std::mt19937 random(13);
    for (auto [width, height, peak] : {std::tuple(8, 8, 1023), {50, 30, 4095}, {36, 20, 65535}, {40, 16, 255}})
        for (int kind = 0; kind < 3; kind++) {  // random, close, edges
            std::vector<int> a(width * height), b(a.size());
            for (size_t i = 0; i < a.size(); i++) {
                a[i] = kind == 2 ? random() % 2 * peak : random() % (peak + 1);
                b[i] = kind == 0 ? random() % (peak + 1) : kind == 1 ? std::clamp<int>(a[i] + random() % 9 - 4, 0, peak) : random() % 2 * peak;
            }
            std::vector<uint8_t> wa = words(a), wb = words(b), na(a.begin(), a.end()), nb(b.begin(), b.end());
            double got = ssim_plane_wide_C(wa.data(), width * 2, wb.data(), width * 2, width, height, peak), expected = 0;
            std::vector<uint8_t> scratch(ssim_scratch_bytes(width));
            EXPECT_EQ(ssim_plane_wide(wa.data(), width * 2, wb.data(), width * 2, width, height, peak, scratch.data()), got);
            int columns = (width - 8) / 4 + 1, rows = (height - 8) / 4 + 1;
            for (int y = 0; y < rows * 4; y += 4)
                for (int x = 0; x < columns * 4; x += 4)
                    expected += textbook_ssim(&a[y * width + x], &b[y * width + x], width, peak) / (columns * rows);
            EXPECT_NEAR(got, expected, 1e-9) << width << " kind " << kind;
            EXPECT_TRUE(peak != 255 || got == ssim_plane_C(na.data(), width, nb.data(), width, width, height, 255));
        }
}

}  // namespace
