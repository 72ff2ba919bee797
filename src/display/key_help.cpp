// The key table that h or ? puts up until the next key.
#include <cstring>

#include "display.h"
#include "layout.h"
#include "look.h"
#include "common/settings.h"

LookState look = {view_plain, 0, false, ab_own, -1, false, plane_view_colour};

static const char *const key_table[] = {
    "Keys",
    "Space       pause / resume",
    "Right Left  1 frame forward / back",
    "Up Down     10 frames forward / back",
    "PgUp PgDn   100 frames forward / back",
    "Home End    first / last frame",
    "n N         next / previous I frame",
    "b B         next / previous frame < 30 dB",
    "d           difference view: plain,",
    "            gray 128 + gain x d, heat map",
    "g           gain 1, 2, 4, 8, 16",
    "o           QP and motion over encoded panes",
    "y u v       that plane alone, in gray",
    "c           colour again",
    "h ?         these keys, until the next key",
    "s           save both windows into a PNG",
    "+ -         zoom in / out",
    "Shift+arrow pan by an eighth of a pane",
    "w           wipe: the Original left of mouse",
    "a           Enc and Tra: Original / own",
    "q Escape    quit",
    "Button 1    print the samples there",
    "Button 2, 3 drag to pan",
};
static const int line_step = 15;
static const int first_baseline = 20;
static const int box_width = 270;  // the longest line and a margin

static int box_height()
{
    return first_baseline + line_step * (int)(sizeof key_table / sizeof *key_table);
}

void draw_key_help()
{
    Window window = settings.quiet ? x11.window : x11.status_win;
    GC gc = settings.quiet ? x11.gc : x11.status_gc;
    if (settings.quiet) {
        // Over the panes: a box in the window's background, the text in the captions' colour.
        XGCValues values;
        XGetGCValues(x11.display, gc, GCForeground | GCBackground, &values);
        XSetForeground(x11.display, gc, values.background);
        XFillRectangle(x11.display, window, gc, 0, 0, box_width, box_height());
        XSetForeground(x11.display, gc, values.foreground);
    } else {
        XClearWindow(x11.display, window);
    }
    int y = first_baseline;
    for (const char *line : key_table) {
        XDrawImageString(x11.display, window, gc, 5, y, line, (int)strlen(line));
        y += line_step;
    }
}

void clear_key_help()
{
    if (settings.quiet)
        XClearArea(x11.display, x11.window, 0, 0, box_width, box_height(), False);
    else
        XClearWindow(x11.display, x11.status_win);
}
