// One pass over the frame range, advanced and frozen exactly as the viewer's first pass.
#include <cstdio>

#include "helper_thread.h"
#include "report.h"
#include "stream_columns.h"
#include "common/settings.h"
#include "source/frame_advance.h"

int frozen2 = 0;
int frozen3 = 0;
int report_threads = 0;

static bool more_frames = false;

void start_report(FILE *out)
{
    if (!report_json)
        write_header(out);
    more_frames = start_pass(start_frame) && start_frame <= end_frame;
    frame = start_frame;
    if (report_threads)
        start_helper();
}

static void note_held(const FrameStep &step)
{
    frozen2 = step.held[2];
    frozen3 = step.held[3];
}

static void measure_sequentially()
{
    FrameStep step = advance_sequences(frame);
    note_held(step);
    more_frames = step.more;
    measure_every_metric();
}

static FrameStep helper_step;

static void advance_encoded_and_transmitted()
{
    for (int n = 2; n <= expand; n++)
        helper_step.held[n] = advance_sequence(n, frame);
}

// The helper reads the other sequences while this thread reads the Original, then takes its
// share of the measurement.
static void measure_on_two_threads()
{
    helper_step = FrameStep{};
    helper_begin(advance_encoded_and_transmitted);
    advance_sequence(1, frame);
    helper_wait();
    note_held(helper_step);
    more_frames = pass_goes_on(frame);
    helper_begin(measure_second_share);
    measure_first_share();
    helper_wait();
    measure_combined_metrics();
}

int report_frame(FILE *out)
{
    if (!more_frames)
        return 0;
    if (report_threads)
        measure_on_two_threads();
    else
        measure_sequentially();
    add_frame_to_summary(frame);
    add_frame_to_stream_summary();
    if (plot_path)
        add_frame_to_plot();
    write_frame(out, frame, frozen2, frozen3);
    frame++;
    return 1;
}

void run_report(FILE *out)
{
    start_report(out);
    while (report_frame(out))
        ;
}
