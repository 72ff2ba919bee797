// The conversion kernels the program calls, chosen once at start-up: the references until
// select_render_kernels and select_zoom_kernels have run.
#pragma once

#include "render_kernels.h"
#include "zoom.h"

struct ConvertKernels {
    RenderKernels render;    // what Color16DitherImage and the other public names call
    ZoomKernels zoom;
    FastLayout fast_layout;  // how the fast colour kernels place a level in a pixel
};
extern ConvertKernels convert_kernels;
