// Renderers and the difference kernel, every variant side by side on the same frames,
// with the reference conversion library's I420 -> ARGB / RGB565 as a yardstick.
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "convert/color_tables.h"
#include "convert/convert_kernels.h"
#include "quality/difference_fast.h"
#include "convert/render_kernels.h"

#if defined(TRIVISTA_BENCH_LIBYUV)
#include <libyuv.h>
#endif

namespace {

struct Frame {
    int width, height;
    std::vector<uint8_t> y, u, v;
    YuvFrame planes;
};

// A smooth picture with some noise, and the same picture as a difference picture
// (constant chroma 124), as the panes get them.
Frame make_frame(int width, int height, bool difference_picture)
{
    Frame f{width, height, std::vector<uint8_t>((size_t)width * height),
            std::vector<uint8_t>((size_t)width * height / 4),
            std::vector<uint8_t>((size_t)width * height / 4), YuvFrame{}};
    std::mt19937 random(width);
    for (int row = 0; row < height; row++)
        for (int x = 0; x < width; x++)
            f.y[(size_t)row * width + x] =
                difference_picture ? (uint8_t)(random() % 5 - 2) : (uint8_t)(x + row + random() % 16);
    for (size_t i = 0; i < f.u.size(); i++) {
        f.u[i] = difference_picture ? 124 : (uint8_t)(96 + i % 64);
        f.v[i] = difference_picture ? 124 : (uint8_t)(160 - i % 48);
    }
    return f;
}

std::vector<unsigned char> render_buffer(4 * 4096 * 2304);

void use_layout(int thirty_two_bit)
{
    if (thirty_two_bit) {
        pixel_tables.wpixel[0] = 0xFF0000; pixel_tables.wpixel[1] = 0x00FF00; pixel_tables.wpixel[2] = 0x0000FF;
    } else {
        pixel_tables.wpixel[0] = 0xF800; pixel_tables.wpixel[1] = 0x07E0; pixel_tables.wpixel[2] = 0x001F;
    }
    InitColorDither(thirty_two_bit);
    select_render_kernels();
}

void run_renderer(benchmark::State &state, render_fn render, int thirty_two_bit, Frame frame)
{
    use_layout(thirty_two_bit);
    frame.planes = packed_420_frame(frame.y.data(), frame.u.data(), frame.v.data(),
                                    frame.width, frame.height);  // this copy's planes
    const ptrdiff_t stride = (ptrdiff_t)frame.width * (thirty_two_bit ? 4 : 2);
    for (auto _ : state) {
        render(&frame.planes, render_buffer.data(), stride);
        benchmark::DoNotOptimize(render_buffer.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * frame.width * frame.height);
}

#if defined(TRIVISTA_BENCH_LIBYUV)
void run_libyuv(benchmark::State &state, int thirty_two_bit, Frame f)
{
    for (auto _ : state) {
        if (thirty_two_bit)
            libyuv::I420ToARGB(f.y.data(), f.width, f.u.data(), f.width / 2, f.v.data(),
                               f.width / 2, render_buffer.data(), 4 * f.width, f.width, f.height);
        else
            libyuv::I420ToRGB565(f.y.data(), f.width, f.u.data(), f.width / 2, f.v.data(),
                                 f.width / 2, render_buffer.data(), 2 * f.width, f.width,
                                 f.height);
        benchmark::DoNotOptimize(render_buffer.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * f.width * f.height);
}
#endif

void run_difference(benchmark::State &state, difference_sum_fn sum, Frame first, Frame second)
{
    const int length = first.width * first.height;
    std::vector<unsigned char> out(length);
    for (auto _ : state) {
        uint64_t total = sum(first.y.data(), first.width, second.y.data(), first.width,
                             out.data(), first.width, first.width, first.height, 255);
        benchmark::DoNotOptimize(total);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * length);
}

void register_all()
{
    use_layout(1);
    const RenderVariant *variants[8];
    int count = available_render_variants(variants, 8);
    const struct { const char *name; int width, height; } sizes[] = {
        {"QCIF", 176, 144}, {"CIF", 352, 288}};
    for (const auto &size : sizes) {
        Frame picture = make_frame(size.width, size.height, false);
        Frame difference_picture = make_frame(size.width, size.height, true);
        std::string at = std::string("/") + size.name + "/";
        for (int i = 0; i < count; i++) {
            const RenderVariant *v = variants[i];
            benchmark::RegisterBenchmark(("color16" + at + v->name).c_str(), run_renderer,
                                         v->kernels.color16, 0, picture);
            benchmark::RegisterBenchmark(("color32" + at + v->name).c_str(), run_renderer,
                                         v->kernels.color32, 1, picture);
            benchmark::RegisterBenchmark(("gray16" + at + v->name).c_str(), run_renderer,
                                         v->kernels.gray16, 0, difference_picture);
            benchmark::RegisterBenchmark(("gray32" + at + v->name).c_str(), run_renderer,
                                         v->kernels.gray32, 1, difference_picture);
        }
#if defined(TRIVISTA_BENCH_LIBYUV)
        benchmark::RegisterBenchmark(("color16" + at + "libyuv_I420ToRGB565").c_str(), run_libyuv,
                                     0, picture);
        benchmark::RegisterBenchmark(("color32" + at + "libyuv_I420ToARGB").c_str(), run_libyuv,
                                     1, picture);
#endif
        DifferenceVariant kernels[8];
        int kernel_count = available_difference_variants(kernels, 8);
        Frame other = make_frame(size.width, size.height, false);
        for (size_t i = 0; i < other.y.size(); i++)
            other.y[i] = (uint8_t)(other.y[i] + (i * 7919 % 11) - 5);
        for (int i = 0; i < kernel_count; i++)
            benchmark::RegisterBenchmark(("difference" + at + kernels[i].name).c_str(),
                                         run_difference, kernels[i].sum, picture, other);
    }
}

}  // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    register_all();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
