#include "pixel_format.h"

#include <cstring>
#include <string>

// yuv420p first: the default.
const PixelFormat pixel_format_table[] = {
    {"yuv420p", 8, chroma_420, chroma_planar, 0},
    {"yuv422p", 8, chroma_422, chroma_planar, 0},
    {"yuv444p", 8, chroma_444, chroma_planar, 0},
    {"gray", 8, chroma_gray, chroma_planar, 0},
    {"yuv420p10le", 10, chroma_420, chroma_planar, 0},
    {"yuv422p10le", 10, chroma_422, chroma_planar, 0},
    {"yuv444p10le", 10, chroma_444, chroma_planar, 0},
    {"gray10le", 10, chroma_gray, chroma_planar, 0},
    {"yuv420p12le", 12, chroma_420, chroma_planar, 0},
    {"yuv422p12le", 12, chroma_422, chroma_planar, 0},
    {"yuv444p12le", 12, chroma_444, chroma_planar, 0},
    {"gray12le", 12, chroma_gray, chroma_planar, 0},
    {"yuv420p16le", 16, chroma_420, chroma_planar, 0},
    {"yuv422p16le", 16, chroma_422, chroma_planar, 0},
    {"yuv444p16le", 16, chroma_444, chroma_planar, 0},
    {"gray16le", 16, chroma_gray, chroma_planar, 0},
    {"nv12", 8, chroma_420, chroma_interleaved_uv, 0},
    {"nv21", 8, chroma_420, chroma_interleaved_vu, 0},
    {"p010le", 10, chroma_420, chroma_interleaved_uv, 6},
};
const int pixel_format_count = sizeof pixel_format_table / sizeof pixel_format_table[0];

const PixelFormat *find_pixel_format(const char *name)
{
    for (const PixelFormat &format : pixel_format_table)
        if (strcmp(format.name, name) == 0)
            return &format;
    return nullptr;
}

const PixelFormat *planar_form(const PixelFormat *format)
{
    return pixel_format_of(format->bit_depth, format->chroma);
}

// Planar formats come first in the table, so they are found first.
const PixelFormat *pixel_format_of(int bit_depth, ChromaLayout chroma)
{
    for (const PixelFormat &format : pixel_format_table)
        if (format.bit_depth == bit_depth && format.chroma == chroma)
            return &format;
    return nullptr;
}

const char *pixel_format_names()
{
    static const std::string names = [] {
        std::string list;
        for (const PixelFormat &format : pixel_format_table)
            list += (list.empty() ? "" : ", ") + std::string(format.name);
        return list;
    }();
    return names.c_str();
}

int64_t luma_plane_bytes(const PixelFormat *format, int width, int height)
{
    return (int64_t)width * height * sample_bytes(format->bit_depth);
}

int64_t chroma_plane_bytes(const PixelFormat *format, int width, int height)
{
    return (int64_t)layout_chroma_width(format->chroma, width) *
           layout_chroma_height(format->chroma, height) * sample_bytes(format->bit_depth);
}

int64_t frame_bytes(const PixelFormat *format, int width, int height)
{
    return luma_plane_bytes(format, width, height) + 2 * chroma_plane_bytes(format, width, height);
}
