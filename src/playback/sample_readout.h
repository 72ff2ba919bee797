// One line a click on a pane: the samples of every sequence there and the luma differences
// of the pairs, for scripts.
#pragma once

// Prints the line for the position (x, y) of the region shown, on standard output at once.
void print_samples(int x, int y);
