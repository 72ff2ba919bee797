// One plane of the pictures shown alone, in gray: its samples spread over the luma grid, so
// that the zoom, the difference pictures and their views take it as they take luma.
#pragma once

#include <cstddef>

#include "common/yuv_frame.h"

enum PlaneView {
    plane_view_colour,  // the pictures in colour, as always
    plane_view_y,
    plane_view_u,
    plane_view_v,
};

// Reference: chroma plane 1 (U) or 2 (V) of `picture` into `out` as a luma plane of the
// picture's size and depth, rows `out_stride` bytes apart: each chroma sample repeated over
// the luma samples it covers.
void spread_chroma_plane_C(const YuvFrame *picture, int plane, unsigned char *out,
                           ptrdiff_t out_stride);

// The luma of an 8-bit picture as gray levels, level l as l in every channel, through pixels
// built for the visual the tables were last built for (build_gray_level_pixels).
void build_gray_level_pixels();
void render_gray_levels(const YuvFrame *picture, unsigned char *out, ptrdiff_t out_stride);
