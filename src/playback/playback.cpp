// The playback loop: passes over the frame range, every sequence in lock-step.
#include "playback.h"

#include <sys/time.h>
#include <unistd.h>

#include <climits>
#include <cstdio>

#include "frame_advance.h"
#include "pacing.h"
#include "sequence.h"
#include "startup.h"
#include "common/pairs.h"
#include "common/settings.h"
#include "convert/renderers.h"
#include "display/display.h"
#include "display/psnr_graph.h"
#include "quality/difference.h"
#include "quality/psnr_series.h"

// Each pair's PSNR over the current pass, for the info window's mean.
static PsnrSeries pass_psnr[4];

static void render(const YuvFrame *picture, void (*renderer)(const YuvFrame *, unsigned char *,
                                                              ptrdiff_t), int pane)
{
    renderer(picture, rendered_of(pane), (ptrdiff_t)picture->width * rendered_pixel_bytes());
}

// The picture in the form the renderers take: 8-bit 4:2:0.
static const YuvFrame *displayable(const YuvFrame *picture)
{
    return picture;
}

// A held sequence shows again the picture it rendered last.
static void show_sequence(int n, bool held)
{
    if (!held)
        render(displayable(picture_of(n)), render_colour, n);
    display_image(ximage, rendered_of(n), n);
}

// The luma difference of the pair into its difference picture, and the pair's PSNR.
static double measure(int pair, uint64_t *sum, int64_t *samples)
{
    const YuvFrame &first = *picture_of(pairs[pair].first);
    const YuvFrame &second = *picture_of(pairs[pair].second);
    int largest = largest_sample_value(first);
    *sum = difference_sum(first.y, second.y, difference_of(pair)->y, first.width, first.height,
                          first.luma_stride, largest);
    *samples = (int64_t)first.width * first.height;
    return cap_psnr(psnr_of_sum(*sum, *samples, largest));
}

static void show_pair(int pair)
{
    if (nodiff && !psnr)
        return;
    uint64_t sum;
    int64_t samples;
    double value = measure(pair, &sum, &samples);
    int pane = pairs[pair].pane;
    if (!nodiff) {
        render(difference_of(pair), render_gray, pane);
        display_image(ximage, rendered_of(pane), pane);
    }
    if (psnr) {
        draw_psnr_graph(&psnr_history[pair - 1], pair, value);
        series_add(&pass_psnr[pair], frame, value, sum, samples);
        if (!quiet)
            PSNRstatus(value, series_mean(&pass_psnr[pair]), pair);
    }
}

static long microseconds(const timeval &t)
{
    return (long)t.tv_sec * 1000000 + t.tv_usec;
}

// Shows one frame and waits out the rest of its period; false once the pass is over.
static bool play_frame()
{
    timeval t0, t1;
    gettimeofday(&t0, nullptr);
    if (!quiet)
        draw_status();
    FrameStep step = advance_sequences(frame);
    if (step.held[2]) {
        // Flushed at once: scripts read these notes through a pipe while playback runs.
        printf("froze: %i\n", frame);
        fflush(stdout);
    }
    // Each pair follows the later of its two sequences.
    for (int n = 1; n <= expand; n++) {
        show_sequence(n, step.held[n]);
        for (int pair = 1; pair <= pair_count_for(expand); pair++)
            if (pairs[pair].second == n)
                show_pair(pair);
    }
    // What the frame drew reaches the screen before the sleep, not after it.
    present_frame();
    gettimeofday(&t1, nullptr);
    long sleep = frame_sleep(frame_period, microseconds(t1) - microseconds(t0));
    if (sleep > 0)
        usleep((useconds_t)sleep);
    return step.more;
}

int play()
{
    do {
        for (PsnrSeries &series : pass_psnr)
            series_reset(&series, largest_sample_value(*picture_of(1)));
        bool more = start_pass(start_frame) && start_frame <= end_frame;
        bool played = more;
        while (more) {
            more = play_frame();
            frame++;
        }
        frame = start_frame;
        if (loop != 0 && loop < INT_MAX)
            loop++;
        // Empty passes (start frame after end frame) still take a frame period each, and
        // at least a millisecond, rather than spinning.
        if (loop != 0 && !played)
            usleep((useconds_t)(frame_period > 1000 ? frame_period : 1000));
    } while (loop != 0);
    return close_sequences();
}
