#include "picture_memory.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "die.h"
#include "pixel_format.h"

unsigned char *allocate_bytes(int64_t bytes, const char *what)
{
    void *memory = bytes > 0 && (uint64_t)bytes <= SIZE_MAX ? malloc((size_t)bytes) : nullptr;
    if (!memory)
        die(1, "Out of memory: could not allocate %lld bytes for %s\n", (long long)bytes,
            what);
    return (unsigned char *)memory;
}

void fill_picture(YuvFrame *picture, int chroma_value)
{
    memset(picture->y, 0, (size_t)(picture->luma_stride * picture->height));
    if (!picture->u)
        return;  // gray: no chroma planes
    size_t chroma = (size_t)(picture->chroma_stride * chroma_height(*picture));
    if (picture->bit_depth == 8) {
        memset(picture->u, chroma_value, chroma);
        memset(picture->v, chroma_value, chroma);
        return;
    }
    int value = chroma_value << (picture->bit_depth - 8);
    for (size_t i = 0; i + 1 < chroma; i += 2)
        for (unsigned char *plane : {picture->u, picture->v}) {
            plane[i] = (unsigned char)value;  // little-endian words, as in the files
            plane[i + 1] = (unsigned char)(value >> 8);
        }
}

YuvFrame allocate_picture(const char *what, int chroma_value, const PixelFormat *format,
                          int width, int height)
{
    int64_t luma = luma_plane_bytes(format, width, height);
    int64_t chroma = chroma_plane_bytes(format, width, height);
    unsigned char *u = chroma > 0 ? allocate_bytes(chroma, what) : nullptr;
    unsigned char *v = chroma > 0 ? allocate_bytes(chroma, what) : nullptr;
    YuvFrame picture = packed_frame(allocate_bytes(luma, what), u, v, width, height,
                                    format->bit_depth, format->chroma);
    fill_picture(&picture, chroma_value);
    return picture;
}
