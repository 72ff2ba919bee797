#include "overlay_drawing.h"

#include <algorithm>
#include <cstdlib>

static void put_pixel(const RenderedPane &pane, int x, int y, uint32_t pixel)
{
    if (x < 0 || y < 0 || x >= pane.width || y >= pane.height)
        return;
    unsigned char *row = pane.pixels + y * pane.row_bytes;
    if (pane.pixel_bytes == 2)
        ((uint16_t *)row)[x] = (uint16_t)pixel;
    else
        ((uint32_t *)row)[x] = pixel;
}

void stipple_block(const RenderedPane &pane, int x, int y, int width, int height,
                   uint32_t pixel)
{
    int top = std::max(y, 0), bottom = std::min(y + height, pane.height);
    int left = std::max(x, 0), right = std::min(x + width, pane.width);
    for (int row = top; row < bottom; row++)
        for (int column = left + ((left + row) & 1); column < right; column += 2)
            put_pixel(pane, column, row, pixel);
}

// Bresenham's walk, clipped pixel by pixel; a line far outside the pane is skipped whole.
void draw_line(const RenderedPane &pane, int x0, int y0, int x1, int y1, uint32_t pixel)
{
    if (std::max(x0, x1) < 0 || std::max(y0, y1) < 0 || std::min(x0, x1) >= pane.width ||
        std::min(y0, y1) >= pane.height)
        return;
    int dx = abs(x1 - x0), dy = -abs(y1 - y0);
    int step_x = x0 < x1 ? 1 : -1, step_y = y0 < y1 ? 1 : -1;
    int error = dx + dy;
    for (;;) {
        put_pixel(pane, x0, y0, pixel);
        if (x0 == x1 && y0 == y1)
            return;
        int twice = 2 * error;
        if (twice >= dy)
            error += dy, x0 += step_x;
        if (twice <= dx)
            error += dx, y0 += step_y;
    }
}
