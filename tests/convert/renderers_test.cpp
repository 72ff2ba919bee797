// The four renderers against the worked examples and edge cases of the conversion, run
// through every variant this processor has and through the public names.
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "convert_fixture.h"
#include "render_kernels.h"

namespace {

enum Kind { color16, color32, gray16, gray32 };

struct Named {
    std::string name;
    render_fn render;
};

render_fn kernel_of(const RenderKernels &kernels, Kind kind)
{
    switch (kind) {
    case color16: return kernels.color16;
    case color32: return kernels.color32;
    case gray16: return kernels.gray16;
    default: return kernels.gray32;
    }
}

// Every variant, then the public renderer of that kind.
std::vector<Named> renderers_of(Kind kind)
{
    const RenderVariant *variants[8];
    int count = available_render_variants(variants, 8);
    std::vector<Named> list;
    for (int i = 0; i < count; i++)
        list.push_back(Named{variants[i]->name, kernel_of(variants[i]->kernels, kind)});
    const render_fn public_names[4] = {Color16DitherImage, Color32DitherImage,
                                       DitherImageToGray16, DitherImageToGray32};
    list.push_back(Named{"public", public_names[kind]});
    return list;
}

int bytes_per_pixel(Kind kind)
{
    return kind == color16 || kind == gray16 ? 2 : 4;
}

// The (wide) test pictures are 32 x 2 so that the fast variants convert them in full
// steps; the first block carries the pixel under test.
uint32_t render_one(const Named &renderer, Kind kind, uint8_t luma, uint8_t cb, uint8_t cr)
{
    Picture picture(32, 2, luma, cb, cr);
    picture.set_size();
    Buffer buffer(picture, bytes_per_pixel(kind));
    renderer.render(&picture.frame, buffer.data());
    return bytes_per_pixel(kind) == 2 ? buffer.pixel16(0) : buffer.pixel32(0);
}

TEST(WorkedExample, Gives0xCA40And0x632COn565)
{
    use_layout(layout_565);
    for (const Named &r : renderers_of(color16))
        EXPECT_EQ(render_one(r, color16, 100, 50, 200), 0xCA40u) << r.name;
    for (const Named &r : renderers_of(gray16))
        EXPECT_EQ(render_one(r, gray16, 100, 50, 200), 0x632Cu) << r.name;
}

TEST(WorkedExample, GivesRed200Green75Blue0AndGray100On888)
{
    use_layout(layout_888);
    for (const Named &r : renderers_of(color32))
        EXPECT_EQ(render_one(r, color32, 100, 50, 200), 0xC84B00u) << r.name;
    for (const Named &r : renderers_of(gray32))
        EXPECT_EQ(render_one(r, gray32, 100, 50, 200), 0x646464u) << r.name;
}

TEST(ColourPixels, ClampEachChannelOnItsOwn)
{
    use_layout(layout_888);
    for (const Named &r : renderers_of(color32)) {
        // Red 432 clamps to 255, green 209, blue 29.
        EXPECT_EQ(render_one(r, color32, 255, 0, 255), 0xFFD11Du) << r.name;
        EXPECT_EQ(render_one(r, color32, 0, 255, 0), 0x0030E1u) << r.name;  // -179, 48, 225
    }
}

TEST(ColourPixels, AreNeutralWhenChromaIs128)
{
    use_layout(layout_888);
    for (const Named &r : renderers_of(color32)) {
        EXPECT_EQ(render_one(r, color32, 128, 128, 128), 0x808080u) << r.name;
        EXPECT_EQ(render_one(r, color32, 255, 128, 128), 0xFFFFFFu) << r.name;
        EXPECT_EQ(render_one(r, color32, 0, 128, 128), 0u) << r.name;
    }
}

TEST(GrayPixels, OfDifferencePicturesAreOneLevelBelowTheLuma)
{
    use_layout(layout_888);
    for (const Named &r : renderers_of(gray32)) {
        EXPECT_EQ(render_one(r, gray32, 0, 124, 124), 0u) << r.name;
        EXPECT_EQ(render_one(r, gray32, 1, 124, 124), 0u) << r.name;
        EXPECT_EQ(render_one(r, gray32, 2, 124, 124), 0x010101u) << r.name;
        EXPECT_EQ(render_one(r, gray32, 255, 124, 124), 0xFEFEFEu) << r.name;
        for (uint32_t luma = 1; luma < 256; luma++)
            ASSERT_EQ(render_one(r, gray32, (uint8_t)luma, 124, 124), (luma - 1) * 0x010101u)
                << r.name << " luma " << luma;
    }
}

TEST(GrayPixels, TakeTheLevelFromUnclampedChannels)
{
    // Levels 200, 75, -38 weigh to 100; clamping blue to 0 first would give 104.
    use_layout(layout_888);
    for (const Named &r : renderers_of(gray32))
        EXPECT_EQ(render_one(r, gray32, 100, 50, 200) & 0xFF, 100u) << r.name;
}

// The weighted sum written out one rounding at a time, so no fused multiply-add or
// wider intermediate can hide in it.
int plain_double_gray(int r, int g, int b)
{
    volatile double red = 0.3 * r;
    volatile double green = 0.59 * g;
    volatile double partial = red + green;
    volatile double blue = 0.11 * b;
    volatile double sum = partial + blue;
    return (int)sum;
}

TEST(GrayPixels, MatchAPlainDoubleEvaluationForEveryLumaAndChroma)
{
    use_layout(layout_888);
    // 256 blocks a row pair (U = block), 64 row pairs (luma 4 x pair + 0..3); one
    // picture for each V: every (Y, U, V) once.
    Picture picture(512, 128);
    picture.set_size();
    for (int pair = 0; pair < 64; pair++)
        for (int x = 0; x < 512; x++) {
            picture.y[(size_t)(2 * pair) * 512 + x] = (uint8_t)(4 * pair + (x & 1));
            picture.y[(size_t)(2 * pair + 1) * 512 + x] = (uint8_t)(4 * pair + 2 + (x & 1));
        }
    for (int pair = 0; pair < 64; pair++)
        for (int x = 0; x < 256; x++)
            picture.u[(size_t)pair * 256 + x] = (uint8_t)x;
    Buffer buffer(picture, 4);
    long wrong = 0;
    for (int cr = 0; cr < 256; cr++) {
        std::fill(picture.v.begin(), picture.v.end(), (uint8_t)cr);
        DitherImageToGray32(&picture.frame, buffer.data());
        for (int row = 0; row < 128; row++)
            for (int x = 0; x < 512; x++) {
                int luma = picture.y[(size_t)row * 512 + x];
                int cb = x / 2;
                double kr = cr - 128, kb = cb - 128;
                int r = (int)(kr * 1.4013377926421404);
                int g = (int)(kr * -0.7136038186157518) + (int)(kb * -0.34441087613293053);
                int b = (int)(kb * 1.7734138972809665);
                int q = plain_double_gray(luma + r, luma + g, luma + b);
                uint32_t level = q < 0 ? 0 : q > 255 ? 255 : (uint32_t)q;
                if (buffer.pixel32((size_t)row * 512 + x) != level * 0x010101u && ++wrong < 5)
                    ADD_FAILURE() << "Y " << luma << " U " << cb << " V " << cr;
            }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(fadetogray16(200, 75, -38), 100);
    EXPECT_EQ(fadetogray32(200, 75, -38), 100);
    EXPECT_EQ(fadetogray32(-1, 0, 0), 0) << "-0.3 truncates toward zero";
}

TEST(Blocks, EachChromaSampleChangesExactlyItsTwoByTwoBlock)
{
    // At luma 12 the gray level is 12 with neutral chroma, 13 with U 0 and 11 with V 0
    // (gray barely depends on chroma); a 16-bit layout of two whole bytes shows that.
    const Layout layout_880 = {"8-8-0", 0xFF00, 0x00FF, 0, 0};
    for (Kind kind : {color16, color32, gray16, gray32}) {
        use_layout(kind == color16 ? layout_565 : kind == gray16 ? layout_880 : layout_888);
        for (const Named &r : renderers_of(kind)) {
            for (int size : {16, 48}) {
                Picture picture(size, size, 12);
                picture.set_size();
                Buffer before(picture, bytes_per_pixel(kind));
                r.render(&picture.frame, before.data());
                for (int by = 0; by < size / 2; by += 3)
                    for (int bx = 0; bx < size / 2; bx++) {
                        for (int plane = 0; plane < 2; plane++) {
                            Picture changed = picture;
                            changed.frame = YuvFrame{changed.y.data(), changed.u.data(),
                                                     changed.v.data()};
                            changed.set_block(bx, by, plane ? 128 : 0, plane ? 0 : 128);
                            Buffer after(picture, bytes_per_pixel(kind));
                            r.render(&changed.frame, after.data());
                            int bpp = bytes_per_pixel(kind);
                            for (int py = 0; py < size; py++)
                                for (int px = 0; px < size; px++) {
                                    bool inside = px / 2 == bx && py / 2 == by;
                                    size_t at = ((size_t)py * size + px) * bpp;
                                    bool differs =
                                        memcmp(&before.bytes[at], &after.bytes[at], bpp) != 0;
                                    ASSERT_EQ(differs, inside)
                                        << r.name << " kind " << kind << " block " << bx << ","
                                        << by << " pixel " << px << "," << py;
                                }
                        }
                    }
            }
        }
    }
}

TEST(Buffers, GetExactlyTheirPicturesBytesAndNothingBeyond)
{
    std::mt19937 random(7);
    for (Kind kind : {color16, color32, gray16, gray32}) {
        use_layout(kind == color16 || kind == gray16 ? layout_565 : layout_888);
        for (const Named &r : renderers_of(kind)) {
            for (int width : {16, 18, 48, 176}) {
                Picture picture(width, 14);
                for (auto *plane : {&picture.y, &picture.u, &picture.v})
                    for (auto &sample : *plane)
                        sample = (uint8_t)random();
                picture.set_size();
                // Two fills: bytes the renderer writes agree, bytes it skips do not.
                Buffer zeros(picture, bytes_per_pixel(kind), 0x00);
                Buffer ones(picture, bytes_per_pixel(kind), 0xFF);
                r.render(&picture.frame, zeros.data());
                r.render(&picture.frame, ones.data());
                size_t n = zeros.picture_bytes;
                EXPECT_EQ((size_t)width * 14 * bytes_per_pixel(kind), n);
                EXPECT_TRUE(std::equal(zeros.bytes.begin(), zeros.bytes.begin() + n,
                                       ones.bytes.begin()))
                    << r.name << " leaves part of the picture unwritten, width " << width;
                EXPECT_EQ(std::vector<unsigned char>(zeros.bytes.begin() + n, zeros.bytes.end()),
                          std::vector<unsigned char>(Buffer::guard, 0x00))
                    << r.name << " writes past the picture, width " << width;
                EXPECT_EQ(std::vector<unsigned char>(ones.bytes.begin() + n, ones.bytes.end()),
                          std::vector<unsigned char>(Buffer::guard, 0xFF))
                    << r.name << " writes past the picture, width " << width;
            }
        }
    }
}

TEST(Renderers, GiveTheSameBufferWhenCalledTwice)
{
    use_layout(layout_888);
    Picture picture(48, 32, 90, 30, 220);
    picture.set_size();
    for (const Named &r : renderers_of(color32)) {
        Buffer first(picture, 4, 0), second(picture, 4, 0x5A);
        r.render(&picture.frame, first.data());
        r.render(&picture.frame, second.data());
        r.render(&picture.frame, second.data());
        EXPECT_TRUE(std::equal(first.bytes.begin(), first.bytes.begin() + first.picture_bytes,
                               second.bytes.begin()))
            << r.name;
    }
}

}  // namespace
