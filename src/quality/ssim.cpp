#include "ssim.h"

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

double ssim_of_window(const SsimSums &sums, const SsimConstants &constants)
{
    const int64_t c1 = constants.c1, c2 = constants.c2;
    int64_t sa = sums.a, sb = sums.b;
    int64_t variances = (int64_t)sums.square * 64 - sa * sa - sb * sb;
    int64_t covariance = (int64_t)sums.cross * 64 - sa * sb;
    double numerator = (double)(2 * sa * sb + c1) * (double)(2 * covariance + c2);
    double denominator = (double)(sa * sa + sb * sb + c1) * (double)(variances + c2);
    return numerator / denominator;
}

static SsimSums sums_of_block(const unsigned char *a, const unsigned char *b, ptrdiff_t stride,
                              int block_width, int block_height)
{
    SsimSums sums = {0, 0, 0, 0};
    for (int y = 0; y < block_height; y++) {
        for (int x = 0; x < block_width; x++) {
            uint32_t pa = a[y * stride + x], pb = b[y * stride + x];
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

double ssim_plane_C(const unsigned char *a, const unsigned char *b, int width, int height,
                    ptrdiff_t stride, int largest_value)
{
    int columns = windows_across(width), rows = windows_across(height);
    if (columns == 0 || rows == 0)
        return 1.0;
    const SsimConstants constants = ssim_constants(largest_value);
    double total = 0;
    for (int row = 0; row < rows; row++) {
        for (int column = 0; column < columns; column++) {
            ptrdiff_t offset = row * window_step * stride + column * window_step;
            total += ssim_of_window(
                sums_of_block(a + offset, b + offset, stride, window_size, window_size),
                constants);
        }
    }
    return total / ((double)columns * rows);
}

int ssim_scratch_entries(int width)
{
    return 2 * (width / window_step + 1);
}

void ssim_block_row_C(const unsigned char *a, const unsigned char *b, ptrdiff_t stride,
                      int blocks, SsimSums *out)
{
    for (int block = 0; block < blocks; block++)
        out[block] = sums_of_block(a + block * window_step, b + block * window_step, stride,
                                   window_step, window_step);
}

double ssim_window_row_C(double total, const SsimSums *upper, const SsimSums *lower,
                         int columns, const SsimConstants &constants)
{
    for (int column = 0; column < columns; column++) {
        const SsimSums &p = upper[column], &q = upper[column + 1];
        const SsimSums &r = lower[column], &s = lower[column + 1];
        SsimSums window = {p.a + q.a + r.a + s.a, p.b + q.b + r.b + s.b,
                           p.square + q.square + r.square + s.square,
                           p.cross + q.cross + r.cross + s.cross};
        total += ssim_of_window(window, constants);
    }
    return total;
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

SsimVariant ssim_kernels = {"C", ssim_block_row_C, ssim_window_row_C};

double ssim_plane(const unsigned char *a, const unsigned char *b, int width, int height,
                  ptrdiff_t stride, int largest_value, SsimSums *scratch)
{
    int columns = windows_across(width), rows = windows_across(height);
    if (columns == 0 || rows == 0)
        return 1.0;
    const SsimConstants constants = ssim_constants(largest_value);
    // A window is the 2 x 2 blocks below and right of its corner; keep two block rows.
    int blocks = columns + 1;
    SsimSums *upper = scratch, *lower = scratch + blocks;
    ssim_kernels.block_row(a, b, stride, blocks, upper);
    double total = 0;
    for (int row = 0; row < rows; row++) {
        ptrdiff_t offset = (row + 1) * window_step * stride;
        ssim_kernels.block_row(a + offset, b + offset, stride, blocks, lower);
        // Windows are added one by one in row-major order, by every variant alike.
        total = ssim_kernels.window_row(total, upper, lower, columns, constants);
        SsimSums *swap = upper;
        upper = lower;
        lower = swap;
    }
    return total / ((double)columns * rows);
}

// ssim_of_window's arithmetic, on sums too wide for SsimSums.
static double ssim_of_wide_window(const SsimSumsWide &sums, const SsimConstants &constants)
{
    const int64_t c1 = constants.c1, c2 = constants.c2, sa = sums.a, sb = sums.b;
    int64_t variances = sums.square * 64 - sa * sa - sb * sb;
    int64_t covariance = sums.cross * 64 - sa * sb;
    return (double)(2 * sa * sb + c1) * (double)(2 * covariance + c2) /
           ((double)(sa * sa + sb * sb + c1) * (double)(variances + c2));
}

static SsimSumsWide sums_of_wide_block(const unsigned char *a, const unsigned char *b,
                                       ptrdiff_t stride, int size)
{
    SsimSumsWide sums = {0, 0, 0, 0};
    for (int y = 0; y < size; y++) {
        for (int x = 0; x < size; x++) {
            const unsigned char *pa = a + y * stride + 2 * x, *pb = b + y * stride + 2 * x;
            int64_t va = pa[0] | pa[1] << 8, vb = pb[0] | pb[1] << 8;
            sums.a += va;
            sums.b += vb;
            sums.square += va * va + vb * vb;
            sums.cross += va * vb;
        }
    }
    return sums;
}

double ssim_plane_wide_C(const unsigned char *a, const unsigned char *b, int width, int height,
                         ptrdiff_t stride, int largest_value)
{
    int columns = windows_across(width), rows = windows_across(height);
    if (columns == 0 || rows == 0)
        return 1.0;
    const SsimConstants constants = ssim_constants(largest_value);
    double total = 0;
    for (int row = 0; row < rows; row++) {
        for (int column = 0; column < columns; column++) {
            ptrdiff_t offset = row * window_step * stride + column * window_step * 2;
            total += ssim_of_wide_window(
                sums_of_wide_block(a + offset, b + offset, stride, window_size), constants);
        }
    }
    return total / ((double)columns * rows);
}

double ssim_plane_wide(const unsigned char *a, const unsigned char *b, int width, int height,
                       ptrdiff_t stride, int largest_value, SsimSumsWide *scratch)
{
    int columns = windows_across(width), rows = windows_across(height);
    if (columns == 0 || rows == 0)
        return 1.0;
    const SsimConstants constants = ssim_constants(largest_value);
    int blocks = columns + 1;
    SsimSumsWide *upper = scratch, *lower = scratch + blocks;
    for (int block = 0; block < blocks; block++)
        upper[block] = sums_of_wide_block(a + block * window_step * 2, b + block * window_step * 2,
                                          stride, window_step);
    double total = 0;
    for (int row = 0; row < rows; row++) {
        ptrdiff_t offset = (row + 1) * window_step * stride;
        for (int block = 0; block < blocks; block++)
            lower[block] = sums_of_wide_block(a + offset + block * window_step * 2,
                                              b + offset + block * window_step * 2, stride,
                                              window_step);
        for (int column = 0; column < columns; column++) {  // in row-major order, as the reference
            const SsimSumsWide &p = upper[column], &q = upper[column + 1];
            const SsimSumsWide &r = lower[column], &t = lower[column + 1];
            SsimSumsWide window = {p.a + q.a + r.a + t.a, p.b + q.b + r.b + t.b,
                                   p.square + q.square + r.square + t.square,
                                   p.cross + q.cross + r.cross + t.cross};
            total += ssim_of_wide_window(window, constants);
        }
        SsimSumsWide *swap = upper;
        upper = lower;
        lower = swap;
    }
    return total / ((double)columns * rows);
}
