// The six picture panes of the main window: one image transfer and one caption each.
#include <cstdio>
#include <cstring>

#include "display.h"
#include "layout.h"
#include "shm_transfer.h"
#include "common/pairs.h"

// Panes 1..3 show the sequences, 4..6 the differences of pairs 1..3.
static const char *const sequence_captions[4] = {"", "Original", "Encoded", "Transmitted"};

static const char *caption_of(int pane)
{
    return pane <= 3 ? sequence_captions[pane] : pairs[pane - 3].caption;
}

static int machine_byte_order()
{
    int one = 1;
    return *reinterpret_cast<unsigned char *>(&one) == 1 ? LSBFirst : MSBFirst;
}

void present_frame()
{
    XFlush(display);
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
    Rect place = pane_rect(pane);
    if (shm_ready)
        put_pane_shm(buffer, pane, place.x, place.y);
    else
        XPutImage(display, window, gc, image, 0, 0, place.x, place.y, image->width,
                  image->height);
    const char *caption = caption_of(pane);
    XDrawImageString(display, window, gc, caption_x(pane), caption_y(pane), caption,
                     (int)strlen(caption));
}
