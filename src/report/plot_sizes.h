// The plot's frame-size panels: each decoded sequence's frames as bars of their coded bytes,
// coloured by picture type, on the frame axis of the PSNR panel.
#pragma once

#include <cairo.h>

#include "report_plot.h"

// The largest frame of decoded sequence n over the range; 0 when no frame was read.
double most_bytes_of(int n);

// Draws sequence n's panel with its name, axes and type legend.
void draw_size_panel(cairo_t *cr, const PlotPanel *panel, int n);
