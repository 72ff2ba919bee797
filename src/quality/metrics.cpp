#include "metrics.h"

#include "difference.h"
#include "quality_kernels.h"
#include "ssim.h"

// The PSNR of one plane of the pair, its difference written into `out`, with the kernel for
// the pictures' sample size.
static MetricSample psnr_of_plane(const YuvFrame &first, const unsigned char *a,
                                  ptrdiff_t a_stride, const unsigned char *b, ptrdiff_t b_stride,
                                  unsigned char *out, ptrdiff_t out_stride, int width, int height)
{
    int largest_value = largest_sample_value(first);
    uint64_t sum = kernel_for(quality_kernels.difference, first)(a, a_stride, b, b_stride, out,
                                                          out_stride, width, height,
                                                          largest_value);
    int64_t samples = (int64_t)width * height;
    return MetricSample{cap_psnr(psnr_of_sum(sum, samples, largest_value)), sum, samples};
}

static MetricSample measure_psnr_y(const PairPictures &p, const MetricSample *)
{
    const YuvFrame &first = *p.first, &second = *p.second;
    return psnr_of_plane(first, first.y, first.luma_stride, second.y, second.luma_stride,
                         p.difference->y, p.difference->luma_stride, first.width, first.height);
}

// U or V; its difference is not kept: one byte a sample in rows as wide as the plane.
static MetricSample psnr_of_chroma(const PairPictures &p, int plane)
{
    const YuvFrame &first = *p.first, &second = *p.second;
    if (first.chroma == chroma_gray)
        return MetricSample{0.0, 0, 0};
    const unsigned char *a = plane == 0 ? first.u : first.v;
    const unsigned char *b = plane == 0 ? second.u : second.v;
    int width = chroma_width(first);
    return psnr_of_plane(first, a, first.chroma_stride, b, second.chroma_stride,
                         p.chroma_scratch[plane], width, width, chroma_height(first));
}

static MetricSample measure_psnr_u(const PairPictures &p, const MetricSample *)
{
    return psnr_of_chroma(p, 0);
}

static MetricSample measure_psnr_v(const PairPictures &p, const MetricSample *)
{
    return psnr_of_chroma(p, 1);
}

// The squared errors of every plane over the samples of every plane.
static MetricSample measure_psnr_yuv(const PairPictures &p, const MetricSample *measured)
{
    MetricSample all = {0.0, 0, 0};
    for (int m = 0; m < metric_count; m++)
        if (metrics[m].plane != plane_all && metrics[m].summed == sum_of_errors) {
            all.sum += measured[m].sum;
            all.samples += measured[m].samples;
        }
    all.value = cap_psnr(psnr_of_sum(all.sum, all.samples, largest_sample_value(*p.first)));
    return all;
}

static MetricSample measure_ssim(const PairPictures &p, const MetricSample *)
{
    const YuvFrame &first = *p.first, &second = *p.second;
    double value = kernel_for(ssim_planes, first)(first.y, first.luma_stride, second.y,
                                                  second.luma_stride, first.width, first.height,
                                                  largest_sample_value(first), p.ssim_scratch);
    return MetricSample{value, 0, 0};
}

static const char psnr_format[] = "%.4f";  // dB, identical planes 100.0000
static const char ssim_format[] = "%.6f";

const Metric metrics[metric_count] = {
    {"psnr_y", psnr_format, " dB", "PSNR Y", plane_y, 1.0, sum_of_errors, true, present_always, 4,
     measure_psnr_y},
    {"psnr_u", psnr_format, " dB", "U", plane_u, 1.0, sum_of_errors, false, present_always, 1,
     measure_psnr_u},
    {"psnr_v", psnr_format, " dB", "V", plane_v, 1.0, sum_of_errors, false, present_always, 1,
     measure_psnr_v},
    {"psnr_yuv", psnr_format, " dB", "YUV", plane_all, 1.0, sum_of_errors, false,
     present_beyond_8bit_420, 0, measure_psnr_yuv},
    {"ssim", ssim_format, "", "SSIM", plane_y, 100.0, sum_of_values, false, present_unless_no_ssim,
     8, measure_ssim},
};

bool metric_applies(const Metric &metric, ChromaLayout chroma)
{
    return chroma != chroma_gray || metric.plane == plane_y || metric.plane == plane_all;
}
