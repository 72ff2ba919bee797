// What o lays over the panes of decoded sequences: the QP of each block as a heat map in
// every other pixel, and each block's motion as a line, from the side data of the very
// frame shown, at the zoom, view and region shown.
#pragma once

// Over the rendered pane of sequence n, when the overlay is on and its picture is a frame
// its stream gave (not a held one). Not over the Original while the Encoded and Transmitted
// panes show it (w, a): those show its pane's pixels.
void overlay_stream_facts(int n);
