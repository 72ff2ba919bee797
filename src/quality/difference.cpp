#include "difference.h"

#include <cmath>
#include <limits>

#include "difference_fast.h"

static const double psnr_cap_limit = 1000.0;  // only identical planes exceed it
static const double psnr_of_identical = 100.0;



uint64_t difference_run_C(const unsigned char *first, const unsigned char *second,
                          unsigned char *out, ptrdiff_t length)
{
    uint64_t sum = 0;
    for (ptrdiff_t i = 0; i < length; i++) {
        int d = first[i] - second[i];
        out[i] = (unsigned char)d;  // d mod 256: -1 is stored as 255, -255 as 1
        sum += (uint64_t)(d * d);
    }
    return sum;
}

uint64_t difference_sum_C(const unsigned char *first, ptrdiff_t first_stride,
                          const unsigned char *second, ptrdiff_t second_stride,
                          unsigned char *out, ptrdiff_t out_stride, int width, int height, int)
{
    return sum_of_runs(difference_run_C, first, first_stride, second, second_stride, out,
                       out_stride, width, height);
}

uint64_t difference_run_wide_C(const unsigned char *first, const unsigned char *second,
                               unsigned char *out, ptrdiff_t length, int shift)
{
    uint64_t sum = 0;
    for (ptrdiff_t i = 0; i < length; i++) {
        int d = (first[2 * i] | first[2 * i + 1] << 8) - (second[2 * i] | second[2 * i + 1] << 8);
        out[i] = (unsigned char)(d >> shift);  // arithmetic: -4 >> 2 is -1, stored as 255
        uint32_t magnitude = (uint32_t)(d < 0 ? -d : d);
        sum += (uint64_t)(magnitude * magnitude);  // at most 65535^2: fits 32 bits
    }
    return sum;
}

uint64_t difference_sum_wide_C(const unsigned char *first, ptrdiff_t first_stride,
                               const unsigned char *second, ptrdiff_t second_stride,
                               unsigned char *out, ptrdiff_t out_stride, int width, int height,
                               int largest_value)
{
    return sum_of_wide_runs(difference_run_wide_C, first, first_stride, second, second_stride,
                            out, out_stride, width, height, largest_value);
}

double psnr_of_sum(uint64_t sum, int64_t samples, int largest_value)
{
    // Identical planes: the quotient would be +infinity; get there without dividing by 0.
    if (sum == 0 || samples <= 0)
        return std::numeric_limits<double>::infinity();
    double mean_squared_error = (double)sum / (double)samples;
    double peak_squared = (double)largest_value * largest_value;
    return 10.0 * log10(peak_squared / mean_squared_error);
}

double cap_psnr(double value)
{
    return value > psnr_cap_limit ? psnr_of_identical : value;
}
