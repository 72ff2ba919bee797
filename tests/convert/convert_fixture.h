// Shared fixtures of the conversion tests: channel layouts, pictures and buffers.
#pragma once

#include <cstdint>
#include <cstring>
#include <ostream>
#include <random>
#include <vector>

#include "color_tables.h"
#include "renderers.h"
#include "settings.h"
#include "yuv_frame.h"

struct Layout {
    const char *name;
    unsigned long red, green, blue;
    int thirty_two_bit;
};

inline void PrintTo(const Layout &layout, std::ostream *os)
{
    *os << layout.name;
}

inline void use_layout(const Layout &layout)
{
    wpixel[0] = layout.red;
    wpixel[1] = layout.green;
    wpixel[2] = layout.blue;
    InitColorDither(layout.thirty_two_bit);
}

const Layout layout_565 = {"5-6-5", 0xF800, 0x07E0, 0x001F, 0};
const Layout layout_888 = {"8-8-8", 0xFF0000, 0x00FF00, 0x0000FF, 1};

// A picture of width x height with its own planes; the renderers read the size from
// the settings, which set_size fills in.
struct Picture {
    int width, height;
    std::vector<uint8_t> y, u, v;
    YuvFrame frame;

    Picture(int w, int h, uint8_t luma = 0, uint8_t cb = 128, uint8_t cr = 128)
        : width(w), height(h), y((size_t)w * h, luma), u((size_t)w * h / 4, cb),
          v((size_t)w * h / 4, cr)
    {
        frame.y = y.data();
        frame.u = u.data();
        frame.v = v.data();
    }
    void set_size() const
    {
        coded_picture_width = horizontal_size = width;
        coded_picture_height = vertical_size = height;
    }
    // The block of chroma sample (x, y) covers luma (2x..2x+1, 2y..2y+1).
    void set_block(int x, int yy, uint8_t cb, uint8_t cr)
    {
        u[(size_t)yy * (width / 2) + x] = cb;
        v[(size_t)yy * (width / 2) + x] = cr;
    }
};

// A render buffer with guard bytes after the picture, filled with `fill`.
struct Buffer {
    static const size_t guard = 64;
    std::vector<unsigned char> bytes;
    size_t picture_bytes;

    Buffer(const Picture &picture, int bytes_per_pixel, unsigned char fill = 0xA5)
        : bytes((size_t)picture.width * picture.height * bytes_per_pixel + guard, fill),
          picture_bytes((size_t)picture.width * picture.height * bytes_per_pixel)
    {
    }
    unsigned char *data() { return bytes.data(); }
    uint32_t pixel32(size_t index) const
    {
        uint32_t value;
        memcpy(&value, &bytes[index * 4], 4);
        return value;
    }
    uint16_t pixel16(size_t index) const
    {
        uint16_t value;
        memcpy(&value, &bytes[index * 2], 2);
        return value;
    }
};
