#include "difference.h"

#include <cmath>
#include <limits>

static const double peak_squared = 65025.0;  // 255^2
static const double psnr_cap_limit = 1000.0;  // only identical planes exceed it
static const double psnr_of_identical = 100.0;

double psnr_total[4];

difference_sum_fn difference_sum = difference_sum_C;

uint64_t difference_sum_C(const unsigned char *first, const unsigned char *second,
                          unsigned char *out, int length)
{
    uint64_t sum = 0;
    for (int i = 0; i < length; i++) {
        int d = first[i] - second[i];
        out[i] = (unsigned char)d;  // d mod 256: -1 is stored as 255, -255 as 1
        sum += (uint64_t)(d * d);
    }
    return sum;
}

double psnr_of_sum(uint64_t sum, int64_t samples)
{
    // Identical planes: the quotient would be +infinity; get there without dividing by 0.
    if (sum == 0 || samples <= 0)
        return std::numeric_limits<double>::infinity();
    double mean_squared_error = (double)sum / (double)samples;
    return 10.0 * log10(peak_squared / mean_squared_error);
}

double difference(const unsigned char *first, const unsigned char *second,
                  unsigned char *out, int length)
{
    if (length < 0)
        length = 0;
    return psnr_of_sum(difference_sum(first, second, out, length), length);
}

double cap_psnr(double value)
{
    return value > psnr_cap_limit ? psnr_of_identical : value;
}
