// What a pane must show, rendered in the test with the program's own renderers for the
// server's visual, from the same test sequences the program plays.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <vector>

#include "x_window_query.h"

// Builds the conversion tables for the default visual of `dpy`, as init_display does,
// for pictures of width x height; returns the bytes per rendered pixel (2 or 4).
int prepare_tables(Display *dpy, int width, int height);

// Sequence `sequence`'s frame `frame` (make_test_frame), rendered in colour.
Capture expected_picture(int sequence, int frame, int width, int height, uint32_t colour_bits);

// The gray difference picture of frame_a of seq_a minus frame_b of seq_b.
Capture expected_difference(int seq_a, int frame_a, int seq_b, int frame_b, int width, int height,
                            uint32_t colour_bits);
