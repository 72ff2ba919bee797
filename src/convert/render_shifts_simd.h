// The channel shifts of fast_layout as shift counts for the SSE2 and AVX2 renderers, which
// take them in a 128-bit register alike. Like render_rows_simd.h, compiled into each of
// those files apart, in its anonymous namespace.
#pragma once

#include <emmintrin.h>

#include "convert_kernels.h"

namespace {

struct Shifts {
    __m128i right[3];
    __m128i left[3];
};

Shifts layout_shifts()
{
    Shifts shifts;
    for (int c = 0; c < 3; c++) {
        shifts.right[c] = _mm_cvtsi32_si128(convert_kernels.fast_layout.channel[c].right);
        shifts.left[c] = _mm_cvtsi32_si128(convert_kernels.fast_layout.channel[c].left);
    }
    return shifts;
}

}  // namespace
