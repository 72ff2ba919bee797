// The picture panes of the main window: one image transfer and one caption each; the
// Encoded and Transmitted panes may show the Original instead, wholly or left of a split.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "display.h"
#include "layout.h"
#include "look.h"
#include "shm_transfer.h"
#include "viewport.h"
#include "common/die.h"
#include "common/panes.h"

// The wiped picture of a pane, put together before it is sent.
static unsigned char *wiped;
static size_t wiped_bytes;

static int machine_byte_order()
{
    int one = 1;
    return *reinterpret_cast<unsigned char *>(&one) == 1 ? LSBFirst : MSBFirst;
}

void present_frame()
{
    XFlush(x11.display);
}

bool pane_compared(int pane)
{
    const Pane &p = panes[pane];
    return look.ab_view != ab_own && p.kind == pane_sequence && p.source >= 2 &&
           pane_shown(pane_of_sequence(1));
}

const char *shown_caption(int pane)
{
    static char text[4][80];
    if (!pane_compared(pane))
        return panes[pane].caption;
    const char *original = panes[pane_of_sequence(1)].caption;
    if (look.ab_view == ab_original)
        return original;
    char *caption = text[panes[pane].source];
    snprintf(caption, sizeof text[0], "%s | %s", original, panes[pane].caption);
    return caption;
}

void clear_caption(int pane)
{
    Rect picture = pane_rect(pane);
    XClearArea(x11.display, x11.window, picture.x, picture.y + picture.height, picture.width,
               caption_y(pane) - picture.y - picture.height + 4, False);
}

// Left of the split the Original's pixels, right the pane's own, row by row.
static const unsigned char *wipe(const unsigned char *own, const XImage *image, int skip_x)
{
    size_t pixel = (size_t)image->bits_per_pixel / 8, row = (size_t)image->bytes_per_line;
    size_t bytes = row * (size_t)image->height;
    if (bytes > wiped_bytes) {
        free(wiped);
        wiped = (unsigned char *)malloc(bytes);
        if (!wiped)
            die(1, "Out of memory: could not allocate %zu bytes for the wipe\n", bytes);
        wiped_bytes = bytes;
    }
    int split = look.wipe_split < 0 ? shown_width() / 2 : look.wipe_split;
    size_t left = (size_t)(skip_x + split) * pixel;
    if (left > row)
        left = row;
    const unsigned char *original = panes[pane_of_sequence(1)].rendered;
    for (int y = 0; y < image->height; y++) {
        memcpy(wiped + y * row, original + y * row, left);
        memcpy(wiped + y * row + left, own + y * row + left, row - left);
    }
    return wiped;
}

void display_image(XImage *image, unsigned char *buffer, int pane)
{
    image->byte_order = machine_byte_order();
    image->bitmap_bit_order = image->byte_order;

    if (pane < 1 || pane > pane_count) {
        printf("\nOH MY GOD, SOMETHING TERRIBLE JUST HAPPENED ;-)\n");
        return;
    }
    Rect place = pane_rect(pane);
    int skip_x = view_span_x().skip, skip_y = view_span_y().skip;
    const unsigned char *shown = buffer;
    if (pane_compared(pane))
        shown = look.ab_view == ab_original ? panes[pane_of_sequence(1)].rendered
                                            : wipe(buffer, image, skip_x);
    image->data = reinterpret_cast<char *>(const_cast<unsigned char *>(shown));
    if (x11.shm_ready)
        put_pane_shm(shown, pane, skip_x, skip_y, place);
    else
        XPutImage(x11.display, x11.window, x11.gc, image, skip_x, skip_y, place.x, place.y,
                  place.width, place.height);
    const char *caption = shown_caption(pane);
    XDrawImageString(x11.display, x11.window, x11.gc, caption_x(pane), caption_y(pane), caption,
                     (int)strlen(caption));
}
