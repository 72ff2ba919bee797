// The panes of the main window: what each shows, from which sequences, under which caption,
// and the buffer it is rendered into. Layout, buffers, transfer slots, repaint, captions,
// clicks and the info window walk this table; nothing else knows the grid.
#pragma once

enum PaneKind {
    pane_sequence,  // a sequence's picture in colour
    pane_pair,      // the gray difference picture of a pair (common/pairs.h)
};

struct Pane {
    PaneKind kind;
    int source;               // the sequence 1..3 shown, or the pair 1..3 whose difference
    int column, row;          // place in the grid of shown pictures
    const char *caption;      // drawn under the pane
    unsigned char *rendered;  // its pixels at the shown size, allocated once at start-up
};

// Panes 1..3 show the sequences in the top row, 4..6 the pairs' differences below them.
const int pane_count = 6;
// Index 1..pane_count; entry 0 is unused so that pane numbers index it directly.
extern Pane panes[pane_count + 1];

// The pane that shows sequence 1..3, and the one that shows the difference of pair 1..3.
int pane_of_sequence(int sequence);
int pane_of_pair(int pair);
