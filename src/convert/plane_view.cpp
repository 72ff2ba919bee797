#include "plane_view.h"

#include <cstdint>

#include "color_tables.h"
#include "difference_view.h"

template <typename Sample>
static void spread_rows(const YuvFrame *picture, const unsigned char *chroma, unsigned char *out,
                        ptrdiff_t out_stride)
{
    const int x_shift = picture->chroma == chroma_444 ? 0 : 1;
    const int y_shift = picture->chroma == chroma_420 ? 1 : 0;
    for (int row = 0; row < picture->height; row++) {
        const Sample *in = (const Sample *)(chroma + (row >> y_shift) * picture->chroma_stride);
        Sample *line = (Sample *)(out + row * out_stride);
        for (int x = 0; x < picture->width; x++)
            line[x] = in[x >> x_shift];
    }
}

void spread_chroma_plane_C(const YuvFrame *picture, int plane, unsigned char *out,
                           ptrdiff_t out_stride)
{
    const unsigned char *chroma = plane == 1 ? picture->u : picture->v;
    if (sample_bytes(picture->bit_depth) == 2)
        spread_rows<uint16_t>(picture, chroma, out, out_stride);  // words as in the files
    else
        spread_rows<uint8_t>(picture, chroma, out, out_stride);
}

static uint32_t gray_pixels[256];

void build_gray_level_pixels()
{
    build_view_pixels(view_centred, gray_pixels);  // the centred view's gray: level l is l
}

void render_gray_levels(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride)
{
    render_view_levels_C(picture, gray_pixels, pixel_tables.table_pixel_bytes, out, out_stride);
}
