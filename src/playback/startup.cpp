// The viewer's start-up once the source layer has settled the run: the buffers the panes
// are rendered into and the frame period.
#include "startup.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "pacing.h"
#include "pair_metric.h"
#include "common/die.h"
#include "common/picture_memory.h"
#include "common/panes.h"
#include "common/pixel_format.h"
#include "common/region.h"
#include "common/settings.h"
#include "convert/zoom.h"
#include "quality/difference_pictures.h"
#include "source/geometry.h"
#include "source/options.h"
#include "source/picture_size.h"
#include "source/sequence.h"

ViewerBuffers viewer_buffers;

// Every rendered buffer holds at least this much, whatever the picture size.
static const int64_t minimum_render_buffer_size = 811016;

static unsigned char *allocate_render_buffer(const char *what)
{
    unsigned char *buffer = allocate_bytes(viewer_buffers.render_buffer_size, what);
    memset(buffer, 0, (size_t)viewer_buffers.render_buffer_size);
    return buffer;
}

// Beyond the largest picture the window would outgrow any screen and the buffers any memory.
void refuse_oversized_zoom()
{
    int width = settings.cropping.region.width * settings.zoom_in, height = settings.cropping.region.height * settings.zoom_in;
    if (width > max_picture_width || height > max_picture_height)
        die(1, "-zoom %d: the pictures would be shown at %dx%d, larger than %dx%d\n", settings.zoom_in,
            width, height, max_picture_width, max_picture_height);
}

// Zoomed out, a picture is reduced into zoom_picture before it is rendered.
static void allocate_zoom_picture()
{
    int n = settings.zoom_out;
    if (n == 1)
        return;
    for (unsigned char *plane : {viewer_buffers.zoom_picture.y, viewer_buffers.zoom_picture.u, viewer_buffers.zoom_picture.v})
        free(plane);
    const PictureRegion &region = settings.cropping.region;
    int width = zoomed_out_size(region.width, n), height = zoomed_out_size(region.height, n);
    int64_t luma = (int64_t)width * height;
    viewer_buffers.zoom_picture = packed_420_frame(allocate_bytes(luma, "zoom_picture"),
                                    allocate_bytes(luma / 4, "zoom_picture"),
                                    allocate_bytes(luma / 4, "zoom_picture"), width, height);
}

// Each pane's picture (its sequence's, or its pair's difference) and its rendered buffer
// at the shown size; at zoom 1 never smaller than the traditional fixed size. Allocated
// pane by pane, named as out-of-memory messages say them.
static void allocate_pictures()
{
    int64_t needed = (int64_t)shown_size(settings.cropping.region.width, settings.zoom_out, settings.zoom_in) *
                     shown_size(settings.cropping.region.height, settings.zoom_out, settings.zoom_in) * 4;
    viewer_buffers.render_buffer_size = needed > minimum_render_buffer_size || settings.zoom_in > 1 || settings.zoom_out > 1
                             ? needed
                             : minimum_render_buffer_size;
    for (int pane = 1; pane <= pane_count; pane++) {
        Pane &p = panes[pane];
        bool sequence = p.kind == pane_sequence;
        char buffer_name[20];
        snprintf(buffer_name, sizeof buffer_name, sequence ? "rendered%d" : "diff_rendered%d",
                 p.source);
        if (sequence)
            allocate_sequence_picture(p.source);
        else
            allocate_difference_picture(p.source);
        p.rendered = allocate_render_buffer(buffer_name);
    }
}

void resize_buffers(int64_t rendered_bytes)
{
    allocate_zoom_picture();
    if (rendered_bytes <= viewer_buffers.render_buffer_size)
        return;
    viewer_buffers.render_buffer_size = rendered_bytes;
    for (int pane = 1; pane <= pane_count; pane++) {
        free(panes[pane].rendered);
        panes[pane].rendered = allocate_render_buffer("a pane at the new zoom");
    }
}

void allocate_buffers()
{
    allocate_pictures();
    allocate_zoom_picture();
    allocate_metric_scratch();
    if (settings.pixel_format != default_pixel_format)
        viewer_buffers.display_picture = allocate_picture("display_picture", 128, default_pixel_format,
                                           settings.cropping.region.width, settings.cropping.region.height);
}

// What the info window shows of a rate that is not whole: -fps as typed, a file's rate to
// three decimals ("29.97" for 30000/1001).
static void set_fps_label(Fraction rate)
{
    settings.fps_label[0] = '\0';
    if (whole_rate(rate))
        return;
    if (settings.fps_given) {
        const char *text = settings.fps_text;
        while (isspace((unsigned char)*text))
            text++;
        snprintf(settings.fps_label, sizeof settings.fps_label, "%s", text);
        return;
    }
    int length = snprintf(settings.fps_label, sizeof settings.fps_label, "%.3f",
                          (double)rate.numerator / (double)rate.denominator);
    while (length > 0 && (settings.fps_label[length - 1] == '0' || settings.fps_label[length - 1] == '.'))
        settings.fps_label[--length] = '\0';
}

void set_frame_period()
{
    Fraction rate = play_rate();
    int64_t rounded = (rate.numerator + rate.denominator / 2) / rate.denominator;
    settings.fps = rounded < 1 ? 1 : rounded > INT_MAX ? INT_MAX : (int)rounded;
    set_fps_label(rate);
    set_pacing(rate);
    playhead.frame = playhead.start_frame;
}
