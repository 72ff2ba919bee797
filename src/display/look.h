// How the user has asked to look at the panes: the view of the difference panes and its
// gain, the plane shown, whether the key table is up, the A/B views and the overlay of the
// streams' blocks. Changed by keys only; the defaults show what a run without keys always
// showed.
#pragma once

#include "convert/difference_view.h"
#include "convert/plane_view.h"

// What the Encoded and Transmitted panes show: their own sequences; left of a split the
// Original, right their own (w); or the Original (a).
enum ABView { ab_own, ab_wipe, ab_original };

struct LookState {
    DifferenceView difference_view;  // view_plain until d is pressed
    int gain_index;                  // into view_gains
    bool help_shown;                 // the key table is up until the next key
    ABView ab_view;
    int wipe_split;                  // pane pixels left of the wipe's split; -1: half the pane
    bool overlay_shown;              // o: decoded panes show their blocks' QP and motion
    PlaneView plane;                 // colour until y, u or v is pressed
};
extern LookState look;

inline int view_gain() { return view_gains[look.gain_index]; }

// Whether pane 1..pane_count shows something other than its own sequence now.
bool pane_compared(int pane);
// The pane's caption as it stands: its own, or what the A/B view shows in it.
const char *shown_caption(int pane);
// Clears the caption strip under the pane, for a caption that changes.
void clear_caption(int pane);

// The key table: in the info window, or over the main window with -quiet.
void draw_key_help();
// Clears where the key table was, for a repaint of that window.
void clear_key_help();

// The info window's row that names the difference view and shows its scale; cleared when
// the plain view comes back.
void draw_view_scale();
