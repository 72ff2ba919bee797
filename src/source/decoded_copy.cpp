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

void copy_decoded_frame(unsigned char *const *data, const int *linesize, YuvFrame *picture)
{
    int bytes = sample_bytes(picture->bit_depth);
    unsigned char *planes[3] = {picture->y, picture->u, picture->v};
    for (int p = 0; p < 3 && planes[p]; p++) {
        int width = p ? chroma_width(*picture) : picture->width;
        int height = p ? chroma_height(*picture) : picture->height;
        ptrdiff_t stride = p ? picture->chroma_stride : picture->luma_stride;
        for (int row = 0; row < height; row++)
            memcpy(planes[p] + row * stride, data[p] + (ptrdiff_t)row * linesize[p],
                   (size_t)width * bytes);
    }
}
