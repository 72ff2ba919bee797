// The run's settings and its playhead, one record each. Start-up fills the settings from
// the command line, the files and the screen; from then on they are only read, but for the
// zoom, which the view keys change.
#pragma once

#include <climits>
#include <cstdint>

#include "numbers.h"
#include "pixel_format.h"
#include "region.h"

struct Settings {
    // Picture size used for the layout of the windows.
    int horizontal_size = 176;
    int vertical_size = 144;

    int psnr = 0;    // PSNR calculation on (needs two sequences)
    int quiet = 0;   // no info window
    int shm = 0;     // -shm: panes through the shared-memory extension where possible
    int nodiff = 0;  // no difference pictures
    int expand = 0;  // number of sequences, 1 to 3

    int fps = 25;              // target frame rate, rounded to whole frames per second
    int frame_period = 40000;  // microseconds per frame
    // The target rate as the info window shows it when it is not whole ("29.97"); else empty.
    char fps_label[24] = "";
    // -fps as read, exactly, and as typed.
    Fraction fps_rate = {25, 1};
    const char *fps_text = "25";
    // The first file's own frame rate: a YUV4MPEG2 F tag's or an encoded stream's; 0 and 0
    // when it has none.
    int sequence_rate_numerator = 0;
    int sequence_rate_denominator = 0;

    // Whether the command line set the frame rate / the picture size (-size or -CIF); a
    // YUV4MPEG2 header only fills in what was not given.
    int fps_given = 0;
    int size_given = 0;

    // Bytes of one picture in a sequence file; 64-bit so that offsets never wrap.
    int64_t luma_size = 0;
    int64_t chroma_size = 0;
    int64_t frame_size = 0;

    // The sample format every sequence of the run shares: -pix_fmt, a YUV4MPEG2 header, the
    // first file's name, or yuv420p.
    const PixelFormat *pixel_format = default_pixel_format;
    int pix_fmt_given = 0;  // -pix_fmt was on the command line

    // Zoom of the shown pictures: out by zoom_out or in by zoom_in, the other one 1. Set by
    // -zoom (zoom_given), else chosen when the display opens: 1 when the window fits.
    int zoom_in = 1;
    int zoom_out = 1;
    int zoom_given = 0;

    // Where the viewer's s saves its screenshots (-shots); null for the current directory.
    const char *shots_directory = nullptr;

    // -colorspace and -color_range: a ColourMatrix and a ColourRange, -1 when not given.
    int colorspace_option = -1;
    int color_range_option = -1;
    // The info window names the colour conversion: anything but the default one taken by size.
    int colour_conversion_named = 0;

    // The label of sequence 1..3 as given (-label1..3, cut at 255 characters); null when none was.
    const char *sequence_labels[4] = {nullptr, nullptr, nullptr, nullptr};

    // -crop as read, and the region of every picture that is shown and measured.
    CropState cropping;
};
extern Settings settings;

// Where play stands: the frame, the pass and the range every pass covers.
struct Playhead {
    int frame = 0;                // the frame being processed
    int loop = 0;                 // 0: one pass; otherwise the number of the current pass
    int start_frame = 0;          // first frame of every pass
    int end_frame = INT_MAX - 1;  // last frame of every pass, until lowered to the last
                                  // whole frame of the first file
};
extern Playhead playhead;

// Every setting and the playhead as a run without options starts: the one place that
// says the defaults.
void reset_settings();
