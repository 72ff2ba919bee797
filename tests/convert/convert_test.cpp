// The conversion against its definition written out here; every fast renderer, byte for byte.
#include <sys/resource.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "common/pixel_format.h"
#include "convert/color_tables.h"
#include "convert/convert_kernels.h"
#include "convert/difference_view.h"
#include "convert/plane_view.h"
#include "convert/reduce.h"
#include "quality/difference_fast.h"
#include "quality/quality_kernels.h"
#include "convert/render_kernels.h"
#include "convert/renderers.h"
#include "convert/zoom.h"

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
    std::copy(layout.mask, layout.mask + 3, pixel_tables.wpixel);
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
        pixel_tables.L_tab = pixel_tables.Cr_r_tab = pixel_tables.Cr_g_tab = pixel_tables.Cb_g_tab = pixel_tables.Cb_b_tab = nullptr;  // else freed and reused
        pixel_tables.r_2_pix_alloc = pixel_tables.g_2_pix_alloc = pixel_tables.b_2_pix_alloc = nullptr;
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
    EXPECT_EQ(convert_kernels.render.color32, variants[count - 1]->kernels.color32) << "the fastest is chosen";
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
        const int32_t *tables[3] = {pixel_tables.r_2_pix, pixel_tables.g_2_pix, pixel_tables.b_2_pix};
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
    DifferenceVariant d[4], w[4];
    select_quality_kernels();
    EXPECT_TRUE(quality_kernels.difference.narrow == d[available_difference_variants(d, 4) - 1].sum &&
                quality_kernels.difference.wide == w[available_wide_difference_variants(w, 4) - 1].sum);
    setenv("TRIVISTA_REFERENCE", "1", 1);
    select_render_kernels(), select_quality_kernels(), unsetenv("TRIVISTA_REFERENCE");
    EXPECT_TRUE(convert_kernels.render.color32 == Color32DitherImage_C && quality_kernels.difference.narrow == difference_sum_C &&
                quality_kernels.difference.wide == difference_sum_wide_C);
    select_quality_kernels();
    for (int layout : {1, 5}) {  // green entries with bits the shifts cannot give, at 32 and 16 bits
        use_layout(layouts[layout]);
        for (int level = -256; level < 512; level++)
            pixel_tables.g_2_pix[level] |= 0x10008000;
        select_render_kernels();
        expect_reference_bytes(Picture(48, 32));
    }
}

// R, G, B (0..255, unrounded) of coded samples, solved by Cramer's rule from the definition of
// the matrix: Y = Kr R + Kg G + Kb B, Cb = (B - Y) / 2(1 - Kb), Cr = (R - Y) / 2(1 - Kr), coded
// as 16 + 219 Y and 128 + 224 C on limited range, 255 Y and 128 + 255 C on full range.
std::array<double, 3> textbook_rgb(int matrix, bool limited, int y, int u, int v)
{
    const double kr = std::array{0.299, 0.2126, 0.2627}[matrix], kb = std::array{0.114, 0.0722, 0.0593}[matrix], kg = 1 - kr - kb;
    const double m[3][3] = {{kr, kg, kb}, {-kr / (2 - 2 * kb), -kg / (2 - 2 * kb), 0.5}, {0.5, -kg / (2 - 2 * kr), -kb / (2 - 2 * kr)}};
    const double coded[3] = {limited ? (y - 16) / 219.0 : y / 255.0, (u - 128) / (limited ? 224.0 : 255.0), (v - 128) / (limited ? 224.0 : 255.0)};
    auto det = [](const double (&a)[3][3]) { return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
        a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) + a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]); };
    std::array<double, 3> rgb;
    for (int c = 0; c < 3; c++) {
        double replaced[3][3];
        for (int row = 0; row < 3; row++)
            for (int col = 0; col < 3; col++)
                replaced[row][col] = col == c ? coded[row] : m[row][col];
        rgb[c] = 255 * det(replaced) / det(m);
    }
    return rgb;
}

