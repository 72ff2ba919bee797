// Frame pacing.
#pragma once

#include "common/numbers.h"

// Sets frame_period to the whole microseconds per frame at `rate` frames per second (above
// 0, the denominator below 2^31) and keeps the fraction over for next_frame_period.
void set_pacing(Fraction rate);

// The period of the next frame: frame_period, and one microsecond more whenever the
// fractions left over add up to one, so that 29.97 frames per second last 1/29.97 s each
// on average.
long next_frame_period();

// How long to sleep after a frame whose work took `elapsed` microseconds: the rest of
// the period, never an extra overrun, and never more than one period.
long frame_sleep(long period, long elapsed);
