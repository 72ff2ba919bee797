// Pictures into their panes' rendered buffers at the shown size: reduced to 8-bit 4:2:0
// where needed, zoomed, rendered, in colour or one plane in gray, and a pair's difference
// in the view the user chose.
#pragma once

#include <cstddef>

#include "common/yuv_frame.h"
#include "convert/plane_view.h"

// Renders the picture of sequence n into its pane's buffer, with the overlay of its stream's
// blocks when o has put it up.
void render_sequence_pane(int n);

// Renders the difference of pair 1..3 into its pane's buffer in the current view. The
// plain view shows the difference picture, which the pair's measurement has filled.
void render_pair_pane(int pair);

// Every shown pane again from the pictures in memory, after the zoom or the view changed.
void render_shown_panes();

// Shows `plane` alone in every pane from now on, or colour again; false for U and V of gray
// pictures, which have none.
bool choose_plane(PlaneView plane);
