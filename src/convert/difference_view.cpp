// The difference views: levels from the pair's samples, pixels from the levels, both
// through tables.
#include "difference_view.h"

#include "color_tables.h"

void build_view_levels(DifferenceView view, int gain, uint8_t levels[view_level_count])
{
    for (int d = -view_level_centre; d < view_level_count - view_level_centre; d++) {
        int level = view == view_heat ? (d < 0 ? -d : d) * gain : 128 + gain * d;
        levels[d + view_level_centre] = (uint8_t)(level < 0 ? 0 : level > 255 ? 255 : level);
    }
}

void difference_view_levels_C(const YuvFrame *first, const YuvFrame *second,
                              const uint8_t levels[view_level_count], unsigned char *out,
                              ptrdiff_t out_stride)
{
    const int depth = first->bit_depth, shift = depth > 8 ? depth - 8 : 0;
    const uint8_t *centre = levels + view_level_centre;
    for (int row = 0; row < first->height; row++) {
        const unsigned char *a = first->y + row * first->luma_stride;
        const unsigned char *b = second->y + row * second->luma_stride;
        unsigned char *o = out + row * out_stride;
        for (int x = 0; x < first->width; x++) {
            int d = sample_in_row(a, x, depth) - sample_in_row(b, x, depth);
            o[x] = centre[d >> shift];
        }
    }
}

void build_view_pixels(DifferenceView view, uint32_t pixels[256])
{
    const int thirty_two_bit = pixel_tables.table_pixel_bytes == 4;
    for (int level = 0; level < 256; level++) {
        uint8_t rgb[3] = {(uint8_t)level, (uint8_t)level, (uint8_t)level};
        if (view == view_heat)
            heat_map_colour(level, rgb);
        uint32_t pixel = 0;
        for (int c = 0; c < 3; c++)
            pixel |= (uint32_t)channel_entry(rgb[c], (uint32_t)pixel_tables.wpixel[c], thirty_two_bit);
        pixels[level] = pixel;
    }
}

void render_view_levels_C(const YuvFrame *levels, const uint32_t pixels[256], int pixel_bytes,
                          unsigned char *out, ptrdiff_t out_stride)
{
    for (int row = 0; row < levels->height; row++) {
        const unsigned char *level = levels->y + row * levels->luma_stride;
        unsigned char *line = out + row * out_stride;
        for (int x = 0; x < levels->width; x++) {
            if (pixel_bytes == 2)
                ((uint16_t *)line)[x] = (uint16_t)pixels[level[x]];
            else
                ((uint32_t *)line)[x] = pixels[level[x]];
        }
    }
}

static uint32_t view_pixels[256];

void set_view_pixels(DifferenceView view)
{
    build_view_pixels(view, view_pixels);
}

void render_view(const YuvFrame *levels, unsigned char *out, ptrdiff_t out_stride)
{
    render_view_levels_C(levels, view_pixels, pixel_tables.table_pixel_bytes, out, out_stride);
}
