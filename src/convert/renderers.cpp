// The public renderers: each calls the variant select_render_kernels chose.
#include "renderers.h"

#include "color_tables.h"
#include "render_kernels.h"

// The reference until select_render_kernels has run.
RenderKernels render_kernels = {Color16DitherImage_C, Color32DitherImage_C,
                                DitherImageToGray16_C, DitherImageToGray32_C};

void Color16DitherImage(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride)
{
    render_kernels.color16(picture, out, out_stride);
}

void Color32DitherImage(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride)
{
    render_kernels.color32(picture, out, out_stride);
}

void DitherImageToGray16(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride)
{
    render_kernels.gray16(picture, out, out_stride);
}

void DitherImageToGray32(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride)
{
    render_kernels.gray32(picture, out, out_stride);
}

void render_colour(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride)
{
    if (table_pixel_bytes == 2)
        render_kernels.color16(picture, out, out_stride);
    else
        render_kernels.color32(picture, out, out_stride);
}

void render_gray(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride)
{
    if (table_pixel_bytes == 2)
        render_kernels.gray16(picture, out, out_stride);
    else
        render_kernels.gray32(picture, out, out_stride);
}

int rendered_pixel_bytes()
{
    return table_pixel_bytes;
}
