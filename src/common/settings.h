// Process-wide settings: set once during start-up, read by every subsystem.
#pragma once

#include <cstdint>

// Picture size used for the layout of the windows.
extern int horizontal_size;
extern int vertical_size;

extern int psnr;        // PSNR calculation on (needs two sequences)
extern int quiet;       // no info window
extern int shm;         // -shm: panes through the shared-memory extension where possible
extern int nodiff;      // no difference pictures
extern int fps;         // target frame rate, rounded to whole frames per second
// The target rate as the info window shows it when it is not whole ("29.97"); else empty.
extern char fps_label[24];
extern int loop;        // 0: one pass; otherwise the number of the current pass
extern int expand;      // number of sequences, 1 to 3
extern int frame;       // the frame being processed

extern int start_frame;   // first frame of every pass
extern int end_frame;     // last frame of every pass
extern int frame_period;  // microseconds per frame

// Bytes of one picture in a sequence file; 64-bit so that offsets never wrap.
extern int64_t luma_size;
extern int64_t chroma_size;
extern int64_t frame_size;

// The sample format every sequence of the run shares: -pix_fmt, a YUV4MPEG2 header, the
// first file's name, or yuv420p.
struct PixelFormat;
extern const PixelFormat *pixel_format;
extern int pix_fmt_given;  // -pix_fmt was on the command line

// Zoom of the shown pictures: out by zoom_out or in by zoom_in, the other one 1. Set by
// -zoom (zoom_given), else chosen when the display opens: 1 when the window fits.
extern int zoom_in;
extern int zoom_out;
extern int zoom_given;

// Where the viewer's s saves its screenshots (-shots); null for the current directory.
extern const char *shots_directory;

// -colorspace and -color_range: a ColourMatrix and a ColourRange, -1 when not given.
extern int colorspace_option;
extern int color_range_option;
// The info window names the colour conversion: anything but the default one taken by size.
extern int colour_conversion_named;
