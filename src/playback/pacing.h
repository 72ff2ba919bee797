// Frame pacing.
#pragma once

// Microseconds per frame at `frames_per_second` (> 0).
int compute_frame_period(int frames_per_second);

// How long to sleep after a frame whose work took `elapsed` microseconds: the rest of
// the period, never an extra overrun.
long frame_sleep(long period, long elapsed);
