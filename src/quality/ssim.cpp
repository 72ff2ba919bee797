#include "ssim.h"

#include "quality_kernels.h"

static const int window_size = 8;
static const int window_step = 4;

// The scaled integer form the common tools use for sums over 64 samples:
// c1 = 64 (K1 L)^2, c2 = 64 * 63 (K2 L)^2, rounded, and worked out in this order, so that at
// L = 255 they are the tools' own 416 and 235963 and values agree with their figures.
SsimConstants ssim_constants(int largest_value)
{
    double peak = largest_value;
    return SsimConstants{(int64_t)(.01 * .01 * peak * peak * 64 + .5),
                         (int64_t)(.03 * .03 * peak * peak * 64 * 63 + .5)};
}

// How samples are read: one byte each, with sums that fit 32 bits, or a little-endian
// 16-bit word each, with sums that need 64.
struct NarrowSamples {
    typedef SsimSums Sums;
    typedef uint32_t Value;
    static const int bytes = 1;
    static Value at(const unsigned char *p) { return p[0]; }
};

struct WideSamples {
    typedef SsimSumsWide Sums;
    typedef int64_t Value;
    static const int bytes = 2;
    static Value at(const unsigned char *p) { return p[0] | p[1] << 8; }
};

template <typename Sums>
static double ssim_of_sums(const Sums &sums, const SsimConstants &constants)
{
    const int64_t c1 = constants.c1, c2 = constants.c2;
    int64_t sa = sums.a, sb = sums.b;
    int64_t variances = (int64_t)sums.square * 64 - sa * sa - sb * sb;
    int64_t covariance = (int64_t)sums.cross * 64 - sa * sb;
    double numerator = (double)(2 * sa * sb + c1) * (double)(2 * covariance + c2);
    double denominator = (double)(sa * sa + sb * sb + c1) * (double)(variances + c2);
    return numerator / denominator;
}

double ssim_of_window(const SsimSums &sums, const SsimConstants &constants)
{
    return ssim_of_sums(sums, constants);
}

template <typename Samples>
static typename Samples::Sums sums_of_block(const unsigned char *a, ptrdiff_t a_stride,
                                            const unsigned char *b, ptrdiff_t b_stride,
                                            int block_width, int block_height)
{
    typename Samples::Sums sums = {0, 0, 0, 0};
    for (int y = 0; y < block_height; y++) {
        for (int x = 0; x < block_width; x++) {
            typename Samples::Value pa = Samples::at(a + y * a_stride + x * Samples::bytes);
            typename Samples::Value pb = Samples::at(b + y * b_stride + x * Samples::bytes);
            sums.a += pa;
            sums.b += pb;
            sums.square += pa * pa + pb * pb;
            sums.cross += pa * pb;
        }
    }
    return sums;
}

static int windows_across(int size)
{
    return size < window_size ? 0 : (size - window_size) / window_step + 1;
}

// Every window summed on its own, in row-major order.
template <typename Samples>
static double ssim_of_each_window(const unsigned char *a, ptrdiff_t a_stride,
                                  const unsigned char *b, ptrdiff_t b_stride, int width,
                                  int height, int largest_value)
{
    int columns = windows_across(width), rows = windows_across(height);
    if (columns == 0 || rows == 0)
        return 1.0;
    const SsimConstants constants = ssim_constants(largest_value);
    double total = 0;
    for (int row = 0; row < rows; row++) {
        for (int column = 0; column < columns; column++) {
            ptrdiff_t across = column * window_step * Samples::bytes;
            total += ssim_of_sums(sums_of_block<Samples>(a + row * window_step * a_stride + across,
                                                         a_stride,
                                                         b + row * window_step * b_stride + across,
                                                         b_stride, window_size, window_size),
                                  constants);
        }
    }
    return total / ((double)columns * rows);
}

double ssim_plane_C(const unsigned char *a, ptrdiff_t a_stride, const unsigned char *b,
                    ptrdiff_t b_stride, int width, int height, int largest_value)
{
    return ssim_of_each_window<NarrowSamples>(a, a_stride, b, b_stride, width, height,
                                              largest_value);
}

double ssim_plane_wide_C(const unsigned char *a, ptrdiff_t a_stride, const unsigned char *b,
                         ptrdiff_t b_stride, int width, int height, int largest_value)
{
    return ssim_of_each_window<WideSamples>(a, a_stride, b, b_stride, width, height,
                                            largest_value);
}