TEST(Renderers, EachMatrixAndRangeGivesTheTextbookLevelsAndFastVariantsTheReferenceBytes)
{
    // Rows of one chroma pair each under a luma gradient 0..255: neutral, the extremes, the
    // limits of limited range, the 75 % colour bars of BT.601, and random pairs.
    std::vector<std::pair<int, int>> pairs = {{128, 128}, {0, 0}, {255, 255}, {0, 255}, {255, 0}, {16, 16}, {240, 240},
        {16, 240}, {240, 16}, {44, 142}, {156, 44}, {72, 58}, {184, 198}, {100, 212}, {212, 114}};
    std::mt19937 random(11);
    while (pairs.size() < 48)
        pairs.push_back({int(random() % 256), int(random() % 256)});
    Picture picture(512, 2 * (int)pairs.size());
    for (size_t i = 0; i < picture.y.size(); i++)
        picture.y[i] = (uint8_t)(i % 512 / 2);
    for (size_t b = 0; b < picture.u.size(); b++)
        picture.u[b] = (uint8_t)pairs[b / 256].first, picture.v[b] = (uint8_t)pairs[b / 256].second;
    Bytes gray[2];
    for (int conversion = 0; conversion < 6; conversion++) {
        const int matrix = conversion / 2;
        const bool limited = conversion % 2;
        pixel_tables.colour_conversion = ColourConversion{matrix, limited ? range_limited : range_full};
        for (int layout : {0, 1}) {
            use_layout(layouts[layout]);
            expect_reference_bytes(picture);
            Bytes now = render(render_gray, picture, 2 + layout);
            EXPECT_TRUE(gray[layout].empty() || now == gray[layout]) << "difference pictures look the same under every conversion";
            gray[layout] = now;
        }
        Bytes out = render(render_colour, picture, 1);  // 8-8-8: the levels themselves
        int worst = 0, exact = 0;
        for (size_t i = 0; i < picture.y.size(); i++) {
            size_t b = i / 1024 * 256 + i % 512 / 2;
            std::array<double, 3> rgb = textbook_rgb(matrix, limited, picture.y[i], picture.u[b], picture.v[b]);
            for (int c = 0; c < 3; c++) {
                int expected = std::clamp((int)std::lround(rgb[c]), 0, 255), got = pixel_at(out, i, 1) >> (16 - 8 * c) & 0xFF;
                worst = std::max(worst, std::abs(got - expected)), exact += got == expected;
            }
        }
        // Each level is the sum of a luma and one or two chroma entries. The default tables
        // truncate each entry toward zero (green: two of them), so they may lie two levels
        // off; the others keep eighths of a level and round the sum, one level off at most.
        EXPECT_LE(worst, conversion == 0 ? 2 : 1) << conversion;
        EXPECT_GE(exact, (conversion == 0 ? 0.6 : 0.9) * 3 * picture.y.size()) << conversion;
    }
    pixel_tables.colour_conversion = default_colour_conversion;
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

namespace {

// A picture with rows `pad` bytes wider than its samples, random samples of 0..range-1.
struct PaddedPicture {
    Bytes y, u, v;
    YuvFrame frame;
    PaddedPicture(int w, int h, int pad, std::mt19937 &random, int range)
        : y((w + pad) * h), u((w / 2 + pad) * h / 2), v(u.size()),
          frame{y.data(), u.data(), v.data(), w, h, 8, chroma_420, w + pad, w / 2 + pad}
    {
        for (Bytes *plane : {&y, &u, &v})
            for (uint8_t &sample : *plane)
                sample = (uint8_t)(random() % range);
    }
};

// Sample (x, y) of plane 0..2 of a zoomed-out picture, from the definition.
int box_mean(const YuvFrame &in, int plane, int x, int y, int n)
{
    const uint8_t *samples = plane == 0 ? in.y : plane == 1 ? in.u : in.v;
    ptrdiff_t stride = plane == 0 ? in.luma_stride : in.chroma_stride;
    int sum = 0;
    for (int i = 0; i < n * n; i++)
        sum += samples[(y * n + i / n) * stride + x * n + i % n];
    return (int)std::lround(sum / (double)(n * n) + 1e-9);  // halves round up
}

}  // namespace

// A family's list stops at the room it is given: the first `capacity` variants, reference first, and not one more.
template <typename Kernels>
void expect_listed_within_room(int (*available)(const Kernels **, int))
{
    const Kernels *all[8] = {};
    int count = available(all, 8);
    ASSERT_TRUE(count >= 1 && count < 8);
    for (int capacity = 0; capacity <= count; capacity++) {
        const Kernels *list[8] = {};
        EXPECT_EQ(available(list, capacity), capacity);
        EXPECT_TRUE(std::equal(list, list + capacity, all) && list[capacity] == nullptr) << capacity;
    }
}

TEST(KernelChoice, EveryFamilyListsAtMostTheRoomItIsGiven)
{
    expect_listed_within_room(available_zoom_variants);
    expect_listed_within_room(available_render_variants);
}

TEST(Zoom, OutByNAveragesBlocksOrKeepsTheLargestErrorAndEveryVariantGivesTheReferenceBytes)
{
    const ZoomKernels *variants[4];
    int count = available_zoom_variants(variants, 4);
    std::mt19937 random(7);
    // Every factor of -zoom at awkward sizes: vector tails, stretches of more than 128 outputs, blocks cut
    // at the right and bottom edges; random samples, few levels (ties), and only 0 and 255 (the largest sums).
    struct Case { int w, h, pad, n, range; } cases[] = {
        {16, 16, 0, 2, 256}, {50, 22, 3, 2, 4}, {38, 30, 1, 3, 256}, {44, 18, 0, 4, 2}, {34, 26, 5, 2, 256},
        {530, 10, 7, 2, 256}, {796, 14, 0, 3, 3}, {1030, 18, 2, 4, 256}, {1290, 22, 1, 5, 255}, {1550, 26, 0, 6, 2},
        {2066, 34, 3, 8, 256}, {70, 38, 9, 3, 255}, {94, 42, 0, 5, 4}, {110, 50, 5, 6, 256}, {142, 52, 1, 8, 3},
        {40, 40, 0, 8, 255}, {12, 12, 0, 6, 256}};
    for (const Case &c : cases) {
        PaddedPicture in(c.w, c.h, c.pad, random, c.range), second(c.w, c.h, c.pad + 1, random, c.range);
        if (c.range == 255)  // the edge values only
            for (PaddedPicture *p : {&in, &second})
                for (Bytes *plane : {&p->y, &p->u, &p->v})
                    for (uint8_t &sample : *plane)
                        sample = sample & 1 ? 255 : 0;
        PaddedPicture difference(c.w, c.h, c.pad, random, 256);
        int w = c.w / c.n & ~1, h = c.h / c.n & ~1;
        for (int v = 0; v < count; v++) {
            Picture out(w, h), out_difference(w, h);
            variants[v]->zoom_out(&in.frame, &out.frame, c.n);
            variants[v]->zoom_out_difference(&in.frame, &second.frame, &difference.frame, &out_difference.frame, c.n);
            for (int plane = 0; plane < 3; plane++)
                for (int y = 0; y < (plane ? h / 2 : h); y++)
                    for (int x = 0; x < (plane ? w / 2 : w); x++) {
                        const Bytes &got = plane == 0 ? out.y : plane == 1 ? out.u : out.v;
                        ASSERT_EQ(got[y * (plane ? w / 2 : w) + x], box_mean(in.frame, plane, x, y, c.n))
                            << variants[v]->name << " " << c.w << "x" << c.h << " /" << c.n << " plane " << plane;
                        const Bytes &got_chroma = plane == 1 ? out_difference.u : out_difference.v;
                        if (plane) {
                            ASSERT_EQ(got_chroma[y * w / 2 + x], box_mean(difference.frame, plane, x, y, c.n));
                        }
                    }
            for (int y = 0; y < h; y++)
                for (int x = 0; x < w; x++) {
                    std::vector<int> errors;  // the block in raster order
                    std::vector<uint8_t> stored;
                    for (int i = 0; i < c.n * c.n; i++) {
                        int row = y * c.n + i / c.n, column = x * c.n + i % c.n;
                        errors.push_back(std::abs(in.y[row * (c.w + c.pad) + column] -
                                                  second.y[row * (c.w + c.pad + 1) + column]));
                        stored.push_back(difference.y[row * (c.w + c.pad) + column]);
                    }
                    size_t first_largest = std::max_element(errors.begin(), errors.end()) - errors.begin();
                    ASSERT_EQ(out_difference.y[y * w + x], stored[first_largest])
                        << variants[v]->name << " " << c.w << "x" << c.h << " /" << c.n << " at " << x << "," << y;
                }
        }
    }
}

TEST(Zoom, InByNRepeatsEachRenderedPixelInPlaceAndEveryVariantGivesTheReferenceBytes)
{
    const ZoomKernels *variants[4];
    int count = available_zoom_variants(variants, 4);
    std::mt19937 random(11);
    for (int bytes : {2, 4})
        for (int n : {2, 3, 4})
            for (int w : {2, 14, 37}) {
                const int h = 6, stride = w * n * bytes + 8 * (n == 3);  // rows may be wider than the pixels
                Bytes picture(w * h * bytes);
                for (uint8_t &b : picture)
                    b = (uint8_t)random();
                for (int v = 0; v < count; v++) {
                    Bytes buffer(stride * h * n, 0xA5);
                    for (int r = 0; r < h; r++)
                        memcpy(&buffer[r * n * stride], &picture[r * w * bytes], w * bytes);
                    variants[v]->zoom_in(buffer.data(), w, h, bytes, stride, n);
                    for (int y = 0; y < h * n; y++)
                        for (int x = 0; x < w * n; x++)
                            ASSERT_EQ(memcmp(&buffer[y * stride + x * bytes],
                                             &picture[(y / n * w + x / n) * bytes], bytes), 0)
                                << variants[v]->name << " " << bytes << "-byte x" << n << " width " << w << " at " << x << "," << y;
                }
            }
}

// Display reduction of every sample format, rows padded: each luma sample and the mean of the chroma samples over each
// 4:2:0 position at 8 bits, halves up, at most 255; gray shows neutral chroma. Random and edge samples (0, the peak).
TEST(Reduction, RoundsEachFormatToEightBitsAndAveragesChromaOntoTheFourTwoZeroGrid)
{
    std::mt19937 random(17);
    for (int f = 0; f < pixel_format_count; f++)
        for (int edges = 0; edges < 2; edges++) {
            const PixelFormat &format = pixel_format_table[f];
            int w = 22, h = 14, bytes = sample_bytes(format.bit_depth), peak = (1 << format.bit_depth) - 1, pad = 6;
            int cw = layout_chroma_width(format.chroma, w), ch = layout_chroma_height(format.chroma, h);
            Bytes planes[3] = {Bytes((w * bytes + pad) * h), Bytes((cw * bytes + pad) * ch), Bytes((cw * bytes + pad) * ch)};
            for (Bytes &plane : planes)
                for (size_t i = 0; i < plane.size(); i += bytes) {
                    int v = edges ? random() % 2 * peak : random() % (peak + 1);
                    plane[i] = (uint8_t)v;
                    if (bytes == 2)
                        plane[i + 1] = (uint8_t)(v >> 8);
                }
            YuvFrame in{planes[0].data(), cw ? planes[1].data() : nullptr, cw ? planes[2].data() : nullptr, w, h, format.bit_depth,
                        format.chroma, w * bytes + pad, cw * bytes + pad};
            Picture out(w, h, 1, 2, 3);
            reduce_for_display(&in, &out.frame);
            auto sample = [&](int p, int x, int y) {
                const uint8_t *at = &planes[p][y * (p ? in.chroma_stride : in.luma_stride) + x * bytes];
                return bytes == 2 ? at[0] | at[1] << 8 : at[0];
            };
            double scale = std::pow(2.0, format.bit_depth - 8);
            for (int i = 0; i < w * h; i++)
                ASSERT_EQ(out.y[i], std::min(255.0, std::floor(sample(0, i % w, i / w) / scale + 0.5))) << format.name << " " << i;
            for (int p = 1; p < 3; p++)
                for (int i = 0; i < w * h / 4; i++) {
                    int x = i % (w / 2), y = i / (w / 2), across = cw / (w / 2), down = ch / (h / 2);
                    double sum = 0;
                    for (int k = 0; k < across * down; k++)
                        sum += sample(p, x * across + k % across, y * down + k / across);
                    double expected = cw ? std::min(255.0, std::floor(sum / (across * down) / scale + 0.5)) : 128;
                    ASSERT_EQ((p == 1 ? out.u : out.v)[i], expected) << format.name << " plane " << p << " " << i;
                }
        }
}

// A chroma plane spread over the luma grid: each sample of the output is the chroma sample that covers it, whole
// words at every depth, rows by the strides.
TEST(PlaneView, SpreadsEachChromaSampleOverTheLumaSamplesItCoversInEveryLayout)
{
    std::mt19937 random(29);
    for (int f = 0; f < pixel_format_count; f++) {
        const PixelFormat &format = pixel_format_table[f];
        int w = 22, h = 14, bytes = sample_bytes(format.bit_depth), pad = 6, stride = w * bytes + 4;
        int cw = layout_chroma_width(format.chroma, w), ch = layout_chroma_height(format.chroma, h);
        if (!cw)
            continue;
        Bytes chroma[2] = {Bytes((cw * bytes + pad) * ch), Bytes((cw * bytes + pad) * ch)}, out(stride * h, 7);
        for (Bytes &plane : chroma)
            std::generate(plane.begin(), plane.end(), [&] { return (uint8_t)random(); });
        YuvFrame in{nullptr, chroma[0].data(), chroma[1].data(), w, h, format.bit_depth, format.chroma, 0, cw * bytes + pad};
        for (int p = 1; p <= 2; p++) {
            spread_chroma_plane_C(&in, p, out.data(), stride);
            for (int y = 0; y < h; y++)
                for (int x = 0; x < w * bytes; x++)
                    ASSERT_EQ(out[y * stride + x], chroma[p - 1][y * ch / h * in.chroma_stride + x / bytes * cw / w * bytes + x % bytes])
                        << format.name << " plane " << p << " at " << x << "," << y;
            EXPECT_EQ(out[stride - 1], 7) << "beyond the row";
        }
    }
}

// Each view's level of d = (a - b) >> (depth - 8), at 8 and 10 bits, over every difference.
TEST(DifferenceViews, LevelsAreCentredGrayOrMagnitudeTimesTheGainClampedAtEveryDepth)
{
    for (int depth : {8, 10})
        for (DifferenceView view : {view_centred, view_heat})
            for (int gain : view_gains) {
                const int top = (1 << depth) - 1, bytes = depth > 8 ? 2 : 1, w = 64;
                std::vector<int> a, b;
                for (int x = 0; x <= top; x += top / 200 + 1)
                    for (int y : {0, x / 2, top - x, top})
                        a.push_back(x), b.push_back(y);
                const int count = (int)a.size(), h = (count + w - 1) / w;
                a.resize(w * h, 0), b.resize(w * h, 0);
                std::vector<uint8_t> pa(w * h * bytes), pb(w * h * bytes), out(w * h, 7);
                for (int i = 0; i < w * h; i++)
                    for (int k = 0; k < bytes; k++)
                        pa[i * bytes + k] = (uint8_t)(a[i] >> 8 * k), pb[i * bytes + k] = (uint8_t)(b[i] >> 8 * k);
                YuvFrame fa = packed_frame(pa.data(), nullptr, nullptr, w, h, depth, chroma_gray);
                YuvFrame fb = packed_frame(pb.data(), nullptr, nullptr, w, h, depth, chroma_gray);
                uint8_t levels[view_level_count];
                build_view_levels(view, gain, levels);
                difference_view_levels_C(&fa, &fb, levels, out.data(), w);
                for (int i = 0; i < w * h; i++) {
                    int d = (int)std::floor((a[i] - b[i]) / double(1 << (depth - 8)));
                    int level = view == view_heat ? std::abs(d) * gain : 128 + gain * d;
                    ASSERT_EQ(out[i], std::clamp(level, 0, 255)) << depth << " " << a[i] << " " << b[i];
                }
            }
}

// The published scheme at its ends and middle, and a brightness that never falls.
TEST(DifferenceViews, TheHeatMapRunsFromBlackToWhiteThroughCubehelixWithRisingBrightness)
{
    auto expected = [](int level, int channel) {
        const double coefficients[3][2] = {{-0.14861, 1.78277}, {-0.29227, -0.90649}, {1.97294, 0}};
        double l = level / 255.0, a = l * (1 - l) / 2, phi = 2 * M_PI * (0.5 / 3 - 1.5 * l);
        double v = l + a * (coefficients[channel][0] * std::cos(phi) + coefficients[channel][1] * std::sin(phi));
        return (int)std::lround(std::clamp(v, 0.0, 1.0) * 255);
    };
    double brightness = -1;
    for (int level = 0; level < 256; level++) {
        uint8_t rgb[3];
        heat_map_colour(level, rgb);
        for (int c = 0; c < 3; c++)
            ASSERT_EQ(rgb[c], expected(level, c)) << level;
        double now = 0.30 * rgb[0] + 0.59 * rgb[1] + 0.11 * rgb[2];
        EXPECT_GE(now, brightness - 1.0) << level;  // one step of rounding at most
        brightness = now;
    }
    uint8_t black[3], white[3];
    heat_map_colour(0, black), heat_map_colour(255, white);
    EXPECT_EQ(black[0] + black[1] + black[2], 0);
    EXPECT_EQ(white[0] + white[1] + white[2], 3 * 255);
}

// Levels through the pixel table of the visual: gray in every channel, or the heat colour.
TEST(DifferenceViews, LevelsBecomeTheirGrayOrHeatPixelAtEachPixelWidth)
{
    for (int deep : {0, 1}) {
        pixel_tables.wpixel[0] = deep ? 0xff0000 : 0xf800, pixel_tables.wpixel[1] = deep ? 0xff00 : 0x7e0, pixel_tables.wpixel[2] = deep ? 0xff : 0x1f;
        InitColorDither(deep);
        for (DifferenceView view : {view_centred, view_heat}) {
            std::vector<uint8_t> levels(256);
            for (int i = 0; i < 256; i++)
                levels[i] = (uint8_t)(255 - i);
            YuvFrame picture = packed_frame(levels.data(), nullptr, nullptr, 16, 16, 8, chroma_gray);
            uint32_t pixels[256];
            build_view_pixels(view, pixels);
            std::vector<uint8_t> out(16 * 16 * 4 + 4, 0xee);
            render_view_levels_C(&picture, pixels, deep ? 4 : 2, out.data(), 16 * (deep ? 4 : 2));
            for (int i = 0; i < 256; i++) {
                uint8_t rgb[3] = {levels[i], levels[i], levels[i]};
                if (view == view_heat)
                    heat_map_colour(levels[i], rgb);
                uint32_t want = deep ? rgb[0] << 16 | rgb[1] << 8 | rgb[2]
                                     : (rgb[0] >> 3) << 11 | (rgb[1] >> 2) << 5 | rgb[2] >> 3;
                uint32_t got = deep ? ((uint32_t *)out.data())[i] : ((uint16_t *)out.data())[i];
                ASSERT_EQ(got, want) << i;
            }
            EXPECT_EQ(out[16 * 16 * (deep ? 4 : 2)], 0xee);
        }
    }
}
