#include "region.h"

#include <cctype>
#include <cstdint>
#include <cstdio>

// Decimal digits, at most seven: anything larger lies outside every picture anyway.
static bool read_number(const char **text, int *value)
{
    const char *p = *text;
    int number = 0, digits = 0;
    for (; isdigit((unsigned char)*p); p++, digits++) {
        if (digits == 7)
            return false;
        number = number * 10 + (*p - '0');
    }
    if (digits == 0)
        return false;
    *text = p;
    *value = number;
    return true;
}

static bool read_offset(const char **text, int *value, bool *from_far_edge)
{
    char sign = **text;
    if (sign != '+' && sign != '-')
        return false;
    ++*text;
    *from_far_edge = sign == '-';
    return read_number(text, value);
}

bool read_crop_geometry(const char *text, CropState *crop)
{
    CropState read = {text, 0, 0, 0, 0, false, false, {0, 0, 0, 0}};
    const char *p = text;
    if (*p == '=')
        p++;
    if (!read_number(&p, &read.width) || (*p != 'x' && *p != 'X'))
        return false;
    p++;
    if (!read_number(&p, &read.height))
        return false;
    if (*p != '\0' && (!read_offset(&p, &read.x, &read.from_right) ||
                       !read_offset(&p, &read.y, &read.from_bottom) || *p != '\0'))
        return false;
    *crop = read;
    return true;
}

const char *place_region(const CropState &crop, int width, int height, ChromaLayout chroma,
                         int min_width, int min_height, PictureRegion *region)
{
    static char why[96];
    if (crop.width % 2 || crop.height % 2 || crop.width < min_width || crop.height < min_height) {
        snprintf(why, sizeof why, "the width and height must be even, at least %dx%d",
                 min_width, min_height);
        return why;
    }
    int x = crop.from_right ? width - crop.width - crop.x : crop.x;
    int y = crop.from_bottom ? height - crop.height - crop.y : crop.y;
    if (x < 0 || y < 0 || crop.width > width - x || crop.height > height - y) {
        snprintf(why, sizeof why, "the region lies outside the %dx%d picture", width, height);
        return why;
    }
    if ((chroma == chroma_420 || chroma == chroma_422) && (x % 2 || y % 2))
        return "the offsets must be even: the chroma is subsampled";
    *region = PictureRegion{x, y, crop.width, crop.height};
    return nullptr;
}

YuvFrame region_of(const YuvFrame &whole, const PictureRegion &region)
{
    YuvFrame part = whole;
    int bytes = sample_bytes(whole.bit_depth);
    part.y += region.y * whole.luma_stride + (ptrdiff_t)region.x * bytes;
    if (whole.u) {
        // Chroma positions of the region's corner: the offsets are even where subsampled.
        int64_t cx = (int64_t)region.x * chroma_width(whole) / whole.width;
        int64_t cy = (int64_t)region.y * chroma_height(whole) / whole.height;
        ptrdiff_t offset = cy * whole.chroma_stride + (ptrdiff_t)cx * bytes;
        part.u += offset;
        part.v += offset;
    }
    part.width = region.width;
    part.height = region.height;
    return part;
}

void region_text(const PictureRegion &region, char *text, size_t size)
{
    snprintf(text, size, "%dx%d+%d+%d", region.width, region.height, region.x, region.y);
}
