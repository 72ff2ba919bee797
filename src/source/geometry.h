// What the sequences settle for the whole run once they are open: the picture geometry, the
// frame range and the Original's own rate.
#pragma once

#include "common/numbers.h"

// Settles the picture size and format (the sources' headers included), then the frame
// sizes, the region (-crop, refused with status 1 where it does not fit) and the PSNR rule.
void compute_geometry();

// Frame range from the first sequence: -s and -e given as times become frames, then
// end_frame and start_frame are lowered to its last whole frame. A first sequence without a
// whole frame ends the run. Then every source checks the frames of the range it will read
// (the frame headers of YUV4MPEG2 files).
void compute_frame_range();

// The Original's own rate: its YUV4MPEG2 header's or its stream's; 0/1 when it has none.
Fraction original_rate();

// The rate of play: -fps, else the Original's own rate, else 25.
Fraction play_rate();
