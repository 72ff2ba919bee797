// The pairs' difference pictures, which the viewer shows and the report measures into.
#pragma once

#include "common/yuv_frame.h"

// Allocates the difference picture of pair 1..3 (8-bit 4:2:0 at the run's picture size,
// gray), once for the run; or those of all three.
void allocate_difference_picture(int pair);
void allocate_difference_pictures();

// The difference picture of pair 1..3.
YuvFrame *difference_of(int pair);
