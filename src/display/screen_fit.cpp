#include "screen_fit.h"

#include <cstdio>

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
