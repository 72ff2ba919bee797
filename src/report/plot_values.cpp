// The per-frame values the plot draws, kept apart from the drawing.
#include <cstdlib>

#include "report.h"
#include "common/die.h"
#include "common/settings.h"

int plot_capacity = 0;
int plot_frames = 0;
float *plot_psnr[4];
float *plot_ssim[4];
unsigned char *plot_frozen[4];

static void *allocate_entries(size_t entry_size)
{
    // One entry more than needed, so that an empty range still gets a real block.
    void *memory = malloc(entry_size * ((size_t)plot_capacity + 1));
    if (!memory)
        die(1, "Out of memory: could not allocate the plot's values for %d frames\n",
            plot_capacity);
    return memory;
}

void allocate_plot_values()
{
    plot_capacity = end_frame >= start_frame ? end_frame - start_frame + 1 : 0;
    plot_frames = 0;
    for (int pair = 1; pair <= pair_count; pair++) {
        plot_psnr[pair] = (float *)allocate_entries(sizeof(float));
        if (report_ssim)
            plot_ssim[pair] = (float *)allocate_entries(sizeof(float));
    }
    for (int n = 2; n <= expand; n++)
        plot_frozen[n] = (unsigned char *)allocate_entries(1);
}

void add_frame_to_plot()
{
    if (plot_frames >= plot_capacity)
        return;
    for (int pair = 1; pair <= pair_count; pair++) {
        plot_psnr[pair][plot_frames] = (float)pair_frame[pair][metric_psnr_y].value;
        if (report_ssim)
            plot_ssim[pair][plot_frames] = (float)pair_frame[pair][metric_ssim].value;
    }
    if (expand > 1)
        plot_frozen[2][plot_frames] = (unsigned char)frozen2;
    if (expand > 2)
        plot_frozen[3][plot_frames] = (unsigned char)frozen3;
    plot_frames++;
}
