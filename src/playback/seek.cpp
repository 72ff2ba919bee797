#include "seek.h"

#include <cstdlib>

#include "pair_metric.h"
#include "common/pairs.h"
#include "common/picture_memory.h"
#include "common/settings.h"
#include "source/decode_ahead.h"
#include "source/frame_advance.h"
#include "source/freeze.h"
#include "source/sequence.h"

static bool possible = false;
static int64_t range_frames = 0;
// Value of metric m for pair p at frame start_frame + i: value_table[k][p][m][i], k 0 for the
// first pass and 1 for every later one (each starts from what the one before left, so they
// are alike), known for i < measured[k]. Only frames up to which a sequence was held at every
// frame from 0 can differ between the two.
static double *value_table[2][4][metric_count];
static int64_t measured[2];

void prepare_seeking()
{
    possible = true;
    for (int n = 1; n <= settings.expand; n++)
        possible = possible && sequence_seekable(n);
    range_frames = playhead.end_frame >= playhead.start_frame ? (int64_t)playhead.end_frame - playhead.start_frame + 1 : 0;
    if (!possible || !settings.psnr || range_frames == 0)
        return;
    // Pages nobody touches cost nothing, so a long range costs only what is measured.
    for (int kind = 0; kind < 2; kind++)
        for (int pair = 1; pair <= pair_count_for(settings.expand) && possible; pair++)
            for (int metric : viewer_metrics) {
                double *&table = value_table[kind][pair][metric];
                table = (double *)calloc((size_t)range_frames, sizeof(double));
                possible = possible && table != nullptr;
            }
}

bool seeking_possible() { return possible; }

// 0 in the first pass, 1 in every later one.
static int pass_kind() { return playhead.loop > 1 ? 1 : 0; }

static const int last_viewer_metric = viewer_metrics[sizeof viewer_metrics / sizeof(int) - 1];

void note_pair_value(int pair, int metric, int frame_number, double value)
{
    int kind = pass_kind();
    int64_t i = (int64_t)frame_number - playhead.start_frame;
    double *table = value_table[kind][pair][metric];
    if (!table || i < 0 || i >= range_frames || i > measured[kind])
        return;
    table[i] = value;
    // Play measures the pairs in order, each one's metrics in order.
    if (i == measured[kind] && pair == pair_count_for(settings.expand) && metric == last_viewer_metric)
        measured[kind] = i + 1;
}

// The pictures of every sequence at `frame_number` of the first pass (kind 0) or a later one.
static void load_pictures(int frame_number, int kind)
{
    for (int n = 1; n <= settings.expand; n++) {
        int64_t k = file_frame_shown(n, frame_number);
        if (k >= 0) {
            read_as_play(n, k);
        } else {
            // Held at every frame up to this one: a first pass shows the starting black, a
            // later one what the pass before it ended with.
            int64_t carried = file_frame_shown(n, playhead.end_frame);
            if (kind == 1 && carried >= 0)
                read_as_play(n, carried);
            else
                fill_picture(whole_picture_of(n), 128);  // black, as pictures start out
        }
        hold_if_frozen(n, frame_number);
        position_sequence(n, k + 1);
    }
}

// Measures the frames of the range not yet measured up to `last`; true when it did, which
// leaves the pictures and files at `last` as play has them there.
static bool measure_up_to(int kind, int64_t last)
{
    int pairs_measured = pair_count_for(settings.expand);
    if (!value_table[kind][1][viewer_metrics[0]] || measured[kind] > last)
        return false;
    for (int64_t i = measured[kind]; i <= last; i++) {
        if (give_up_reads_now())
            return false;
        load_pictures((int)(playhead.start_frame + i), kind);
        if (decode_waits.given_up)
            return false;
        for (int pair = 1; pair <= pairs_measured; pair++)
            for (int metric : viewer_metrics)
                value_table[kind][pair][metric][i] = measure_shown_metric(pair, metric).value;
        measured[kind] = i + 1;
    }
    return true;
}

void load_frame(int target)
{
    int kind = pass_kind();
    bool loaded = false;
    if (settings.psnr) {
        // The target measured last is shown from the same pictures: one decode a step.
        loaded = measure_up_to(kind, (int64_t)target - playhead.start_frame);
        // The graphs of a later pass reach back into the one before.
        if (kind == 1 && measure_up_to(playhead.loop > 2 ? 1 : 0, range_frames - 1))
            loaded = false;
    }
    if (!loaded && !decode_waits.given_up)
        load_pictures(target, kind);
}

int intra_frame_from(int from, int direction)
{
    int n = 1;
    while (n <= settings.expand && !sequence_has_facts(n))
        n++;
    int first = playhead.start_frame, last = playhead.end_frame;
    for (int f = from + direction; n <= settings.expand && f >= first && f <= last; f += direction) {
        const FreezeTable *freezes = freeze_table_of(n);
        if (!(freezes && frame_frozen(freezes, f)) &&
            sequence_frame_type(n, file_frame_shown(n, f)) == 'I')
            return f;
    }
    return from;
}

int frame_below_limit(int from, int direction)
{
    int kind = pass_kind();
    if (!value_table[kind][1][metric_psnr_y])
        return from;
    int first = playhead.start_frame, last = playhead.end_frame;
    for (int f = from + direction; f >= first && f <= last; f += direction) {
        int64_t i = (int64_t)f - first;
        if (i >= measured[kind] && !measure_up_to(kind, i))
            return from;  // given up for a newer command
        for (int pair = 1; pair <= pair_count_for(settings.expand); pair++)
            if (value_table[kind][pair][metric_psnr_y][i] < psnr_red_limit)
                return f;
    }
    return from;
}

bool pair_value_before(int pair, int metric, int target, int back, double *value)
{
    // Frames in the order play showed them: pass 1 first, then each later pass.
    int64_t passes_before = playhead.loop > 1 ? playhead.loop - 1 : 0;
    int64_t index = passes_before * range_frames + ((int64_t)target - playhead.start_frame) - back;
    if (index < 0)
        return false;
    int kind = index / range_frames == 0 ? 0 : 1;
    int64_t i = index % range_frames;
    const double *table = value_table[kind][pair][metric];
    if (!table || i >= measured[kind])
        return false;
    *value = table[i];
    return true;
}
