// The playback loop: passes over the frame range, every sequence in lock-step.
#include "playback.h"

#include <sys/time.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <vector>

#include "moves.h"
#include "pacing.h"
#include "pair_metric.h"
#include "pane_render.h"
#include "sample_readout.h"
#include "seek.h"
#include "startup.h"
#include "view_keys.h"
#include "common/pairs.h"
#include "common/panes.h"
#include "common/region.h"
#include "common/settings.h"
#include "display/display.h"
#include "display/events.h"
#include "display/layout.h"
#include "display/look.h"
#include "display/psnr_graph.h"
#include "quality/difference_pictures.h"
#include "quality/metric_series.h"
#include "source/decode_ahead.h"
#include "source/frame_advance.h"
#include "source/sequence.h"

// Each pair's values of each metric over the current pass, for the info window's mean, and
// the last value shown, for repainting it.
static MetricSeries pass_series[4][metric_count];
static double shown_value[4][metric_count];

// A held sequence shows again the picture it rendered last.
static void show_sequence(int n, bool held)
{
    int pane = pane_of_sequence(n);
    if (!held)
        render_sequence_pane(n);
    display_image(x11.ximage, panes[pane].rendered, pane);
}

// The graph and the info window's row of pair 1..3, for the plane shown.
static void draw_pair_values(int pair)
{
    int metric = metric_of_plane(look.plane);
    draw_psnr_history(&x11.psnr_history[pair][metric], pair);
    if (!settings.quiet)
        PSNRstatus(shown_value[pair][metric], series_mean(&pass_series[pair][metric]), pair);
}

// The pair's difference picture in its pane; with -PSNR its values in the graph and the
// info window too. Play records the values in the pass's series and the graph; a frame
// shown again has them rebuilt instead (`record` false).
static void show_pair(int pair, bool record)
{
    if (settings.nodiff && !settings.psnr)
        return;
    for (int metric : viewer_metrics) {
        if (!metric_measured(metric))
            continue;
        MetricSample measured = measure_shown_metric(pair, metric);
        shown_value[pair][metric] = measured.value;
        if (settings.psnr && record) {
            series_add(&pass_series[pair][metric], playhead.frame, measured.value, measured.sum,
                       measured.samples);
            note_pair_value(pair, metric, playhead.frame, measured.value);
        }
    }
    int pane = pane_of_pair(pair);
    if (!settings.nodiff) {
        render_pair_pane(pair);
        display_image(x11.ximage, panes[pane].rendered, pane);
    }
    if (!settings.psnr)
        return;
    for (int metric : viewer_metrics)
        if (record)
            enter_psnr_value(&x11.psnr_history[pair][metric], pair, shown_value[pair][metric]);
    draw_pair_values(pair);
}

// The panes of a frame whose pictures are in place; each pair follows the later of its two
// sequences. A sequence held at the first frame of a pass was given its picture there.
static void show_frame(const FrameStep &step, bool record)
{
    if (!settings.quiet)
        draw_status();
    for (int n = 1; n <= settings.expand; n++) {
        show_sequence(n, step.held[n] && playhead.frame != playhead.start_frame);
        for (int pair = 1; pair <= pair_count_for(settings.expand); pair++)
            if (pairs[pair].second == n)
                show_pair(pair, record);
    }
    if (settings.quiet && look.help_shown)
        draw_key_help();
}

static void note_frozen(int frame_number)
{
    // Flushed at once: scripts read these notes through a pipe while playback runs.
    printf("froze: %i\n", frame_number);
    fflush(stdout);
}

static long microseconds(const timeval &t)
{
    return (long)t.tv_sec * 1000000 + t.tv_usec;
}

// Shows one frame and gives in *rest the microseconds left of its period; false once the
// pass is over.
static bool play_frame(long *rest)
{
    timeval t0, t1;
    gettimeofday(&t0, nullptr);
    FrameStep step = advance_sequences(playhead.frame);
    if (step.held[2])
        note_frozen(playhead.frame);
    show_frame(step, true);
    // What the frame drew reaches the screen before the wait, not after it.
    present_frame();
    gettimeofday(&t1, nullptr);
    *rest = frame_sleep(next_frame_period(), microseconds(t1) - microseconds(t0));
    return step.more;
}

// Frame `target` of the pass exactly as play shows it there: pictures, differences, the
// pass's means and the graphs' last 20 points. When `may_give_up`, a move or an ending key
// that comes while the pictures are loaded ends the load: false, and nothing is shown.
static bool show_frame_again(int target, bool may_give_up)
{
    playhead.frame = target;
    decode_waits = DecodeWaits{may_give_up ? move_or_end_waiting : nullptr, false};
    load_frame(target);
    bool given_up = decode_waits.given_up;
    decode_waits = DecodeWaits{nullptr, false};
    if (given_up)
        return false;
    for (int pair = 1; settings.psnr && pair <= pair_count_for(settings.expand); pair++)
        for (int metric : viewer_metrics) {
            MetricSeries *series = &pass_series[pair][metric];
            PsnrHistory *history = &x11.psnr_history[pair][metric];
            double value;
            series_reset(series, largest_sample_value(*picture_of(1)));
            for (int f = playhead.start_frame; f <= target && pair_value_before(pair, metric, f, 0, &value);
                 f++)
                series_add(series, f, value, 0, 0);
            reset_psnr_history(history, pair);
            for (int back = 19; back >= 0; back--)
                if (pair_value_before(pair, metric, target, back, &value))
                    enter_psnr_value(history, pair, value);
        }
    show_frame(FrameStep{}, false);
    present_frame();
    return true;
}

