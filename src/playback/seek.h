// Any frame of the pass shown again, exactly as uninterrupted play of the same pass shows
// it: the pictures each sequence holds there (freezes honoured), each file where play goes
// on from there, and the values of the viewer's metrics at the frames before it for the
// means and graphs.
#pragma once

// Allocates the per-frame table of the range for each pair and viewer metric, once at
// start-up. Seeking needs every
// sequence to be a file; with a pipe among them only pausing and stepping forward work.
void prepare_seeking();
bool seeking_possible();

// Notes the value of `metric` that play measured for pair 1..3 at `frame` of the current
// pass.
void note_pair_value(int pair, int metric, int frame, double value);

// Brings every sequence's picture to frame `target` of the current pass and leaves each
// file where play continues after it; the frames before it are measured first where their
// values are not known yet. Between frames, and while a read waits for its decoder, it asks
// decode_waits whether to give up; given up, the pictures are anywhere between.
void load_frame(int target);

// From frame `from` in `direction` (1 forward, -1 back), inside the range: the first frame
// at which the first decoded sequence shows an I frame it read (not one its freeze list
// holds), or the first at which some pair's luma PSNR is below psnr_red_limit, measured
// ahead as a seek measures. `from` when there is none (no decoded sequence, no -PSNR, or
// the measuring was given up). The pictures may be anywhere afterwards: show the frame
// returned again.
int intra_frame_from(int from, int direction);
int frame_below_limit(int from, int direction);

// The value of `metric` for pair 1..3 at the frame `back` frames before `target` in the
// order play shows them (passes before this one included); false before the first frame
// ever played.
bool pair_value_before(int pair, int metric, int target, int back, double *value);
