// Watching the panes of a running trivista: every capture of a pane is matched, row by
// row, against all pictures it may show, so a test learns which frame was on screen
// without guessing from timing.
#pragma once

#include <X11/Xlib.h>

#include <string>
#include <vector>

#include "x_window_query.h"

struct WatchedPane {
    int number = 0;                  // 1..6
    int x = 0, y = 0;                // origin in the window
    std::vector<Capture> candidates; // what it may show; the index is the label
    std::vector<int> shown;          // labels of whole pictures, in order, repeats merged
    int captures = 0;                // captures that showed a whole picture
    int between = 0;                 // captures caught between two pictures' transfers
    int unknown = 0;                 // captures with rows that match no candidate
    std::string first_unknown;       // where the first of those differed
};

// Panes of a main window of pictures width x height (origins of the pane layout).
WatchedPane watched_pane(int number, int width, int height, std::vector<Capture> candidates);

// Captures the window once and updates every pane; false when the window is gone.
bool observe_panes(Display *dpy, Window window, int window_width, int window_height,
                   std::vector<WatchedPane> &panes, uint32_t colour_bits);

// True when `label` was ever shown in the pane.
bool was_shown(const WatchedPane &pane, int label);
