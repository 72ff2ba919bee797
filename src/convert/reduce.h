// The renderers take 8-bit 4:2:0; pictures of the other sample formats are reduced to it for
// display only (every measurement uses the native samples).
#pragma once

#include "common/yuv_frame.h"

// Writes `picture` (any depth and layout) into `out`, an 8-bit 4:2:0 picture of the same
// size. Each sample is rounded to 8 bits, (v + 2^(b-9)) >> (b-8) limited to 255; the
// chroma samples over one 4:2:0 position (2 in 4:2:2, 4 in 4:4:4) are averaged in the same
// one rounding; gray gets the neutral chroma 128.
void reduce_for_display(const YuvFrame *picture, YuvFrame *out);
