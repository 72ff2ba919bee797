// The per-frame values the plot draws, kept apart from the drawing.
#include <cstdlib>

#include "report.h"
#include "common/die.h"
#include "common/settings.h"
#include "source/sequence.h"

PlotValues plot_values;

static void *allocate_entries(size_t entry_size)
{
    // One entry more than needed, so that an empty range still gets a real block.
    void *memory = malloc(entry_size * ((size_t)plot_values.capacity + 1));
    if (!memory)
        die(1, "Out of memory: could not allocate the plot's values for %d frames\n",
            plot_values.capacity);
    return memory;
}

void allocate_plot_values()
{
    plot_values.capacity = playhead.end_frame >= playhead.start_frame ? playhead.end_frame - playhead.start_frame + 1 : 0;
    plot_values.frames = 0;
    for (int pair = 1; pair <= report_state.pair_count; pair++) {
        plot_values.psnr[pair] = (float *)allocate_entries(sizeof(float));
        if (report_options.ssim)
            plot_values.ssim[pair] = (float *)allocate_entries(sizeof(float));
    }
    for (int n = 2; n <= settings.expand; n++)
        plot_values.frozen[n] = (unsigned char *)allocate_entries(1);
    for (int n = 1; n <= settings.expand; n++)
        if (sequence_has_facts(n)) {
            plot_values.type[n] = (char *)allocate_entries(1);
            plot_values.bytes[n] = (int64_t *)allocate_entries(sizeof(int64_t));
        }
}

void add_frame_to_plot()
{
    if (plot_values.frames >= plot_values.capacity)
        return;
    for (int pair = 1; pair <= report_state.pair_count; pair++) {
        plot_values.psnr[pair][plot_values.frames] = (float)report_state.pair_frame[pair][metric_psnr_y].value;
        if (report_options.ssim)
            plot_values.ssim[pair][plot_values.frames] = (float)report_state.pair_frame[pair][metric_ssim].value;
    }
    if (settings.expand > 1)
        plot_values.frozen[2][plot_values.frames] = (unsigned char)report_state.frozen2;
    if (settings.expand > 2)
        plot_values.frozen[3][plot_values.frames] = (unsigned char)report_state.frozen3;
    for (int n = 1; n <= settings.expand; n++)
        if (plot_values.type[n]) {
            const FrameFacts *facts = &sequences[n].facts;
            plot_values.type[n][plot_values.frames] = facts->known ? facts->type : 0;
            plot_values.bytes[n][plot_values.frames] = facts->known ? facts->bytes : -1;
        }
    plot_values.frames++;
}
