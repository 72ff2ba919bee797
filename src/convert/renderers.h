// The four frame renderers: one YUV 4:2:0 picture of coded_picture_width x
// coded_picture_height into display pixels, through the tables of color_tables.h.
#pragma once

#include "common/yuv_frame.h"

void Color16DitherImage(const YuvFrame *picture, unsigned char *out);
void Color32DitherImage(const YuvFrame *picture, unsigned char *out);
void DitherImageToGray16(const YuvFrame *picture, unsigned char *out);
void DitherImageToGray32(const YuvFrame *picture, unsigned char *out);

// Gray level of unclamped channel levels: 0.3 R + 0.59 G + 0.11 B, truncated.
int fadetogray16(int r, int g, int b);
int fadetogray32(int r, int g, int b);
