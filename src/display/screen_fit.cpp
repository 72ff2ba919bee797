#include "screen_fit.h"

#include <cstdio>

#include "layout.h"
#include "common/settings.h"

// The zoom-out factors that -zoom offers, largest pictures first.
static const int zoom_out_factors[] = {1, 2, 3, 4, 5, 6, 8};

int warn_if_window_exceeds_screen(int window_width, int window_height, int screen_width,
                                  int screen_height)
{
    if (window_width <= screen_width && window_height <= screen_height)
        return 0;
    fprintf(stderr, "Warning: the main window (%dx%d) is larger than the screen (%dx%d): the "
                    "panes show part of each picture\n",
            window_width, window_height, screen_width, screen_height);
    return 1;
}

static bool main_window_fits(int screen_width, int screen_height)
{
    return main_window_width() <= screen_width && main_window_height() <= screen_height;
}

// A zoomed-out main window lies on the screen with its border.
static bool main_window_and_border_fit(int screen_width, int screen_height)
{
    return main_window_width() + 2 * main_window_border <= screen_width &&
           main_window_height() + 2 * main_window_border <= screen_height;
}

// Whether the info window, where init_status puts it beside a main window in the top left
// corner, lies wholly on the screen and clear of the main window. Always so with -quiet.
static bool info_window_fits(int screen_width, int screen_height)
{
    if (settings.quiet)
        return true;
    Rect main = {0, 0, main_window_width() + 2 * main_window_border,
                 main_window_height() + 2 * main_window_border};
    int x, y;
    place_info_window(main, screen_width, screen_height, &x, &y);
    bool on_screen = x >= 0 && y >= 0 && x + info_window_width <= screen_width &&
                     y + info_window_height <= screen_height;
    return on_screen && (x >= main.x + main.width || y >= main.y + main.height);
}

// The first factor at which the windows fit as asked, or 0.
static int first_fitting_factor(int screen_width, int screen_height, bool with_info_window)
{
    for (int factor : zoom_out_factors) {
        settings.zoom_out = factor;
        if (main_window_and_border_fit(screen_width, screen_height) &&
            (!with_info_window || info_window_fits(screen_width, screen_height)))
            return factor;
    }
    return 0;
}

int zoom_out_to_fit(int screen_width, int screen_height)
{
    settings.zoom_out = 1;
    if (main_window_fits(screen_width, screen_height))
        return settings.zoom_out;
    int full_width = main_window_width(), full_height = main_window_height();
    int factor = first_fitting_factor(screen_width, screen_height, true);
    if (!factor)  // no room for both: the main window alone, as large as fits
        factor = first_fitting_factor(screen_width, screen_height, false);
    settings.zoom_out = factor ? factor : 1;
    if (settings.zoom_out > 1)
        fprintf(stderr, "The main window (%dx%d) is larger than the screen (%dx%d): shown at "
                        "zoom 1/%d\n",
                full_width, full_height, screen_width, screen_height, settings.zoom_out);
    return settings.zoom_out;
}
