// The global alignment of a received sequence to its reference: which reference frame each
// received frame shows, which reference frames never arrived, which received frames fit
// nowhere. Pure arithmetic over a cost function; no files.
#pragma once

#include <cstdint>

// Cost of showing received frame `received` at reference frame `reference`; lower is better.
typedef int64_t (*match_cost_fn)(int received, int reference, void *context);

struct AlignmentCosts {
    int64_t drop;    // one reference frame the received sequence lacks
    int64_t insert;  // one received frame placed nowhere
};

struct Alignment {
    int *reference_of;        // per received frame: its reference frame, -1 when inserted,
                              // -2 when it lies beyond the reference range
    unsigned char *dropped;   // per reference frame: 1 when the received sequence lacks it
    int drop_count;
    int insert_count;
    int64_t cost;             // of the whole mapping, before any refinement
};

// Aligns `received` frames to `reference` frames in increasing order: net drops stay within
// max_drop and net insertions within max_insert at every point. Ties go to the earliest
// drop. With `tail_free` the received frames after the last reference frame are ignored (the
// range was cut); otherwise they are insertions. Memory: (received + 1) x (max_drop +
// max_insert + 1) bytes; time: that many cost calls. Returns 0 when no alignment fits.
int align_frames(int received, int reference, int max_drop, int max_insert, int tail_free,
                 const AlignmentCosts *costs, match_cost_fn cost, void *context,
                 Alignment *out);

// Moves each run of drops to where `exact` (exact picture distances) is lowest, within
// `radius` received frames either side and never past a neighbouring drop or insertion.
// A run that would put more than `max_drop` net drops before a received frame stays where
// it is: at the end, where align_frames puts the drops beyond the bound.
// Only places whose `cost` comes within `margin` of the best are weighed exactly; the
// earliest wins a tie. Returns the runs whose best place is not unique (identical
// reference frames, a static scene). Each run costs at most 2 x 2 x radius calls of each.
int refine_drops(Alignment *alignment, int received, int reference, int radius, int max_drop,
                 int64_t margin, match_cost_fn cost, match_cost_fn exact, void *context);

// The first run of consecutive dropped reference frames at or after `from`: returns its
// first frame and puts its last in *last, or returns `reference` when there is none.
int next_drop_run(const Alignment *alignment, int reference, int from, int *last);

void free_alignment(Alignment *alignment);
