// The Encoded: an intra-only block codec in miniature. Each 8x8 block goes through an
// orthonormal DCT, its coefficients are quantised with steps that grow with frequency
// (blur) and per block (blocking), and the block is transformed back.
#include <cmath>

#include "makeseq.h"

static const int n = makeseq_block;

// Quantiser swing over time, like a rate control hunting for its target.
static const int quantiser_base = 12;
static const int quantiser_swing = 4;
static const int quantiser_period = 48;
static const double chroma_factor = 1.4;  // chroma is quantised coarser
static const double dead_zone_rounding = 1.0 / 3.0;

static double basis[n][n];  // basis[k][x] = c(k) cos((2x + 1) k pi / 16)
static bool basis_ready;

static void prepare_basis()
{
    if (basis_ready)
        return;
    const double pi = 3.14159265358979323846;
    for (int k = 0; k < n; k++)
        for (int x = 0; x < n; x++)
            basis[k][x] = (k == 0 ? sqrt(1.0 / n) : sqrt(2.0 / n)) * cos((2 * x + 1) * k * pi / (2 * n));
    basis_ready = true;
}

int quantiser_for_frame(int frame_number)
{
    int phase = frame_number % quantiser_period;
    int half = quantiser_period / 2;
    int ramp = phase < half ? phase : quantiser_period - phase;  // 0 .. half
    return quantiser_base - quantiser_swing + 2 * quantiser_swing * ramp / half;
}

// Step for coefficient (u, v): the DC is kept finest, high frequencies go first.
static double step_for(int u, int v, double quantiser)
{
    return u + v == 0 ? quantiser * 0.5 : quantiser * (1.0 + (u + v) * 0.35);
}

static long round_half_away(double value)
{
    return value < 0 ? -(long)(0.5 - value) : (long)(value + 0.5);
}

// Levels round toward zero with a dead zone, as encoders do: small coefficients (fine
// texture, grain) vanish, which is the blur.
static long quantise(double value)
{
    return value < 0 ? -(long)(dead_zone_rounding - value) : (long)(value + dead_zone_rounding);
}

// One block at (bx, by) of a plane; samples past the plane's edge repeat the last ones.
static void code_block(const unsigned char *in, unsigned char *out, int width, int height,
                       int bx, int by, double quantiser)
{
    double block[n][n], coeff[n][n], tmp[n][n];
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++) {
            int sx = bx + x < width ? bx + x : width - 1;
            int sy = by + y < height ? by + y : height - 1;
            block[y][x] = in[sy * width + sx] - 128.0;
        }
    // Rows, then columns.
    for (int y = 0; y < n; y++)
        for (int u = 0; u < n; u++) {
            double sum = 0;
            for (int x = 0; x < n; x++)
                sum += basis[u][x] * block[y][x];
            tmp[y][u] = sum;
        }
    for (int v = 0; v < n; v++)
        for (int u = 0; u < n; u++) {
            double sum = 0;
            for (int y = 0; y < n; y++)
                sum += basis[v][y] * tmp[y][u];
            double step = step_for(u, v, quantiser);
            coeff[v][u] = (double)quantise(sum / step) * step;
        }
    for (int v = 0; v < n; v++)
        for (int x = 0; x < n; x++) {
            double sum = 0;
            for (int u = 0; u < n; u++)
                sum += basis[u][x] * coeff[v][u];
            tmp[v][x] = sum;
        }
    for (int y = 0; y < n && by + y < height; y++)
        for (int x = 0; x < n && bx + x < width; x++) {
            double sum = 128.0;
            for (int v = 0; v < n; v++)
                sum += basis[v][y] * tmp[v][x];
            long value = round_half_away(sum);
            out[(by + y) * width + bx + x] = (unsigned char)(value < 0 ? 0 : value > 255 ? 255 : value);
        }
}

static void code_plane(const unsigned char *in, unsigned char *out, int width, int height,
                       double quantiser)
{
    for (int by = 0; by < height; by += n)
        for (int bx = 0; bx < width; bx += n)
            code_block(in, out, width, height, bx, by, quantiser);
}

void encode_picture(const Picture *original, Picture *encoded, int frame_number)
{
    prepare_basis();
    int w = original->width, h = original->height;
    double q = quantiser_for_frame(frame_number);
    code_plane(original->planes.y, encoded->planes.y, w, h, q);
    code_plane(original->planes.u, encoded->planes.u, w / 2, h / 2, q * chroma_factor);
    code_plane(original->planes.v, encoded->planes.v, w / 2, h / 2, q * chroma_factor);
}
