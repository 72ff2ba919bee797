// The playback loop: passes over the frame range, every sequence in lock-step.
#include "playback.h"

#include <sys/time.h>
#include <unistd.h>

#include <climits>
#include <cstdio>

#include "convert/renderers.h"
#include "display/display.h"
#include "quality/difference.h"
#include "display/psnr_graph.h"
#include "pacing.h"
#include "sequence.h"
#include "common/settings.h"
#include "startup.h"

static void render_colour(const YuvFrame *picture, unsigned char *out)
{
    if (colordepth == 16)
        Color16DitherImage(picture, out);
    else
        Color32DitherImage(picture, out);
}

static void render_gray(const YuvFrame *picture, unsigned char *out)
{
    if (colordepth == 16)
        DitherImageToGray16(picture, out);
    else
        DitherImageToGray32(picture, out);
}

static double measure(const YuvFrame &first, const YuvFrame &second, YuvFrame *diff)
{
    return cap_psnr(difference(first.y, second.y, diff->y, (int)luma_size));
}

static void show_original()
{
    read_picture(1, &picture1);
    render_colour(&picture1, rendered1);
    display_image(ximage, rendered1, 1);
}

static void show_encoded()
{
    int frozen2 = fr2 && frame_frozen(&fr2_table, frame);
    if (frozen2) {
        // Flushed at once: scripts read these notes through a pipe while playback runs.
        printf("froze: %i\n", frame);
        fflush(stdout);
    } else {
        read_picture(2, &picture2);
        render_colour(&picture2, rendered2);
    }
    display_image(ximage, rendered2, 2);

    double psnr1 = 0;
    if (!nodiff || psnr)
        psnr1 = measure(picture1, picture2, &diff1);
    if (!nodiff) {
        render_gray(&diff1, diff_rendered1);
        display_image(ximage, diff_rendered1, 4);
    }
    if (psnr) {
        draw_psnr_graph(&psnr_history[0], 1, psnr1);
        psnr_total[1] += psnr1;
        if (!quiet)
            PSNRstatus(psnr1, psnr_total[1], 1);
    }
}

static void show_transmitted()
{
    int frozen3 = fr3 && frame_frozen(&fr3_table, frame);
    if (!frozen3) {
        read_picture(3, &picture3);
        render_colour(&picture3, rendered3);
    }
    display_image(ximage, rendered3, 3);

    double psnr2 = 0, psnr3 = 0;
    if (!nodiff || psnr) {
        psnr2 = measure(picture2, picture3, &diff2);
        psnr3 = measure(picture1, picture3, &diff3);
    }
    if (!nodiff) {
        render_gray(&diff2, diff_rendered2);
        render_gray(&diff3, diff_rendered3);
        display_image(ximage, diff_rendered2, 5);
        display_image(ximage, diff_rendered3, 6);
    }
    if (psnr) {
        draw_psnr_graph(&psnr_history[1], 2, psnr2);
        psnr_total[2] += psnr2;
        draw_psnr_graph(&psnr_history[2], 3, psnr3);
        psnr_total[3] += psnr3;
        if (!quiet) {
            PSNRstatus(psnr2, psnr_total[2], 2);
            PSNRstatus(psnr3, psnr_total[3], 3);
        }
    }
}

static long microseconds(const timeval &t)
{
    return (long)t.tv_sec * 1000000 + t.tv_usec;
}

static void play_frame()
{
    timeval t0, t1;
    gettimeofday(&t0, nullptr);
    if (!quiet)
        draw_status();
    show_original();
    if (expand > 1)
        show_encoded();
    if (expand > 2)
        show_transmitted();
    // What the frame drew reaches the screen before the sleep, not after it.
    XFlush(display);
    gettimeofday(&t1, nullptr);
    long sleep = frame_sleep(frame_period, microseconds(t1) - microseconds(t0));
    if (sleep > 0)
        usleep((useconds_t)sleep);
}

static void position_sequences()
{
    for (int n = 1; n <= expand; n++)
        position_sequence(n, start_frame);
}

int play()
{
    do {
        position_sequences();
        bool played = false;
        while (!feof(yuvfile1) && frame <= end_frame) {
            play_frame();
            played = true;
            frame++;
        }
        frame = start_frame;
        psnr_total[1] = psnr_total[2] = psnr_total[3] = 0;
        if (loop != 0 && loop < INT_MAX)
            loop++;
        // Empty passes (start frame after end frame) still take a frame period each, and
        // at least a millisecond, rather than spinning.
        if (loop != 0 && !played)
            usleep((useconds_t)(frame_period > 1000 ? frame_period : 1000));
    } while (loop != 0);
    return close_sequences();
}
