// Start-up after the command line: geometry, frame range, buffers, freeze tables.
#include "startup.h"

#include <sys/stat.h>

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "options.h"
#include "pacing.h"
#include "picture_size.h"
#include "sequence.h"
#include "common/die.h"
#include "common/panes.h"
#include "common/pixel_format.h"
#include "common/settings.h"
#include "convert/zoom.h"
#include "quality/quality_kernels.h"

YuvFrame picture1, picture2, picture3;
YuvFrame diff1, diff2, diff3;
YuvFrame display_picture;
YuvFrame zoom_picture;
int64_t render_buffer_size = 0;

FreezeTable fr2_table = {nullptr, 0};
FreezeTable fr3_table = {nullptr, 0};

// Every rendered buffer holds at least this much, whatever the picture size.
static const int64_t minimum_render_buffer_size = 811016;

void compute_geometry()
{
    read_sequence_headers();
    luma_size = luma_plane_bytes(pixel_format, horizontal_size, vertical_size);
    chroma_size = chroma_plane_bytes(pixel_format, horizontal_size, vertical_size);
    frame_size = luma_size + 2 * chroma_size;
    if (expand <= 1)
        psnr = 0;
}

// Play reads the whole frames and stops; a tail that is not one hints at a wrong size.
static void warn_of_leftover_bytes()
{
    for (int n = 1; n <= expand; n++) {
        int64_t left = leftover_bytes(n);
        if (left == 0)
            continue;
        if (n == 1 && picture_size_assumed())
            fprintf(stderr, "%s: no picture size given: 176x144 assumed, which leaves %lld "
                            "bytes after the last whole frame\n", yuv_path[n], (long long)left);
        else
            fprintf(stderr, "%s: %lld bytes after the last whole frame are not read\n",
                    yuv_path[n], (long long)left);
    }
}

// The Original's own rate: its YUV4MPEG2 header's or its stream's; 0/1 when it has none.
static Fraction original_rate()
{
    if (sequence_rate_numerator > 0)
        return {sequence_rate_numerator, sequence_rate_denominator};
    return {0, 1};
}

// Times on the command line count in the Original's own rate, where -fps stands makes no
// difference, and a slowed or hurried play still starts at the same picture; a raw file
// has no rate of its own, so -fps gives it one (25 without it).
static Fraction timeline_rate()
{
    Fraction rate = original_rate();
    return rate.numerator > 0 ? rate : fps_given ? fps_rate : Fraction{25, 1};
}

void compute_frame_range()
{
    frames_from_times(timeline_rate());
    int64_t frames = whole_frames(1);
    if (frames < 1 && sequence_decoded(1))
        die(1, "%s: holds no video frame\n", yuv_path[1]);
    if (frames < 1)
        die(1, "%s holds no whole frame of %lld bytes (%dx%d %s)\n", yuv_path[1],
            (long long)(sequence_frame_header_bytes(1) + frame_size), horizontal_size,
            vertical_size,
            pixel_format == default_pixel_format ? "YUV 4:2:0" : pixel_format->name);
    warn_of_leftover_bytes();
    // end_frame + 1 must still be an int: it ends the pass.
    int last = frames - 1 > INT_MAX - 1 ? INT_MAX - 1 : (int)(frames - 1);
    if (end_frame > last)
        end_frame = last;
    if (start_frame > last)
        start_frame = last;
    check_frame_headers();
}

static unsigned char *allocate(int64_t bytes, const char *what)
{
    void *memory = bytes > 0 && (uint64_t)bytes <= SIZE_MAX ? malloc((size_t)bytes) : nullptr;
    if (!memory)
        die(1, "Out of memory: could not allocate %lld bytes for %s\n", (long long)bytes,
            what);
    return (unsigned char *)memory;
}

void fill_picture(YuvFrame *picture, int chroma_value)
{
    memset(picture->y, 0, (size_t)(picture->luma_stride * picture->height));
    if (!picture->u)
        return;  // gray: no chroma planes
    size_t chroma = (size_t)(picture->chroma_stride * chroma_height(*picture));
    if (picture->bit_depth == 8) {
        memset(picture->u, chroma_value, chroma);
        memset(picture->v, chroma_value, chroma);
        return;
    }
    int value = chroma_value << (picture->bit_depth - 8);
    for (size_t i = 0; i + 1 < chroma; i += 2)
        for (unsigned char *plane : {picture->u, picture->v}) {
            plane[i] = (unsigned char)value;  // little-endian words, as in the files
            plane[i + 1] = (unsigned char)(value >> 8);
        }
}

// A picture of the format, filled as fill_picture fills it; gray pictures have no chroma
// planes.
static YuvFrame allocate_picture(const char *what, int chroma_value, const PixelFormat *format)
{
    int64_t luma = luma_plane_bytes(format, horizontal_size, vertical_size);
    int64_t chroma = chroma_plane_bytes(format, horizontal_size, vertical_size);
    unsigned char *u = chroma > 0 ? allocate(chroma, what) : nullptr;
    unsigned char *v = chroma > 0 ? allocate(chroma, what) : nullptr;
    YuvFrame picture = packed_frame(allocate(luma, what), u, v, horizontal_size, vertical_size,
                                    format->bit_depth, format->chroma);
    fill_picture(&picture, chroma_value);
    return picture;
}

