// Reference zoom kernels: one sample or pixel at a time, for any factor.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "zoom.h"

static void box_average_plane(const uint8_t *in, ptrdiff_t in_stride, uint8_t *out,
                              ptrdiff_t out_stride, int width, int height, int n)
{
    const int area = n * n;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            int sum = 0;
            for (int i = 0; i < n; i++)
                for (int j = 0; j < n; j++)
                    sum += in[(ptrdiff_t)(y * n + i) * in_stride + x * n + j];
            out[y * out_stride + x] = (uint8_t)((sum + area / 2) / area);
        }
}

static void zoom_out_chroma_C(const YuvFrame *picture, YuvFrame *out, int n)
{
    box_average_plane(picture->u, picture->chroma_stride, out->u, out->chroma_stride,
                      chroma_width(*out), chroma_height(*out), n);
    box_average_plane(picture->v, picture->chroma_stride, out->v, out->chroma_stride,
                      chroma_width(*out), chroma_height(*out), n);
}

static void zoom_out_C(const YuvFrame *picture, YuvFrame *out, int n)
{
    box_average_plane(picture->y, picture->luma_stride, out->y, out->luma_stride, out->width,
                      out->height, n);
    zoom_out_chroma_C(picture, out, n);
}

static void zoom_out_difference_C(const YuvFrame *first, const YuvFrame *second,
                                  const YuvFrame *difference, YuvFrame *out, int n)
{
    for (int y = 0; y < out->height; y++)
        for (int x = 0; x < out->width; x++) {
            int largest = -1;
            uint8_t kept = 0;
            for (int i = 0; i < n; i++)
                for (int j = 0; j < n; j++) {
                    int row = y * n + i, column = x * n + j;
                    int magnitude = abs(first->y[row * first->luma_stride + column] -
                                        second->y[row * second->luma_stride + column]);
                    if (magnitude > largest) {
                        largest = magnitude;
                        kept = difference->y[row * difference->luma_stride + column];
                    }
                }
            out->y[y * out->luma_stride + x] = kept;
        }
    zoom_out_chroma_C(difference, out, n);
}

// Bottom row first, right pixel first: each pixel is copied before the blocks of the
// pixels after it can overwrite it.
static void zoom_in_C(unsigned char *buffer, int width, int height, int pixel_bytes,
                      ptrdiff_t stride, int n)
{
    for (int r = height - 1; r >= 0; r--)
        for (int x = width - 1; x >= 0; x--) {
            unsigned char pixel[4];
            memcpy(pixel, buffer + r * n * stride + x * pixel_bytes, pixel_bytes);
            for (int i = n - 1; i >= 0; i--)
                for (int j = n - 1; j >= 0; j--)
                    memcpy(buffer + (r * n + i) * stride + (x * n + j) * pixel_bytes, pixel,
                           pixel_bytes);
        }
}

const ZoomKernels zoom_kernels_C = {"C", zoom_out_C, zoom_out_difference_C, zoom_in_C};
