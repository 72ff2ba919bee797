// The six picture panes of the main window: one image transfer and one caption each.
#include <cstdio>

#include "display.h"
#include "shm_transfer.h"
#include "common/settings.h"

struct Pane {
    const char *caption;
    int caption_length;
    int column;  // 0..2, in picture widths
    int row;     // 0 top (sequences), 1 bottom (differences)
};

static const Pane panes[6] = {
    {"Original", 8, 0, 0},  {"Encoded", 7, 1, 0},   {"Transmitted", 11, 2, 0},
    {"Org<->Enc", 9, 0, 1}, {"Enc<->Tra", 9, 1, 1}, {"Org<->Tra", 9, 2, 1},
};

static const int row_gap = 30;       // caption strip between the rows
static const int caption_left = 5;
static const int caption_below = 15; // baseline below the picture's last row + 1

static int machine_byte_order()
{
    int one = 1;
    return *reinterpret_cast<unsigned char *>(&one) == 1 ? LSBFirst : MSBFirst;
}

void display_image(XImage *image, unsigned char *buffer, int pane)
{
    image->byte_order = machine_byte_order();
    image->bitmap_bit_order = image->byte_order;
    image->data = reinterpret_cast<char *>(buffer);

    if (pane < 1 || pane > 6) {
        printf("\nOH MY GOD, SOMETHING TERRIBLE JUST HAPPENED ;-)\n");
        return;
    }
    const Pane &p = panes[pane - 1];
    int x = p.column * horizontal_size;
    int y = p.row * (vertical_size + row_gap);
    if (shm_ready)
        put_pane_shm(buffer, pane, x, y);
    else
        XPutImage(display, window, gc, image, 0, 0, x, y, image->width, image->height);
    XDrawImageString(display, window, gc, x + caption_left, y + vertical_size + caption_below,
                     p.caption, p.caption_length);
}
