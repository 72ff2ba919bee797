// A main window larger than the screen is still made as asked; the user is told why it
// may appear clipped.
#pragma once

// Prints one line on standard error when the window does not fit on the screen and
// returns 1; returns 0 (and prints nothing) when it fits.
int warn_if_window_exceeds_screen(int window_width, int window_height, int screen_width,
                                  int screen_height);