static unsigned char *allocate_render_buffer(const char *what)
{
    unsigned char *buffer = allocate(render_buffer_size, what);
    memset(buffer, 0, (size_t)render_buffer_size);
    return buffer;
}

// Beyond the largest picture the window would outgrow any screen and the buffers any memory.
void refuse_oversized_zoom()
{
    int width = horizontal_size * zoom_in, height = vertical_size * zoom_in;
    if (width > max_picture_width || height > max_picture_height)
        die(1, "-zoom %d: the pictures would be shown at %dx%d, larger than %dx%d\n", zoom_in,
            width, height, max_picture_width, max_picture_height);
}

// Zoomed out, a picture is reduced into zoom_picture before it is rendered.
static void allocate_zoom_picture()
{
    int n = zoom_out;
    if (n == 1)
        return;
    int width = zoomed_out_size(horizontal_size, n), height = zoomed_out_size(vertical_size, n);
    int64_t luma = (int64_t)width * height;
    zoom_picture = packed_420_frame(allocate(luma, "zoom_picture"),
                                    allocate(luma / 4, "zoom_picture"),
                                    allocate(luma / 4, "zoom_picture"), width, height);
}

static YuvFrame *const sequence_pictures[3] = {&picture1, &picture2, &picture3};
static YuvFrame *const difference_pictures[3] = {&diff1, &diff2, &diff3};

// Each pane's picture (its sequence's, or its pair's difference) and, when it is rendered
// at all, its rendered buffer at the shown size; at zoom 1 never smaller than the
// traditional fixed size. Allocated pane by pane, named as out-of-memory messages say them.
static void allocate_pictures(bool rendered)
{
    int64_t needed = (int64_t)shown_size(horizontal_size, zoom_out, zoom_in) *
                     shown_size(vertical_size, zoom_out, zoom_in) * 4;
    render_buffer_size = needed > minimum_render_buffer_size || zoom_in > 1 || zoom_out > 1
                             ? needed
                             : minimum_render_buffer_size;
    for (int pane = 1; pane <= pane_count; pane++) {
        Pane &p = panes[pane];
        bool sequence = p.kind == pane_sequence;
        char picture_name[20], buffer_name[20];
        snprintf(picture_name, sizeof picture_name, sequence ? "picture%d" : "diff%d", p.source);
        snprintf(buffer_name, sizeof buffer_name, sequence ? "rendered%d" : "diff_rendered%d",
                 p.source);
        YuvFrame *picture = sequence ? picture_of(p.source) : difference_of(p.source);
        // Pictures start black, so a sequence frozen at the first frame shows black.
        *picture = allocate_picture(picture_name, sequence ? 128 : 124,
                                    sequence ? pixel_format : default_pixel_format);
        if (rendered)
            p.rendered = allocate_render_buffer(buffer_name);
    }
}

void allocate_buffers()
{
    allocate_pictures(true);
    allocate_zoom_picture();
    if (pixel_format != default_pixel_format)
        display_picture = allocate_picture("display_picture", 128, default_pixel_format);
}

void allocate_measured_pictures()
{
    allocate_pictures(false);
}

YuvFrame *picture_of(int sequence)
{
    return sequence_pictures[sequence - 1];
}

YuvFrame *difference_of(int pair)
{
    return difference_pictures[pair - 1];
}

const FreezeTable *freeze_table_of(int sequence)
{
    if (sequence == 2 && fr2)
        return &fr2_table;
    if (sequence == 3 && fr3)
        return &fr3_table;
    return nullptr;
}

void load_freeze_tables()
{
    if (fr2)
        fr2_count = loadfreezefile(fr2_path, &fr2_table);
    if (fr3)
        fr3_count = loadfreezefile(fr3_path, &fr3_table);
}

// What the info window shows of a rate that is not whole: -fps as typed, a file's rate to
// three decimals ("29.97" for 30000/1001).
static void set_fps_label(Fraction rate)
{
    fps_label[0] = '\0';
    if (whole_rate(rate))
        return;
    if (fps_given) {
        const char *text = fps_text;
        while (isspace((unsigned char)*text))
            text++;
        snprintf(fps_label, sizeof fps_label, "%s", text);
        return;
    }
    int length = snprintf(fps_label, sizeof fps_label, "%.3f",
                          (double)rate.numerator / (double)rate.denominator);
    while (length > 0 && (fps_label[length - 1] == '0' || fps_label[length - 1] == '.'))
        fps_label[--length] = '\0';
}

void set_frame_period()
{
    Fraction rate = fps_given ? fps_rate : original_rate();
    if (rate.numerator <= 0)
        rate = {25, 1};
    int64_t rounded = (rate.numerator + rate.denominator / 2) / rate.denominator;
    fps = rounded < 1 ? 1 : rounded > INT_MAX ? INT_MAX : (int)rounded;
    set_fps_label(rate);
    set_pacing(rate);
    frame = start_frame;
}
