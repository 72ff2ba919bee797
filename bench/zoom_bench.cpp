// Zoom-out of one 1920x1080 picture and of one difference picture, every factor of -zoom
// and every variant side by side on the same frames.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "convert/zoom.h"

namespace {

struct Picture {
    std::vector<uint8_t> y, u, v;
    YuvFrame frame;
};

Picture make_picture(int width, int height, unsigned seed)
{
    Picture p{std::vector<uint8_t>((size_t)width * height),
              std::vector<uint8_t>((size_t)width * height / 4),
              std::vector<uint8_t>((size_t)width * height / 4), YuvFrame{}};
    std::mt19937 random(seed);
    for (int row = 0; row < height; row++)
        for (int x = 0; x < width; x++)
            p.y[(size_t)row * width + x] = (uint8_t)(x + row + random() % 16);
    for (size_t i = 0; i < p.u.size(); i++) {
        p.u[i] = (uint8_t)(96 + i % 64);
        p.v[i] = (uint8_t)(160 - random() % 48);
    }
    p.frame = packed_420_frame(p.y.data(), p.u.data(), p.v.data(), width, height);
    return p;
}

const int width = 1920, height = 1080;
Picture first = make_picture(width, height, 1), second = make_picture(width, height, 2),
        difference = make_picture(width, height, 3);

void run_zoom_out(benchmark::State &state, const ZoomKernels *kernels, int n, bool pair)
{
    Picture out = make_picture(zoomed_out_size(width, n), zoomed_out_size(height, n), 4);
    for (auto _ : state) {
        if (pair)
            kernels->zoom_out_difference(&first.frame, &second.frame, &difference.frame,
                                         &out.frame, n);
        else
            kernels->zoom_out(&first.frame, &out.frame, n);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * width * height);
}

void register_all()
{
    const ZoomKernels *variants[4];
    int count = available_zoom_variants(variants, 4);
    for (int n : {2, 3, 4, 5, 6, 8})
        for (int i = 0; i < count; i++) {
            std::string at = "/1080p/1:" + std::to_string(n) + "/" + variants[i]->name;
            benchmark::RegisterBenchmark(("box_average" + at).c_str(), run_zoom_out, variants[i],
                                         n, false);
            benchmark::RegisterBenchmark(("largest_error" + at).c_str(), run_zoom_out,
                                         variants[i], n, true);
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
