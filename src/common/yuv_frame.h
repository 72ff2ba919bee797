// One picture in memory: its planes and everything needed to walk them.
#pragma once

#include <cstddef>

// How the chroma planes are sampled against luma.
enum ChromaLayout {
    chroma_420,   // half as wide and half as high as luma
    chroma_422,   // half as wide, as high
    chroma_444,   // as wide and as high
    chroma_gray,  // no chroma planes
};

// Planes in file order Y, U, V. Rows are `luma_stride` / `chroma_stride` bytes apart,
// which is the row width itself for pictures read from a file. Samples of up to 8 bits
// take one byte; wider ones a 16-bit little-endian word each, as in the files. A gray
// picture has no chroma: u and v are null.
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

inline int layout_chroma_width(ChromaLayout chroma, int width)
{
    return chroma == chroma_gray ? 0 : chroma == chroma_444 ? width : width / 2;
}
inline int layout_chroma_height(ChromaLayout chroma, int height)
{
    return chroma == chroma_gray ? 0 : chroma == chroma_420 ? height / 2 : height;
}
inline int chroma_width(const YuvFrame &picture)
{
    return layout_chroma_width(picture.chroma, picture.width);
}
inline int chroma_height(const YuvFrame &picture)
{
    return layout_chroma_height(picture.chroma, picture.height);
}

// Bytes of one sample at a bit depth.
inline int sample_bytes(int bit_depth) { return bit_depth > 8 ? 2 : 1; }

// Sample x of a row: a byte, or a little-endian word for samples wider than 8 bits.
inline int sample_in_row(const unsigned char *row, int x, int bit_depth)
{
    return bit_depth > 8 ? row[2 * x] | row[2 * x + 1] << 8 : row[x];
}

// The largest value a sample can hold: the peak of the PSNR.
inline int largest_sample_value(const YuvFrame &picture) { return (1 << picture.bit_depth) - 1; }

// A picture of `width` x `height` 8-bit 4:2:0 samples whose rows have no gaps, over the
// given planes.
inline YuvFrame packed_420_frame(unsigned char *y, unsigned char *u, unsigned char *v,
                                 int width, int height)
{
    return YuvFrame{y, u, v, width, height, 8, chroma_420, width, width / 2};
}

// The same for any layout and bit depth.
inline YuvFrame packed_frame(unsigned char *y, unsigned char *u, unsigned char *v, int width,
                             int height, int bit_depth, ChromaLayout chroma)
{
    int bytes = sample_bytes(bit_depth);
    return YuvFrame{y, u, v, width, height, bit_depth, chroma, (ptrdiff_t)width * bytes,
                    (ptrdiff_t)layout_chroma_width(chroma, width) * bytes};
}