// Both windows again from what is already rendered, after part of one was uncovered.
static void repaint()
{
    if (!settings.quiet)
        draw_status();
    for (int pane = 1; pane <= pane_count; pane++)
        if (pane_shown(pane))
            display_image(x11.ximage, panes[pane].rendered, pane);
    for (int pair = 1; settings.psnr && pair <= pair_count_for(settings.expand); pair++)
        draw_pair_values(pair);
    if (settings.quiet && look.help_shown)
        draw_key_help();
    present_frame();
}

// The difference panes again in the view just chosen, from the pictures of the frame
// shown, with the info window's scale; play goes on in that view.
static void show_view_change()
{
    for (int pair = 1; pair <= pair_count_for(settings.expand); pair++) {
        int pane = pane_of_pair(pair);
        if (!pane_shown(pane))
            continue;
        render_pair_pane(pair);
        display_image(x11.ximage, panes[pane].rendered, pane);
    }
    if (!settings.quiet)
        draw_status();
    else if (look.help_shown)
        draw_key_help();
    present_frame();
}

// The key table goes at the next key, whatever that key does then.
static void hide_key_help()
{
    look.help_shown = false;
    clear_key_help();
    repaint();
}

static bool is_key(CommandKind kind)
{
    return kind != command_none && kind != command_sample && kind != command_repaint &&
           kind != command_drag && kind != command_resize && kind != command_pointer;
}

// The user's commands after a frame was shown: none waiting lets play go on; a pause or a
// move waits for more without using the processor until play resumes. `more` follows
// moves. False when the user ends the run.
static bool obey_user(bool *more)
{
    bool paused = false;
    bool unshown = false;  // a move was given up for the one that waits
    for (;;) {
        UserCommand command = next_command(paused);
        // Anything but a move or the end acts on the frame reached, so it is reached first.
        if (unshown && !is_move(command.kind) && command.kind != command_quit) {
            show_frame_again(playhead.frame, false);
            unshown = false;
        }
        if (look.help_shown && is_key(command.kind)) {
            hide_key_help();
            if (command.kind == command_help)
                continue;
        }
        switch (command.kind) {
        case command_none:
            return true;
        case command_quit:
            return false;
        case command_pause:
            paused = !paused;
            if (!paused)
                return true;
            break;
        case command_sample:
            print_samples(command.x, command.y);
            break;
        case command_repaint:
            if (paused)
                repaint();
            break;
        case command_difference_view:
            look.difference_view =
                (DifferenceView)((look.difference_view + 1) % difference_view_count);
            show_view_change();
            break;
        case command_gain:
            look.gain_index = (look.gain_index + 1) % view_gain_count;
            show_view_change();
            break;
        case command_help:
            look.help_shown = true;
            draw_key_help();
            present_frame();
            break;
        case command_screenshot:
            save_screenshot(playhead.frame);
            break;
        case command_zoom:
        case command_pan:
        case command_drag:
        case command_resize:
        case command_wipe:
        case command_flicker:
        case command_pointer:
        case command_overlay:
        case command_plane:
            if (obey_view_command(command))
                repaint();
            break;

        case command_step:
        case command_first:
        case command_last:
        case command_seek_intra:
        case command_seek_poor: {
            paused = true;
            if (!seeking_possible())
                break;
            // An ending key wins over any move waiting with it.
            if (end_waiting())
                return false;
            static std::vector<int> notes;  // kept: a held key makes no heap call a step
            unshown = !show_frame_again(moves_target(command, &notes), true);
            for (int f : notes)
                note_frozen(f);
            *more = pass_goes_on(playhead.frame);
            break;
        }
        }
    }
}

// Waits out the rest of a frame's period, obeying the user as soon as input comes: an
// ending key acts at once at any rate. False when the user ends the run.
static bool wait_out_period(long rest, bool *more)
{
    int64_t end = monotonic_microseconds() + rest;
    do {
        if (!obey_user(more))
            return false;
    } while (wait_for_input_until(end));
    return true;
}

// An empty pass shows nothing to pause or move in: only the ending commands count.
static bool user_ends_run()
{
    for (UserCommand command = next_command(false); command.kind != command_none;
         command = next_command(false))
        if (command.kind == command_quit)
            return true;
    return false;
}

int play()
{
    prepare_seeking();
    do {
        for (auto &pair_series : pass_series)
            for (MetricSeries &series : pair_series)
                series_reset(&series, largest_sample_value(*picture_of(1)));
        bool more = start_pass(playhead.start_frame) && playhead.start_frame <= playhead.end_frame;
        bool played = more;
        while (more) {
            long rest;
            more = play_frame(&rest);
            if (!wait_out_period(rest, &more))
                return close_sequences();  // a normal end, as after the last pass
            playhead.frame++;
        }
        playhead.frame = playhead.start_frame;
        if (playhead.loop != 0 && playhead.loop < INT_MAX)
            playhead.loop++;
        // Empty passes (start frame after end frame) still take a frame period each, and
        // at least a millisecond, rather than spinning.
        if (playhead.loop != 0 && !played &&
            wait_for_input_until(monotonic_microseconds() + std::max(settings.frame_period, 1000)) &&
            user_ends_run())
            return close_sequences();
    } while (playhead.loop != 0);
    return close_sequences();
}
