// The public renderers: each calls the variant select_render_kernels chose.
#include "renderers.h"

#include "color_tables.h"
#include "convert_kernels.h"

// The references until select_render_kernels and select_zoom_kernels have run.
ConvertKernels convert_kernels = {
    {Color16DitherImage_C, Color32DitherImage_C, DitherImageToGray16_C, DitherImageToGray32_C},
    zoom_kernels_C,
    {}};

// The colour and gray kernels of the tables' pixel width, chosen with the kernels.
static render_fn colour_for_tables = Color16DitherImage_C;
static render_fn gray_for_tables = DitherImageToGray16_C;

void choose_renderers_for_tables()
{
    bool narrow = pixel_tables.table_pixel_bytes == 2;
    colour_for_tables = narrow ? convert_kernels.render.color16 : convert_kernels.render.color32;
    gray_for_tables = narrow ? convert_kernels.render.gray16 : convert_kernels.render.gray32;
}

void Color16DitherImage(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride)
{
    convert_kernels.render.color16(picture, out, out_stride);
}

void Color32DitherImage(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride)
{
    convert_kernels.render.color32(picture, out, out_stride);
}

void DitherImageToGray16(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride)
{
    convert_kernels.render.gray16(picture, out, out_stride);
}

void DitherImageToGray32(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride)
{
    convert_kernels.render.gray32(picture, out, out_stride);
}

void render_colour(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride)
{
    colour_for_tables(picture, out, out_stride);
}

void render_gray(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride)
{
    gray_for_tables(picture, out, out_stride);
}

int rendered_pixel_bytes()
{
    return pixel_tables.table_pixel_bytes;
}
