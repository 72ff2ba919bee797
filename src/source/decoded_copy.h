// The decoder's pictures into the run's: which of the run's formats a stream's format is,
// and the copy of a decoded frame, widened where the run compares at a higher depth.
#pragma once

#include "common/pixel_format.h"
#include "common/yuv_frame.h"

// The run's format of the decoder's format `name`: the same name, or for the full-range
// "yuvj" formats their planar twin ("yuvj420p" is yuv420p); null when the run cannot hold it.
const PixelFormat *planar_twin(const char *name);

// Whether the decoder's format `name` says full range by itself ("yuvj420p").
bool full_range_name(const char *name);

// The planes of a decoded frame of `depth` bits (rows `linesize` bytes apart) into `picture`,
// whose chroma layout is the frame's and whose depth is the same or higher: samples are then
// shifted left by the difference, as encoders widen their input.
void copy_decoded_frame(unsigned char *const *data, const int *linesize, int depth,
                        YuvFrame *picture);
