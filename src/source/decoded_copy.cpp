#include "decoded_copy.h"

#include <cstddef>
#include <cstring>
#include <string>

const PixelFormat *planar_twin(const char *name)
{
    if (!full_range_name(name))
        return find_pixel_format(name);
    return find_pixel_format(("yuv" + std::string(name + 4)).c_str());
}

bool full_range_name(const char *name)
{
    return strncmp(name, "yuvj", 4) == 0;
}

void copy_decoded_frame(unsigned char *const *data, const int *linesize, int depth,
                        YuvFrame *picture)
{
    int bytes = sample_bytes(picture->bit_depth);
    int shift = picture->bit_depth - depth;
    unsigned char *planes[3] = {picture->y, picture->u, picture->v};
    for (int p = 0; p < 3 && planes[p]; p++) {
        int width = p ? chroma_width(*picture) : picture->width;
        int height = p ? chroma_height(*picture) : picture->height;
        ptrdiff_t stride = p ? picture->chroma_stride : picture->luma_stride;
        for (int row = 0; row < height; row++) {
            const unsigned char *in = data[p] + (ptrdiff_t)row * linesize[p];
            unsigned char *out = planes[p] + row * stride;
            if (shift == 0) {
                memcpy(out, in, (size_t)width * bytes);
                continue;
            }
            for (int i = 0; i < width; i++) {  // little-endian words, as in the files
                unsigned value = (unsigned)sample_in_row(in, i, depth) << shift;
                out[2 * i] = (unsigned char)value;
                out[2 * i + 1] = (unsigned char)(value >> 8);
            }
        }
    }
}
