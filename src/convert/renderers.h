// The frame renderers: one 8-bit YUV 4:2:0 picture, of the size and strides the picture
// carries, into display pixels through the tables of color_tables.h. Destination rows are
// `out_stride` bytes apart; only the width x pixel bytes at the start of each are written.
#pragma once

#include <cstddef>

#include "common/yuv_frame.h"

void Color16DitherImage(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride);
void Color32DitherImage(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride);
void DitherImageToGray16(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride);
void DitherImageToGray32(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride);

// The colour or gray renderer of the pixel width the tables were last built for, chosen
// once by select_render_kernels.
void render_colour(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride);
void render_gray(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride);
int rendered_pixel_bytes();  // 2 or 4

// Gray level of unclamped channel levels: 0.3 R + 0.59 G + 0.11 B, truncated.
int fadetogray16(int r, int g, int b);
int fadetogray32(int r, int g, int b);
