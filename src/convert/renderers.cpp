// The four public renderers: each calls the variant chosen when the tables were built.
#include "renderers.h"

#include "render_kernels.h"

// The reference until select_render_kernels has run.
RenderKernels render_kernels = {Color16DitherImage_C, Color32DitherImage_C,
                                DitherImageToGray16_C, DitherImageToGray32_C};

void Color16DitherImage(const YuvFrame *picture, unsigned char *out)
{
    render_kernels.color16(picture, out);
}

void Color32DitherImage(const YuvFrame *picture, unsigned char *out)
{
    render_kernels.color32(picture, out);
}

void DitherImageToGray16(const YuvFrame *picture, unsigned char *out)
{
    render_kernels.gray16(picture, out);
}

void DitherImageToGray32(const YuvFrame *picture, unsigned char *out)
{
    render_kernels.gray32(picture, out);
}
