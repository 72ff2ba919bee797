// One pass over the frame range, read and frozen exactly as the viewer's first pass.
#include <cstdio>

#include "helper_thread.h"
#include "report.h"
#include "playback/sequence.h"
#include "common/settings.h"
#include "playback/startup.h"

int frozen2 = 0;
int frozen3 = 0;
int report_threads = 0;

void start_report(FILE *out)
{
    if (!report_json)
        write_header(out);
    for (int n = 1; n <= expand; n++)
        position_sequence(n, start_frame);
    frame = start_frame;
    if (report_threads)
        start_helper();
}

// A frozen sequence reads nothing: it keeps its picture and its file position.
static void read_encoded()
{
    if (expand > 1 && !frozen2)
        read_picture(2, &picture2);
}

static void read_transmitted()
{
    if (expand > 2 && !frozen3)
        read_picture(3, &picture3);
}

static void read_encoded_and_transmitted()
{
    read_encoded();
    read_transmitted();
}

static void measure_sequentially()
{
    read_picture(1, &picture1);
    read_encoded();
    read_transmitted();
    for (int pair = 1; pair <= pair_count; pair++)
        measure_pair(pair);
}

static void ssim_of_pair_1() { measure_pair_ssim(1); }
static void psnr_of_pair_2() { measure_pair_psnr(2); }
static void ssim_of_pairs_2_and_3()
{
    measure_pair_ssim(2);
    measure_pair_ssim(3);
}

// The helper reads the other sequences while this thread reads the Original, then takes
// the larger share of the measurement: pairs never share an output.
static void measure_on_two_threads()
{
    helper_begin(read_encoded_and_transmitted);
    read_picture(1, &picture1);
    helper_wait();
    if (pair_count == 1) {
        if (report_ssim)
            helper_begin(ssim_of_pair_1);
        measure_pair_psnr(1);
    } else if (report_ssim) {
        helper_begin(ssim_of_pairs_2_and_3);
        for (int pair = 1; pair <= 3; pair++)
            measure_pair_psnr(pair);
        measure_pair_ssim(1);
    } else {
        helper_begin(psnr_of_pair_2);
        measure_pair_psnr(1);
        measure_pair_psnr(3);
    }
    helper_wait();
}

int report_frame(FILE *out)
{
    if (feof(yuvfile1) || frame > end_frame)
        return 0;
    frozen2 = expand > 1 && fr2 && frame_frozen(&fr2_table, frame);
    frozen3 = expand > 2 && fr3 && frame_frozen(&fr3_table, frame);
    if (report_threads)
        measure_on_two_threads();
    else
        measure_sequentially();
    add_frame_to_summary(frame);
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
