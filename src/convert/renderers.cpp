// The public renderers: each calls the variant select_render_kernels chose.
#include "renderers.h"

#include "color_tables.h"
#include "render_kernels.h"

// The reference until select_render_kernels has run.
RenderKernels render_kernels = {Color16DitherImage_C, Color32DitherImage_C,
                                DitherImageToGray16_C, DitherImageToGray32_C};

// The colour and gray kernels of the tables' pixel width, chosen with the kernels.
static render_fn colour_for_tables = Color16DitherImage_C;
static render_fn gray_for_tables = DitherImageToGray16_C;

void choose_renderers_for_tables()
{
    bool narrow = table_pixel_bytes == 2;
    colour_for_tables = narrow ? render_kernels.color16 : render_kernels.color32;
    gray_for_tables = narrow ? render_kernels.gray16 : render_kernels.gray32;
}

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
    colour_for_tables(picture, out, out_stride);
}

void render_gray(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride)
{
    gray_for_tables(picture, out, out_stride);
}

int rendered_pixel_bytes()
{
    return table_pixel_bytes;
}
