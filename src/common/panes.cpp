#include "panes.h"

#include "pairs.h"

Pane panes[pane_count + 1] = {
    {pane_sequence, 0, 0, 0, "", nullptr},
    {pane_sequence, 1, 0, 0, "Original", nullptr},
    {pane_sequence, 2, 1, 0, "Encoded", nullptr},
    {pane_sequence, 3, 2, 0, "Transmitted", nullptr},
    {pane_pair, 1, 0, 1, pairs[1].caption, nullptr},
    {pane_pair, 2, 1, 1, pairs[2].caption, nullptr},
    {pane_pair, 3, 2, 1, pairs[3].caption, nullptr},
};

static int pane_showing(PaneKind kind, int source)
{
    for (int pane = 1; pane <= pane_count; pane++)
        if (panes[pane].kind == kind && panes[pane].source == source)
            return pane;
    return 0;
}

int pane_of_sequence(int sequence) { return pane_showing(pane_sequence, sequence); }
int pane_of_pair(int pair) { return pane_showing(pane_pair, pair); }
