#include "file_samples.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

// `count` samples, `step` apart in `from` (words of `from_bytes`, low zero bits `padding`),
// into consecutive ones of `to_bytes` at a depth `widen` bits higher.
static void convert_row(const unsigned char *from, int from_bytes, int step, int padding,
                        unsigned char *to, int to_bytes, int widen, int count)
{
    for (int i = 0; i < count; i++) {
        const unsigned char *at = from + (ptrdiff_t)i * step * from_bytes;
        unsigned value = from_bytes == 2 ? at[0] | (unsigned)at[1] << 8 : at[0];
        value = value >> padding << widen;
        to[(ptrdiff_t)i * to_bytes] = (unsigned char)value;
        if (to_bytes == 2)
            to[(ptrdiff_t)i * 2 + 1] = (unsigned char)(value >> 8);
    }
}

void convert_file_picture(const unsigned char *bytes, const PixelFormat *format,
                          YuvFrame *picture)
{
    int from = sample_bytes(format->bit_depth), to = sample_bytes(picture->bit_depth);
    int widen = picture->bit_depth - format->bit_depth, padding = format->low_padding_bits;
    int width = picture->width, cw = chroma_width(*picture), ch = chroma_height(*picture);
    for (int row = 0; row < picture->height; row++)
        convert_row(bytes + (ptrdiff_t)row * width * from, from, 1, padding,
                    picture->y + row * picture->luma_stride, to, widen, width);
    if (!picture->u)
        return;
    const unsigned char *chroma = bytes + (ptrdiff_t)width * picture->height * from;
    bool interleaved = format->planes != chroma_planar;
    // Planar: all U rows, then all V rows. Interleaved: one row of pairs holds both.
    ptrdiff_t row_bytes = (ptrdiff_t)cw * from * (interleaved ? 2 : 1);
    ptrdiff_t u_at = 0, v_at = interleaved ? from : row_bytes * ch;
    if (format->planes == chroma_interleaved_vu)
        u_at = from, v_at = 0;
    for (int row = 0; row < ch; row++) {
        const unsigned char *line = chroma + row * row_bytes;
        convert_row(line + u_at, from, interleaved ? 2 : 1, padding,
                    picture->u + row * picture->chroma_stride, to, widen, cw);
        convert_row(line + v_at, from, interleaved ? 2 : 1, padding,
                    picture->v + row * picture->chroma_stride, to, widen, cw);
    }
}

// The bits of the high bytes of a plane's words together. Eight bytes are ORed at a time: an
// OR works bytewise, so the odd bytes of the result still hold the high bytes' bits.
static unsigned plane_high_bits(const unsigned char *plane, int width, int rows, ptrdiff_t stride)
{
    uint64_t chunks = 0;
    unsigned high = 0;
    size_t row_bytes = (size_t)width * 2;
    for (int row = 0; row < rows; row++) {
        const unsigned char *line = plane + row * stride;
        size_t i = 0;
        for (; i + 8 <= row_bytes; i += 8) {
            uint64_t chunk;
            memcpy(&chunk, line + i, 8);
            chunks |= chunk;
        }
        for (; i < row_bytes; i += 2)
            high |= line[i + 1];
    }
    unsigned char bytes[8];
    memcpy(bytes, &chunks, 8);
    return high | bytes[1] | bytes[3] | bytes[5] | bytes[7];
}

bool picture_exceeds_peak(const YuvFrame &picture)
{
    if (picture.bit_depth == 8 || picture.bit_depth == 16)
        return false;
    unsigned high = plane_high_bits(picture.y, picture.width, picture.height, picture.luma_stride);
    if (picture.u) {
        int cw = chroma_width(picture), ch = chroma_height(picture);
        high |= plane_high_bits(picture.u, cw, ch, picture.chroma_stride);
        high |= plane_high_bits(picture.v, cw, ch, picture.chroma_stride);
    }
    return (high >> (picture.bit_depth - 8)) != 0;
}
