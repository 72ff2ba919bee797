// Frame pacing.
#pragma once

#include <cstdint>

// Microseconds per frame at `frames_per_second` (> 0).
int compute_frame_period(int frames_per_second);

// Microseconds per frame at numerator / denominator frames per second (both > 0),
// truncated; for rates such as 30000/1001 that no whole fps expresses.
int frame_period_for_rate(int numerator, int denominator);

// How long to sleep after a frame whose work took `elapsed` microseconds: the rest of
// the period, never an extra overrun, and never more than one period.
long frame_sleep(long period, long elapsed);
