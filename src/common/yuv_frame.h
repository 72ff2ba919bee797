// One picture in memory: its planes and everything needed to walk them.
#pragma once

#include <cstddef>

// How the chroma planes are sampled against luma. 4:2:0 only for now: each chroma plane
// is half as wide and half as high as luma.
enum ChromaLayout {
    chroma_420,
};

// Planes in file order Y, U, V. Rows are `luma_stride` / `chroma_stride` bytes apart,
// which is the row width itself for pictures read from a file. Samples of up to 8 bits
// take one byte.
struct YuvFrame {
    unsigned char *y;
    unsigned char *u;
    unsigned char *v;
    int width;   // luma samples a row
    int height;  // luma rows
    int bit_depth;
    ChromaLayout chroma;
    ptrdiff_t luma_stride;
    ptrdiff_t chroma_stride;
};

inline int chroma_width(const YuvFrame &picture) { return picture.width / 2; }
inline int chroma_height(const YuvFrame &picture) { return picture.height / 2; }

// The largest value a sample can hold: the peak of the PSNR.
inline int largest_sample_value(const YuvFrame &picture) { return (1 << picture.bit_depth) - 1; }

// A picture of `width` x `height` 8-bit 4:2:0 samples whose rows have no gaps, over the
// given planes.
inline YuvFrame packed_420_frame(unsigned char *y, unsigned char *u, unsigned char *v,
                                 int width, int height)
{
    return YuvFrame{y, u, v, width, height, 8, chroma_420, width, width / 2};
}
