// Every fast renderer variant against the reference, byte for byte, over random and
// edge-value pictures, channel layouts and picture sizes; and the choice made at start-up.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "convert_fixture.h"
#include "render_kernels.h"

namespace {

const Layout layouts[] = {
    layout_565,
    layout_888,
    {"8-8-8 red and blue swapped", 0x0000FF, 0x00FF00, 0xFF0000, 1},
    {"8-8-8 in the top bytes", 0xFF000000u, 0x00FF0000, 0x0000FF00, 1},
    {"4-4-4", 0x0F00, 0x00F0, 0x000F, 0},
    {"6-5-5", 0xFC00, 0x03E0, 0x001F, 0},
    {"5-6-5 without green", 0xF800, 0, 0x001F, 0},
    {"8-8-8 without red", 0, 0x00FF00, 0x0000FF, 1},
    {"10-10-10", 0x3FF00000, 0x000FFC00, 0x000003FF, 1},
    {"B-G-R-x", 0x0000FF00, 0x00FF0000, 0xFF000000u, 1},
    {"8-8-8 green on top", 0x0000FF00, 0xFF000000u, 0x000000FF, 1},
};

const int sizes[][2] = {{176, 144}, {352, 288}, {16, 16}, {18, 14}, {48, 32}};

const uint8_t edge_luma[] = {0, 1, 2, 127, 128, 254, 255};
const uint8_t edge_chroma[] = {0, 1, 124, 127, 128, 129, 254, 255};

bool reference_forced()
{
    const char *value = getenv("TRIVISTA_REFERENCE");
    return value && strcmp(value, "1") == 0;
}

enum Fill { random_samples, edge_samples, constant_chroma, almost_constant_chroma };

void fill_picture(Picture &picture, Fill fill, std::mt19937 &random)
{
    for (auto &sample : picture.y)
        sample = fill == edge_samples ? edge_luma[random() % 7] : (uint8_t)random();
    if (fill == constant_chroma || fill == almost_constant_chroma) {
        uint8_t cb = random() % 2 ? 124 : (uint8_t)random();
        uint8_t cr = random() % 2 ? 124 : (uint8_t)random();
        std::fill(picture.u.begin(), picture.u.end(), cb);
        std::fill(picture.v.begin(), picture.v.end(), cr);
        if (fill == almost_constant_chroma)
            (random() % 2 ? picture.u : picture.v).back() ^= 0x40;
        return;
    }
    for (auto *plane : {&picture.u, &picture.v})
        for (auto &sample : *plane)
            sample = fill == edge_samples ? edge_chroma[random() % 8] : (uint8_t)random();
}

struct Candidate {
    std::string name;
    RenderKernels kernels;
};

std::vector<Candidate> candidates()
{
    const RenderVariant *variants[8];
    int count = available_render_variants(variants, 8);
    std::vector<Candidate> list;
    for (int i = 1; i < count; i++)
        list.push_back(Candidate{variants[i]->name, variants[i]->kernels});
    list.push_back(Candidate{"dispatched", {Color16DitherImage, Color32DitherImage,
                                            DitherImageToGray16, DitherImageToGray32}});
    return list;
}

// Renders with the reference and with `fast` into guarded buffers and compares all bytes.
void expect_same_bytes(render_fn reference, render_fn fast, const Picture &picture,
                       int bytes_per_pixel, const std::string &what)
{
    Buffer expected(picture, bytes_per_pixel, 0x3C);
    Buffer actual(picture, bytes_per_pixel, 0x3C);
    reference(&picture.frame, expected.data());
    fast(&picture.frame, actual.data());
    if (expected.bytes == actual.bytes)
        return;
    size_t first = 0;
    while (expected.bytes[first] == actual.bytes[first])
        first++;
    ADD_FAILURE() << what << ": first differing byte " << first << " of "
                  << expected.picture_bytes << " (pixel " << first / bytes_per_pixel
                  << ", column " << first / bytes_per_pixel % picture.width << ")";
}

void compare_on_layout(const Layout &layout, int frames_per_fill)
{
    use_layout(layout);
    std::mt19937 random(20261207);
    for (const auto &size : sizes) {
        Picture picture(size[0], size[1]);
        picture.set_size();
        for (Fill fill : {random_samples, edge_samples, constant_chroma, almost_constant_chroma})
            for (int n = 0; n < frames_per_fill; n++) {
                fill_picture(picture, fill, random);
                for (const Candidate &c : candidates()) {
                    std::string what = std::string(layout.name) + " " + c.name + " " +
                                       std::to_string(size[0]) + "x" + std::to_string(size[1]) +
                                       " fill " + std::to_string(fill) + " frame " +
                                       std::to_string(n);
                    // Both widths on every layout: the fast kernels must also fall back
                    // correctly where the tables do not fit the pixel width.
                    expect_same_bytes(Color16DitherImage_C, c.kernels.color16, picture, 2,
                                      what + " colour 16");
                    expect_same_bytes(Color32DitherImage_C, c.kernels.color32, picture, 4,
                                      what + " colour 32");
                    expect_same_bytes(DitherImageToGray16_C, c.kernels.gray16, picture, 2,
                                      what + " gray 16");
                    expect_same_bytes(DitherImageToGray32_C, c.kernels.gray32, picture, 4,
                                      what + " gray 32");
                }
            }
    }
}

class FastRenderers : public testing::TestWithParam<Layout> {};

TEST_P(FastRenderers, GiveTheReferenceBytesForEveryPicture)
{
    compare_on_layout(GetParam(), 4);
}

INSTANTIATE_TEST_SUITE_P(OnEveryLayout, FastRenderers, testing::ValuesIn(layouts),
                         [](const testing::TestParamInfo<Layout> &info) {
                             std::string name;
                             for (const char *p = info.param.name; *p; p++)
                                 name += isalnum((unsigned char)*p) ? *p : '_';
                             return name;
                         });

TEST(FastLayout, TakesTheShiftsOfTheUsualLayoutsAndStoresWholeBytesWhereItCan)
{
    use_layout(layout_565);
    EXPECT_TRUE(fast_layout.shifts_match16);
    EXPECT_FALSE(fast_layout.shifts_match32) << "16-bit tables repeat their entries";
    use_layout(layout_888);
    EXPECT_TRUE(fast_layout.shifts_match32);
    EXPECT_EQ(fast_layout.byte_order32, byte_order_xrgb);
    use_layout(layouts[2]);
    EXPECT_EQ(fast_layout.byte_order32, byte_order_xbgr);
    use_layout(layouts[3]);
    EXPECT_EQ(fast_layout.byte_order32, byte_order_rgbx);
    use_layout(Layout{"B-G-R-x", 0x0000FF00, 0x00FF0000, 0xFF000000u, 1});
    EXPECT_EQ(fast_layout.byte_order32, byte_order_bgrx);
    use_layout(layouts[8]);  // 10-10-10
    EXPECT_TRUE(fast_layout.shifts_match32);
    EXPECT_EQ(fast_layout.byte_order32, byte_order_none);
}

TEST(FastLayout, FallsBackWhenTheTablesHoldSomethingElse)
{
    use_layout(layout_888);
    int32_t saved = g_2_pix[77];
    g_2_pix[77] ^= 1;
    select_render_kernels();
    EXPECT_FALSE(fast_layout.shifts_match32);
    Picture picture(48, 32, 77);
    picture.set_size();
    for (const Candidate &c : candidates())
        expect_same_bytes(Color32DitherImage_C, c.kernels.color32, picture, 4,
                          c.name + " with an odd table entry");
    g_2_pix[77] = saved;
    select_render_kernels();
}

TEST(KernelChoice, IsTheFastestVariantUnlessTheReferenceIsForced)
{
    use_layout(layout_888);
    const RenderVariant *variants[8];
    int count = available_render_variants(variants, 8);
    ASSERT_GE(count, 1);
    EXPECT_EQ(variants[0], &render_variant_C);
    const RenderVariant *expected = reference_forced() ? variants[0] : variants[count - 1];
    EXPECT_EQ(render_kernels.color32, expected->kernels.color32) << expected->name;
    EXPECT_EQ(render_kernels.gray16, expected->kernels.gray16) << expected->name;
#if defined(__x86_64__)
    EXPECT_GE(count, 2) << "every x86-64 processor has SSE2";
#endif
}

}  // namespace

