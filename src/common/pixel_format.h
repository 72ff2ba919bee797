// The sample formats of the sequence files, under ffmpeg's names, so that users type what
// they already know: 4:2:0, 4:2:2, 4:4:4 and gray at 8, 10, 12 and 16 bits. Samples wider
// than 8 bits are 16-bit little-endian words that use the low bits. Files may also hold 4:2:0
// with the chroma samples interleaved in one plane (nv12, nv21, p010le, whose samples use the
// high bits); such files are converted on reading to their planar twin, the run's format.
#pragma once

#include <cstddef>
#include <cstdint>

#include "yuv_frame.h"

// How a file lays out the chroma samples of a picture.
enum ChromaPlanes { chroma_planar, chroma_interleaved_uv, chroma_interleaved_vu };

struct PixelFormat {
    const char *name;  // "yuv420p10le"
    int bit_depth;
    ChromaLayout chroma;
    ChromaPlanes planes;  // chroma_planar for every format the run compares in
    int low_padding_bits; // zero bits below each sample in its word (6 in p010le)
};

extern const PixelFormat pixel_format_table[];
extern const int pixel_format_count;
// yuv420p: what every sequence is unless told otherwise.
constexpr const PixelFormat *default_pixel_format = pixel_format_table;

// The format of that name (exact, lower case), or null.
const PixelFormat *find_pixel_format(const char *name);

// The planar format of the same depth and layout: the format itself when it is planar.
const PixelFormat *planar_form(const PixelFormat *format);

// The format of that depth and layout, or null when there is none.
const PixelFormat *pixel_format_of(int bit_depth, ChromaLayout chroma);

// Every name, separated by ", ", for messages.
const char *pixel_format_names();

// Bytes of the luma plane, of one chroma plane and of a whole frame of a packed picture.
int64_t luma_plane_bytes(const PixelFormat *format, int width, int height);
int64_t chroma_plane_bytes(const PixelFormat *format, int width, int height);
int64_t frame_bytes(const PixelFormat *format, int width, int height);

// The rounded mean of 2^count_shift samples of `bit_depth` bits that add up to `sum`, at 8
// bits and limited to 255: (v + 2^(b-9)) >> (b-8) for one sample. For display only.
inline unsigned char rounded_to_8_bits(int sum, int count_shift, int bit_depth)
{
    int shift = count_shift + bit_depth - 8;
    int value = (sum + ((1 << shift) >> 1)) >> shift;
    return (unsigned char)(value > 255 ? 255 : value);
}
