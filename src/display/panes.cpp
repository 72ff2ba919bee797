// The picture panes of the main window: one image transfer and one caption each.
#include <cstdio>
#include <cstring>

#include "display.h"
#include "layout.h"
#include "shm_transfer.h"
#include "common/panes.h"

static int machine_byte_order()
{
    int one = 1;
    return *reinterpret_cast<unsigned char *>(&one) == 1 ? LSBFirst : MSBFirst;
}

void present_frame()
{
    XFlush(x11.display);
}

void display_image(XImage *image, unsigned char *buffer, int pane)
{
    image->byte_order = machine_byte_order();
    image->bitmap_bit_order = image->byte_order;
    image->data = reinterpret_cast<char *>(buffer);

    if (pane < 1 || pane > pane_count) {
        printf("\nOH MY GOD, SOMETHING TERRIBLE JUST HAPPENED ;-)\n");
        return;
    }
    Rect place = pane_rect(pane);
    if (x11.shm_ready)
        put_pane_shm(buffer, pane, place.x, place.y);
    else
        XPutImage(x11.display, x11.window, x11.gc, image, 0, 0, place.x, place.y, image->width,
                  image->height);
    const char *caption = panes[pane].caption;
    XDrawImageString(x11.display, x11.window, x11.gc, caption_x(pane), caption_y(pane), caption,
                     (int)strlen(caption));
}
