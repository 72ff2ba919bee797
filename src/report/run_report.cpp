// One pass over the frame range, advanced and frozen exactly as the viewer's first pass.
#include <cstdio>

#include "helper_thread.h"
#include "report.h"
#include "stream_columns.h"
#include "common/settings.h"
#include "source/frame_advance.h"


static bool more_frames = false;

void start_report(FILE *out)
{
    if (!report_options.json)
        write_header(out);
    more_frames = start_pass(playhead.start_frame) && playhead.start_frame <= playhead.end_frame;
    playhead.frame = playhead.start_frame;
    if (report_options.threads)
        start_helper();
}

static void note_held(const FrameStep &step)
{
    report_state.frozen2 = step.held[2];
    report_state.frozen3 = step.held[3];
}

static void measure_sequentially()
{
    FrameStep step = advance_sequences(playhead.frame);
    note_held(step);
    more_frames = step.more;
    measure_every_metric();
}

static FrameStep helper_step;

static void advance_encoded_and_transmitted()
{
    for (int n = 2; n <= settings.expand; n++)
        helper_step.held[n] = advance_sequence(n, playhead.frame);
}

// The helper reads the other sequences while this thread reads the Original, then takes its
// share of the measurement.
static void measure_on_two_threads()
{
    helper_step = FrameStep{};
    helper_begin(advance_encoded_and_transmitted);
    advance_sequence(1, playhead.frame);
    helper_wait();
    note_held(helper_step);
    more_frames = pass_goes_on(playhead.frame);
    helper_begin(measure_second_share);
    measure_first_share();
    helper_wait();
    measure_combined_metrics();
}

int report_frame(FILE *out)
{
    if (!more_frames)
        return 0;
    if (report_options.threads)
        measure_on_two_threads();
    else
        measure_sequentially();
    add_frame_to_summary(playhead.frame);
    add_frame_to_stream_summary();
    if (report_options.plot_path)
        add_frame_to_plot();
    write_frame(out, playhead.frame, report_state.frozen2, report_state.frozen3);
    playhead.frame++;
    return 1;
}

void run_report(FILE *out)
{
    start_report(out);
    while (report_frame(out))
        ;
}