namespace {

TEST(GrayOffset, IsMinusOneForDifferencePicturesAndMissingForSomeChroma)
{
    use_layout(layout_888);
    int d = 0;
    ASSERT_TRUE(gray_offset_for_chroma(124, 124, fadetogray32, &d));
    EXPECT_EQ(d, -1);
    // Three equal levels weigh to a hair below the level for some lumas only.
    EXPECT_FALSE(gray_offset_for_chroma(128, 128, fadetogray32, &d));
    // Pairs where the truncation of the gray level wobbles with the luma need the table:
    // both ways must give the reference bytes.
    int without = -1;
    for (int pair = 0; pair < 65536 && without < 0; pair++)
        if (!gray_offset_for_chroma((uint8_t)(pair >> 8), (uint8_t)pair, fadetogray32, &d))
            without = pair;
    ASSERT_GE(without, 0) << "every chroma pair has an offset: the table path is untested";
    for (const Layout &layout : {layout_565, layout_888}) {
        use_layout(layout);
        for (int pair : {without, 124 * 257, 128 * 257, 0, 255 * 257}) {
            Picture picture(48, 32, 0, (uint8_t)(pair >> 8), (uint8_t)pair);
            for (int i = 0; i < 48 * 32; i++)
                picture.y[i] = (uint8_t)i;  // every luma value, more than once
            picture.set_size();
            for (const Candidate &c : candidates()) {
                std::string what = std::string(layout.name) + " " + c.name + " U " +
                                   std::to_string(pair >> 8) + " V " + std::to_string(pair & 255);
                expect_same_bytes(DitherImageToGray16_C, c.kernels.gray16, picture, 2, what);
                expect_same_bytes(DitherImageToGray32_C, c.kernels.gray32, picture, 4, what);
            }
        }
    }
}

}  // namespace
