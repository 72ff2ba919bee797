// Marks drawn over a rendered pane: a block in every other pixel of a colour, which lets
// the picture show through, and a line. Coordinates are in the pane's pixels; what lies
// outside the `width` x `height` pane is left out.
#pragma once

#include <cstddef>
#include <cstdint>

struct RenderedPane {
    unsigned char *pixels;
    ptrdiff_t row_bytes;
    int pixel_bytes;  // 2 or 4
    int width, height;
};

// The pixels of the block whose x + y is even.
void stipple_block(const RenderedPane &pane, int x, int y, int width, int height,
                   uint32_t pixel);

// A line from (x0, y0) to (x1, y1), both ends included.
void draw_line(const RenderedPane &pane, int x0, int y0, int x1, int y1, uint32_t pixel);
