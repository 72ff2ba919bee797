// Screenshots: both windows as the server shows them, read back through cairo's Xlib
// surfaces and written side by side into one PNG.
#include <cairo-xlib.h>
#include <cairo.h>

#include <algorithm>
#include <cstdio>

#include "display.h"
#include "common/settings.h"

// Window `w` at column x of the picture; false when the server no longer has it.
static bool paint_window(cairo_t *cr, Window w, int x, int *width, int *height)
{
    XWindowAttributes a;
    if (!XGetWindowAttributes(x11.display, w, &a))
        return false;
    cairo_surface_t *shown = cairo_xlib_surface_create(x11.display, w, a.visual, a.width, a.height);
    if (cr) {
        cairo_set_source_surface(cr, shown, x, 0);
        cairo_paint(cr);
    }
    cairo_surface_destroy(shown);
    *width = a.width, *height = a.height;
    return true;
}

void save_screenshot(int shown_frame)
{
    int main_width = 0, main_height = 0, info_width = 0, info_height = 0;
    bool with_info = !settings.quiet && x11.status_win;
    if (!paint_window(nullptr, x11.window, 0, &main_width, &main_height) ||
        (with_info && !paint_window(nullptr, x11.status_win, 0, &info_width, &info_height)))
        return;
    cairo_surface_t *picture = cairo_image_surface_create(
        CAIRO_FORMAT_RGB24, main_width + info_width, std::max(main_height, info_height));
    cairo_t *cr = cairo_create(picture);
    cairo_set_source_rgb(cr, 0, 0, 0);  // below the shorter window
    cairo_paint(cr);
    paint_window(cr, x11.window, 0, &main_width, &main_height);
    if (with_info)
        paint_window(cr, x11.status_win, main_width, &info_width, &info_height);
    cairo_destroy(cr);

    char path[4200];
    if (settings.shots_directory)
        snprintf(path, sizeof path, "%s/trivista-%d.png", settings.shots_directory, shown_frame);
    else
        snprintf(path, sizeof path, "trivista-%d.png", shown_frame);
    cairo_status_t status = cairo_surface_write_to_png(picture, path);
    cairo_surface_destroy(picture);
    if (status != CAIRO_STATUS_SUCCESS) {
        fprintf(stderr, "Could not save %s: %s\n", path, cairo_status_to_string(status));
        return;
    }
    // Flushed at once, as the click lines: scripts wait for it.
    printf("saved: %s\n", path);
    fflush(stdout);
}
