// A main window larger than the screen is made as large as the screen, its panes showing part
// of each picture; the user is told why.
#pragma once

// Prints one line on standard error when the window does not fit on the screen and
// returns 1; returns 0 (and prints nothing) when it fits.
int warn_if_window_exceeds_screen(int window_width, int window_height, int screen_width,
                                  int screen_height);

// The main window's border, in pixels on each side.
const int main_window_border = 1;

// Without -zoom, a main window larger than the screen is zoomed out: by the smallest of 2,
// 3, 4, 5, 6 and 8 at which it (border included) and, unless -quiet, the info window both
// lie on the screen without overlapping, the info window beside the main window where there is room, else
// below it; when none has room for both, by the smallest at which the main window alone
// fits. Named in one line on standard error. Sets zoom_out and returns it; 1 (and no line)
// when the window fits as it is or fits at none of them.
int zoom_out_to_fit(int screen_width, int screen_height);
