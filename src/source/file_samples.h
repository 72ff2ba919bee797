// Pictures of a file's own format into the run's: chroma samples interleaved in one plane
// (nv12, nv21, p010le) taken apart, a lower depth widened as encoders widen their input; and
// the check that samples of a high depth stay below its peak.
#pragma once

#include "common/pixel_format.h"
#include "common/yuv_frame.h"

// A packed frame of `format` (planes one after the other, rows without gaps, as a file holds
// it) into `picture`: same size and chroma layout, planar, of the same or a higher depth.
// Samples are shifted left by the difference in depth.
void convert_file_picture(const unsigned char *bytes, const PixelFormat *format,
                          YuvFrame *picture);

// Whether a sample of the planar `picture` is above the largest value of its depth; never for
// 8 and 16 bits, where every value is one.
bool picture_exceeds_peak(const YuvFrame &picture);
