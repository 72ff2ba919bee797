// The decoder's pictures into the run's: which of the run's formats a stream's format is,
// and the copy of a decoded frame.
#pragma once

#include "common/pixel_format.h"
#include "common/yuv_frame.h"

// The run's format of the decoder's format `name`: the same name, or for the full-range
// "yuvj" formats their planar twin ("yuvj420p" is yuv420p); null when the run cannot hold it.
const PixelFormat *planar_twin(const char *name);

// Whether the decoder's format `name` says full range by itself ("yuvj420p").
bool full_range_name(const char *name);

// The planes of a decoded frame (rows `linesize` bytes apart) into `picture`, whose format
// is the frame's.
void copy_decoded_frame(unsigned char *const *data, const int *linesize, YuvFrame *picture);
