// Pictures shown smaller or larger than they are. Zooming out by N box-averages each N x N
// block of every plane before rendering; a difference picture instead keeps, per block,
// the sample of the largest error, so that a lone wrong sample still shows. Zooming in by
// N replicates each rendered pixel into an N x N block after rendering.
#pragma once

#include <cstddef>

#include "common/yuv_frame.h"

// The size of a picture zoomed out by n: width / n and height / n, each rounded down to
// an even number (4:2:0 needs whole chroma samples).
inline int zoomed_out_size(int size, int n) { return size / n & ~1; }

// The size at which a picture size is shown, zoomed out by `out` or in by `in`.
inline int shown_size(int size, int out, int in)
{
    return out > 1 ? zoomed_out_size(size, out) : size * in;
}

// `out` holds zoomed_out_size(picture.width, n) x ... samples; each is the rounded mean
// (sum + n*n/2) / (n*n) of its block, in each plane. Blocks beyond the size are left out.
typedef void (*zoom_out_fn)(const YuvFrame *picture, YuvFrame *out, int n);

// The difference picture `difference` of `first` and `second` zoomed out by n: each luma
// sample of `out` is the byte of `difference` at the sample of its block whose signed
// difference first - second is largest in magnitude, the first in raster order on ties;
// chroma is box-averaged.
typedef void (*zoom_out_difference_fn)(const YuvFrame *first, const YuvFrame *second,
                                       const YuvFrame *difference, YuvFrame *out, int n);

// Zoom-in of a rendered picture of width x height pixels of `pixel_bytes` (2 or 4), in
// place: on entry picture row r lies at buffer + r * n * stride; on return every pixel
// is an n x n block, rows `stride` bytes apart.
typedef void (*zoom_in_fn)(unsigned char *buffer, int width, int height, int pixel_bytes,
                           ptrdiff_t stride, int n);

struct ZoomKernels {
    const char *name;
    zoom_out_fn zoom_out;
    zoom_out_difference_fn zoom_out_difference;
    zoom_in_fn zoom_in;
};

// The plain references, then the variants built here, reference first.
extern const ZoomKernels zoom_kernels_C;
int available_zoom_variants(const ZoomKernels **list, int capacity);

// Chooses convert_kernels.zoom (convert_kernels.h); the reference until then.
void select_zoom_kernels();
