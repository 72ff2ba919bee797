// Memory for pictures, taken once at start-up; running out ends the run with a message that
// names what was being allocated.
#pragma once

#include <cstdint>

#include "yuv_frame.h"

struct PixelFormat;

// `bytes` bytes, not cleared.
unsigned char *allocate_bytes(int64_t bytes, const char *what);

// Luma 0 and chroma `chroma_value` (at 8 bits, scaled to the depth): how pictures start.
void fill_picture(YuvFrame *picture, int chroma_value);

// A picture of the format and size whose rows lie without gaps, filled as fill_picture
// fills it; gray pictures have no chroma planes.
YuvFrame allocate_picture(const char *what, int chroma_value, const PixelFormat *format,
                          int width, int height);
