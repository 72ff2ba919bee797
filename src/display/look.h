// How the user has asked to look at the panes: the view of the difference panes and its
// gain, and whether the key table is up. Changed by keys only; the defaults show what a
// run without keys always showed.
#pragma once

#include "convert/difference_view.h"

struct LookState {
    DifferenceView difference_view;  // view_plain until d is pressed
    int gain_index;                  // into view_gains
    bool help_shown;                 // the key table is up until the next key
};
extern LookState look;

inline int view_gain() { return view_gains[look.gain_index]; }

// The key table: in the info window, or over the main window with -quiet.
void draw_key_help();
// Clears where the key table was, for a repaint of that window.
void clear_key_help();

// The info window's row that names the difference view and shows its scale; cleared when
// the plain view comes back.
void draw_view_scale();
