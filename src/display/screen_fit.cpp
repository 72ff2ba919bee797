#include "screen_fit.h"

#include <cstdio>

#include "layout.h"
#include "common/settings.h"
#include "convert/zoom.h"

int warn_if_window_exceeds_screen(int window_width, int window_height, int screen_width,
                                  int screen_height)
{
    if (window_width <= screen_width && window_height <= screen_height)
        return 0;
    fprintf(stderr, "Warning: the main window (%dx%d) is larger than the screen (%dx%d) and "
                    "may be clipped\n",
            window_width, window_height, screen_width, screen_height);
    return 1;
}

static bool window_fits(int screen_width, int screen_height)
{
    return main_window_width() <= screen_width && main_window_height() <= screen_height;
}

int zoom_out_to_fit(int screen_width, int screen_height)
{
    int full_width = main_window_width(), full_height = main_window_height();
    for (zoom_out = 1; zoom_out <= max_zoom; zoom_out++)
        if (window_fits(screen_width, screen_height))
            break;
    if (zoom_out > max_zoom)
        zoom_out = 1;
    if (zoom_out > 1)
        fprintf(stderr, "The main window (%dx%d) is larger than the screen (%dx%d): shown at "
                        "zoom 1/%d\n",
                full_width, full_height, screen_width, screen_height, zoom_out);
    return zoom_out;
}
