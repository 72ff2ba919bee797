// Other views of a pair's difference than the gray picture mod 256: centred gray with a
// gain, and a heat map of the magnitude. A view turns each signed difference d of the
// luma samples, in 8-bit units, into a level 0..255 (a byte plane that zooms out as the
// difference picture does), and each level into a display pixel through a table.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/yuv_frame.h"

enum DifferenceView {
    view_plain,    // the difference picture mod 256, in gray, as always
    view_centred,  // gray 128 + gain x d, clamped
    view_heat,     // |d| x gain, clamped, through the heat map
};
const int difference_view_count = 3;

// The gains `g` steps through, the first one first.
const int view_gains[] = {1, 2, 4, 8, 16};
const int view_gain_count = 5;

// Differences in 8-bit units lie in -256..255 (a wide difference shifted down rounds
// toward minus infinity); the level of d is levels[d + view_level_centre].
const int view_level_centre = 256;
const int view_level_count = 512;

// The level each difference has in a view other than the plain one.
void build_view_levels(DifferenceView view, int gain, uint8_t levels[view_level_count]);

// Reference: the level of every luma sample of the pair, d = (first - second) >> (depth - 8)
// (arithmetic, as the difference picture shifts it), into `out`, rows `out_stride` apart.
// Both pictures share size and format.
void difference_view_levels_C(const YuvFrame *first, const YuvFrame *second,
                              const uint8_t levels[view_level_count], unsigned char *out,
                              ptrdiff_t out_stride);

// The heat map's colour of level 0..255 (red, green, blue), dark at 0 and brighter with
// every level: the cubehelix scheme of D. A. Green (2011), computed once.
void heat_map_colour(int level, uint8_t rgb[3]);

// The pixel of each level in a view, for the visual the tables were last built for: gray
// `level` in every channel for the centred view, the heat map's colour for the heat view.
void build_view_pixels(DifferenceView view, uint32_t pixels[256]);

// Reference: the luma levels of `levels` through `pixels` (`pixel_bytes` 2 or 4 each).
void render_view_levels_C(const YuvFrame *levels, const uint32_t pixels[256], int pixel_bytes,
                          unsigned char *out, ptrdiff_t out_stride);

// The view's renderer as the panes call it, through the pixels set by set_view_pixels.
void set_view_pixels(DifferenceView view);
void render_view(const YuvFrame *levels, unsigned char *out, ptrdiff_t out_stride);