size_t ssim_scratch_bytes(int width)
{
    return sizeof(SsimSumsWide) * 2 * (size_t)(width / window_step + 1);
}

template <typename Samples>
static void block_row(const unsigned char *a, ptrdiff_t a_stride, const unsigned char *b,
                      ptrdiff_t b_stride, int blocks, typename Samples::Sums *out)
{
    for (int block = 0; block < blocks; block++) {
        ptrdiff_t offset = block * window_step * Samples::bytes;
        out[block] = sums_of_block<Samples>(a + offset, a_stride, b + offset, b_stride,
                                            window_step, window_step);
    }
}

void ssim_block_row_C(const unsigned char *a, ptrdiff_t a_stride, const unsigned char *b,
                      ptrdiff_t b_stride, int blocks, SsimSums *out)
{
    block_row<NarrowSamples>(a, a_stride, b, b_stride, blocks, out);
}

template <typename Sums>
static double window_row(double total, const Sums *upper, const Sums *lower, int columns,
                         const SsimConstants &constants)
{
    for (int column = 0; column < columns; column++) {
        const Sums &p = upper[column], &q = upper[column + 1];
        const Sums &r = lower[column], &s = lower[column + 1];
        Sums window = {p.a + q.a + r.a + s.a, p.b + q.b + r.b + s.b,
                       p.square + q.square + r.square + s.square,
                       p.cross + q.cross + r.cross + s.cross};
        total += ssim_of_sums(window, constants);
    }
    return total;
}

double ssim_window_row_C(double total, const SsimSums *upper, const SsimSums *lower,
                         int columns, const SsimConstants &constants)
{
    return window_row(total, upper, lower, columns, constants);
}

int available_ssim_variants(SsimVariant *list, int capacity)
{
    int count = 0;
    if (count < capacity)
        list[count++] = SsimVariant{"C", ssim_block_row_C, ssim_window_row_C};
#if defined(TRIVISTA_X86_KERNELS)
    if (__builtin_cpu_supports("sse2") && count < capacity)
        list[count++] = SsimVariant{"SSE2", ssim_block_row_SSE2, ssim_window_row_SSE2};
#endif
    return count;
}


// The windows from 4 x 4 block sums that each window shares with its neighbours: a window
// is the 2 x 2 blocks below and right of its corner, so two block rows are kept.
template <typename Sums, typename BlockRow, typename WindowRow>
static double ssim_from_blocks(const unsigned char *a, ptrdiff_t a_stride,
                               const unsigned char *b, ptrdiff_t b_stride, int width,
                               int height, int largest_value, Sums *scratch,
                               BlockRow sum_blocks, WindowRow add_windows)
{
    int columns = windows_across(width), rows = windows_across(height);
    if (columns == 0 || rows == 0)
        return 1.0;
    const SsimConstants constants = ssim_constants(largest_value);
    int blocks = columns + 1;
    Sums *upper = scratch, *lower = scratch + blocks;
    sum_blocks(a, a_stride, b, b_stride, blocks, upper);
    double total = 0;
    for (int row = 0; row < rows; row++) {
        ptrdiff_t down = (row + 1) * window_step;
        sum_blocks(a + down * a_stride, a_stride, b + down * b_stride, b_stride, blocks, lower);
        // Windows are added one by one in row-major order, by every variant alike.
        total = add_windows(total, upper, lower, columns, constants);
        Sums *swap = upper;
        upper = lower;
        lower = swap;
    }
    return total / ((double)columns * rows);
}

double ssim_plane(const unsigned char *a, ptrdiff_t a_stride, const unsigned char *b,
                  ptrdiff_t b_stride, int width, int height, int largest_value, void *scratch)
{
    return ssim_from_blocks(a, a_stride, b, b_stride, width, height, largest_value,
                            (SsimSums *)scratch, quality_kernels.ssim.block_row,
                            quality_kernels.ssim.window_row);
}

double ssim_plane_wide(const unsigned char *a, ptrdiff_t a_stride, const unsigned char *b,
                       ptrdiff_t b_stride, int width, int height, int largest_value,
                       void *scratch)
{
    return ssim_from_blocks(a, a_stride, b, b_stride, width, height, largest_value,
                            (SsimSumsWide *)scratch, block_row<WideSamples>,
                            window_row<SsimSumsWide>);
}
