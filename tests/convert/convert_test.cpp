// The conversion against its definition written out here; every fast renderer, byte for byte.
#include <sys/resource.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "convert/color_tables.h"
#include "quality/difference_fast.h"
#include "quality/quality_kernels.h"
#include "convert/render_kernels.h"
#include "convert/renderers.h"

namespace {

typedef std::vector<uint8_t> Bytes;
struct Layout { uint32_t mask[3]; int thirty_two_bit; };  // masks: red, green, blue

// 5-6-5, 8-8-8 in its four byte orders, 4-4-4, 6-5-5, empty channels, masks over 8 bits.
const Layout layouts[] = {
    {{0xF800, 0x7E0, 0x1F}, 0}, {{0xFF0000, 0xFF00, 0xFF}, 1}, {{0xFF, 0xFF00, 0xFF0000}, 1},
    {{0xFF000000, 0xFF0000, 0xFF00}, 1}, {{0xFF00, 0xFF0000, 0xFF000000}, 1},
    {{0xF00, 0xF0, 0xF}, 0}, {{0xFC00, 0x3E0, 0x1F}, 0}, {{0xF800, 0, 0x1F}, 0},
    {{0, 0xFF00, 0xFF0000}, 1}, {{0x3FF00000, 0xFFC00, 0x3FF}, 1}, {{0xFFFFFFFF, 0xFFF, 0}, 0}};

void use_layout(const Layout &layout)
{
    std::copy(layout.mask, layout.mask + 3, wpixel);
    InitColorDither(layout.thirty_two_bit);
    select_render_kernels();
}

struct Picture {  // planes of a w x h picture without gaps between rows
    Bytes y, u, v;
    YuvFrame frame;
    Picture(int w, int h, uint8_t luma = 0, uint8_t cb = 0, uint8_t cr = 0)
        : y(w * h, luma), u(w * h / 4, cb), v(w * h / 4, cr), frame(packed_420_frame(y.data(), u.data(), v.data(), w, h)) {}
};

// Colour 16, colour 32, gray 16, gray 32: odd kinds have 4-byte pixels.
const render_fn RenderKernels::*const kinds[4] = {&RenderKernels::color16, &RenderKernels::color32,
                                                  &RenderKernels::gray16, &RenderKernels::gray32};

Bytes render(render_fn renderer, const Picture &picture, int kind)
{
    Bytes out(picture.y.size() * (kind % 2 ? 4 : 2) + 64, 0xA5);  // 64 guard bytes
    renderer(&picture.frame, out.data(), (ptrdiff_t)picture.frame.width * (kind % 2 ? 4 : 2));
    return out;
}

uint32_t pixel_at(const Bytes &out, size_t index, int kind)
{
    uint32_t pixel = 0;  // little-endian, as the renderers store it on x86
    memcpy(&pixel, &out[index * (kind % 2 ? 4 : 2)], kind % 2 ? 4 : 2);
    return pixel;
}

// A channel's bits for a level: clamped to 0..255, its top bits as many as the mask has
// (the level in the top 8 bits of a wider mask), moved to the mask's lowest bit.
uint32_t channel_bits(int level, uint32_t mask)
{
    uint32_t clamped = (uint32_t)std::clamp(level, 0, 255);
    int bits = __builtin_popcount(mask), low = mask ? __builtin_ctz(mask) : 0;
    return !mask ? 0 : bits <= 8 ? clamped >> (8 - bits) << low : clamped << (bits - 8 + low);
}

// Offsets (chroma - 128) x the four factors, each truncated toward zero; the gray level
// 0.3 R + 0.59 G + 0.11 B of the unclamped levels, truncated toward zero.
uint32_t model_pixel(const Layout &layout, bool gray, int y, int u, int v)
{
    int level[3] = {y + (int)((v - 128) * (0.419 / 0.299)),
                    y + (int)((v - 128) * -(0.299 / 0.419)) + (int)((u - 128) * -(0.114 / 0.331)),
                    y + (int)((u - 128) * (0.587 / 0.331))};
    int q = (int)(0.3 * level[0] + 0.59 * level[1] + 0.11 * level[2]);
    uint32_t pixel = 0;
    for (int c = 0; c < 3; c++)
        pixel |= channel_bits(gray ? q : level[c], layout.mask[c]);
    return layout.thirty_two_bit ? pixel : pixel & 0xFFFF;
}

#if !defined(__SANITIZE_ADDRESS__)  // the sanitizer reserves more address space than any limit
TEST(Conversion, TablesWithoutMemoryEndWithTheMessageAndStatus1)
{
    auto without_memory = [] {  // no address space beyond what is mapped, the heap used up
        L_tab = Cr_r_tab = Cr_g_tab = Cb_g_tab = Cb_b_tab = nullptr;  // else freed and reused
        r_2_pix_alloc = g_2_pix_alloc = b_2_pix_alloc = nullptr;
        const struct rlimit none = {0, 0};
        setrlimit(RLIMIT_AS, &none);
        while (void *volatile block = malloc(512))
            (void)block;
        use_layout(layouts[0]);
        exit(0);
    };
    EXPECT_EXIT(without_memory(), testing::ExitedWithCode(1), "^Could not get enough memory in InitColorDither\n$");
}
#endif

// Every fast renderer and the public names the loop calls give the reference bytes.
void expect_reference_bytes(const Picture &picture)
{
    const RenderVariant *variants[4];
    int count = available_render_variants(variants, 4);
#if defined(__x86_64__)
    EXPECT_EQ(count, 1 + !!__builtin_cpu_supports("sse2") + !!__builtin_cpu_supports("avx2"));
#endif
    EXPECT_EQ(render_kernels.color32, variants[count - 1]->kernels.color32) << "the fastest is chosen";
    RenderKernels chosen = {Color16DitherImage, Color32DitherImage, DitherImageToGray16, DitherImageToGray32};
    for (int kind = 0; kind < 4; kind++) {
        Bytes expected = render(render_variant_C.kernels.*kinds[kind], picture, kind);
        for (int v = 1; v <= count; v++)  // the last: the public name
            ASSERT_TRUE(render((v < count ? variants[v]->kernels : chosen).*kinds[kind], picture, kind) == expected)
                << "variant " << v << ", kind " << kind << ", " << picture.frame.width << " wide";
    }
}

TEST(Renderers, FollowTheDefinitionAndFastVariantsGiveTheReferenceBytesOnEveryLayout)
{
    struct { int layout, kind, y, u, v; uint32_t pixel; } cases[] = {
        {0, 0, 100, 50, 200, 0xCA40}, {0, 2, 100, 50, 200, 0x632C},      // worked example
        {1, 1, 100, 50, 200, 0xC84B00}, {1, 3, 100, 50, 200, 0x646464},  // 104 if blue clamped first
        {1, 1, 255, 0, 255, 0xFFD11D}, {1, 3, 255, 124, 124, 0xFEFEFE},  // red 432 clamps; difference
        {1, 3, 2, 124, 124, 0x010101}, {1, 3, 1, 124, 124, 0}};          // pictures: one level below
    for (const auto &c : cases) {
        use_layout(layouts[c.layout]);
        Bytes out = render(render_variant_C.kernels.*kinds[c.kind], Picture(2, 2, c.y, c.u, c.v), c.kind);
        EXPECT_EQ(pixel_at(out, 3, c.kind), c.pixel) << c.y << " " << c.u << " " << c.v;
    }
    const uint8_t edges[] = {0, 1, 2, 124, 127, 128, 129, 254, 255};
    std::mt19937 random(7);
    auto sample = [&](bool edge) { return edge ? edges[random() % 9] : (uint8_t)random(); };
    for (const Layout &layout : layouts) {
        use_layout(layout);
        const int32_t *tables[3] = {r_2_pix, g_2_pix, b_2_pix};
        for (int c = 0; c < 3; c++)
            for (int level = -256; level < 512; level++)  // 16-bit entries hold their bits twice
                ASSERT_EQ((uint32_t)tables[c][level], channel_bits(level, layout.mask[c]) *
                                                          (layout.thirty_two_bit ? 1 : 0x10001u));
        for (auto [width, height] : {std::pair(512, 512), {176, 144}, {352, 288}, {16, 16}, {18, 14}, {48, 32}})
            for (int fill : {0, 1, 2, 3, 6, 7}) {  // chroma: every pair, edges, constant, all but one
                if (width > 176 && (fill > 1 || (width == 512 && &layout > &layouts[1])))  // for speed
                    continue;
                bool edge = fill % 4 == 1, constant = fill % 4 > 1;
                Picture picture(width, height, 0, fill < 4 ? 124 : random(), fill < 4 ? 124 : random());
                for (auto *plane : {&picture.y, &picture.u, &picture.v})
                    for (auto &x : *plane)
                        x = constant && plane != &picture.y ? x : sample(edge);
                for (size_t b = 0; fill == 0 && b < picture.u.size(); b++)  // at 512 x 512 each pair once
                    picture.u[b] = (uint8_t)b, picture.v[b] = (uint8_t)(b >> 8);
                (fill == 3 ? picture.u : picture.v).back() ^= fill % 4 == 3 ? 0x40 : 0;
                for (int kind = layout.thirty_two_bit; fill < 2 && kind < 4; kind += 2) {
                    Bytes out = render(render_variant_C.kernels.*kinds[kind], picture, kind);
                    for (size_t i = 0; i < picture.y.size(); i++) {
                        size_t b = i / width / 2 * (width / 2) + i % width / 2;
                        ASSERT_EQ(pixel_at(out, i, kind), model_pixel(layout, kind > 1, picture.y[i],
                                                                      picture.u[b], picture.v[b])) << i;
                    }
                    EXPECT_EQ(Bytes(out.end() - 64, out.end()), Bytes(64, 0xA5)) << "guard bytes";
                }
                expect_reference_bytes(picture);
            }
    }
    DifferenceVariant d[4];
    select_quality_kernels();
    EXPECT_EQ(difference_sum, d[available_difference_variants(d, 4) - 1].sum);
    setenv("TRIVISTA_REFERENCE", "1", 1);
    select_render_kernels(), select_quality_kernels(), unsetenv("TRIVISTA_REFERENCE");
    EXPECT_TRUE(render_kernels.color32 == Color32DitherImage_C && difference_sum == difference_sum_C);
    select_quality_kernels();
    for (int layout : {1, 5}) {  // green entries with bits the shifts cannot give, at 32 and 16 bits
        use_layout(layouts[layout]);
        for (int level = -256; level < 512; level++)
            g_2_pix[level] |= 0x10008000;
        select_render_kernels();
        expect_reference_bytes(Picture(48, 32));
    }
}

TEST(Renderers, RowsApartByTheStridesGetThePackedPicturesPixelsAndPaddingStaysUntouched)
{
    const struct { int luma, chroma, out; } pads[] = {{13, 7, 24}, {0, 0, 8}, {16, 0, 0}};  // bytes after a row
    const int w = 50, h = 14;  // every fast step leaves columns over in each row
    const RenderVariant *variants[4];
    const int count = available_render_variants(variants, 4);
    std::mt19937 random(3);
    for (int layout : {0, 1})
        for (int fill : {0, 1, 2}) {  // chroma random; constant, as in difference pictures; all but a row
            use_layout(layouts[layout]);
            Picture packed(w, h, 0, 124, 124);
            for (auto *plane : {&packed.y, &packed.u, &packed.v}) for (auto &x : *plane)
                x = fill && plane != &packed.y ? x : (uint8_t)random();
            std::fill(packed.u.end() - (fill == 2 ? w / 2 : 0), packed.u.end(), 64);
            for (const auto &pad : pads) {
                const int ls = w + pad.luma, cs = w / 2 + pad.chroma;
                Bytes y(ls * h, 0x5A), u(cs * h / 2, 124), v(cs * h / 2, 124);  // chroma padding as if constant
                for (int row = 0; row < h; row++)
                    std::copy_n(&packed.y[row * w], w, &y[row * ls]), std::copy_n(&packed.u[row / 2 * w / 2], w / 2, &u[row / 2 * cs]),
                        std::copy_n(&packed.v[row / 2 * w / 2], w / 2, &v[row / 2 * cs]);
                YuvFrame padded{y.data(), u.data(), v.data(), w, h, 8, chroma_420, ls, cs};
                for (int kind = layout, bytes = 2 + 2 * layout, stride = w * bytes + pad.out; kind < 4; kind += 2) {
                    Bytes expected = render(render_variant_C.kernels.*kinds[kind], packed, kind), out;
                    ASSERT_EQ(rendered_pixel_bytes(), bytes);
                    for (int i = 0; i <= count; i++) {  // the last: the entry point for the tables' width
                        out.assign(stride * h, 0xA5);
                        (i < count ? variants[i]->kernels.*kinds[kind] : kind < 2 ? render_colour : render_gray)(&padded, out.data(), stride);
                        for (auto at = out.begin(); at < out.end(); at += stride)
                            ASSERT_TRUE(std::equal(at, at + w * bytes, expected.begin() + (at - out.begin()) / stride * w * bytes) &&
                                        Bytes(at + w * bytes, at + stride) == Bytes(pad.out, 0xA5)) << i << " " << kind << " " << pad.out;
                    }
                }
            }
        }
}

}  // namespace
