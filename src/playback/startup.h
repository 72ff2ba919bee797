// Start-up after the command line: geometry, frame range, buffers, freeze tables.
#pragma once

#include <cstdint>

#include "common/yuv_frame.h"

extern YuvFrame picture1, picture2, picture3;  // the sequences' current pictures
extern YuvFrame diff1, diff2, diff3;           // difference pictures of pairs 1..3
// What the viewer reduces a picture of another format than 8-bit 4:2:0 into for the
// renderers; allocated with the buffers, only for such formats.
extern YuvFrame display_picture;
// A picture zoomed out before it is rendered; allocated with the buffers, for the zoom
// already chosen, when that zoom is out.
extern YuvFrame zoom_picture;
extern int64_t render_buffer_size;  // bytes of each rendered buffer: the shown size

// The frames a freeze file lists, ascending, each once: sized by the list, not the range.
struct FreezeTable {
    int *frames;
    int size;
};

extern FreezeTable fr2_table;  // frames at which sequence 2 is not read
extern FreezeTable fr3_table;

// A longer freeze file is refused: far beyond any real list, and a file without end
// (a device, a huge sparse file) is not read for ever.
const int64_t max_freeze_file_bytes = (int64_t)64 << 20;

// Settles the picture size (YUV4MPEG2 headers included), then the frame sizes and the
// PSNR rule.
void compute_geometry();

// Frame range from the size of the first file: end_frame and start_frame are lowered
// to its last whole frame. A file without a whole frame ends the run. Then the frame
// headers of the range are checked in YUV4MPEG2 files.
void compute_frame_range();

// Zoomed in, a shown picture may be no larger than the largest picture: ends the run
// otherwise. Checked before the display opens.
void refuse_oversized_zoom();

// Allocates every picture buffer once for the whole run, at the zoom already settled: each
// sequence's picture (of the run's sample format) and each pair's difference picture (8-bit
// 4:2:0), and every pane's rendered buffer.
void allocate_buffers();

// The same without the rendered buffers, for measuring without a display.
void allocate_measured_pictures();

// The current picture of sequence 1..3 and the difference picture of pair 1..3.
YuvFrame *picture_of(int sequence);
YuvFrame *difference_of(int pair);

// The freeze table of sequence 1..3; null when none was given (sequence 1 never has one).
const FreezeTable *freeze_table_of(int sequence);

// Luma 0 and chroma `chroma_value` (at 8 bits, scaled to the depth): how pictures start.
void fill_picture(YuvFrame *picture, int chroma_value);

// Fills fr2_table / fr3_table from the freeze files that were given.
void load_freeze_tables();

// frame_period from -fps, or from the first file's YUV4MPEG2 rate when -fps was not
// given; frame = start_frame.
void set_frame_period();

// Fills `table` with the frames listed in the file, one number per line, and returns the
// number of entries read. Blank lines are skipped; lines without a number or with a
// negative one are ignored with a warning each, those after end_frame with one warning
// that counts them. A file that cannot be opened ends the
// run with "Could not open file: <name>" on stdout and status 255; one that holds a NUL
// byte or more than max_freeze_file_bytes ends it with a message and status 1.
int loadfreezefile(const char *name, FreezeTable *table);

// Whether `frame` is listed in the table.
int frame_frozen(const FreezeTable *table, int frame);

// Frees the frames; the table is empty again.
void free_freeze_table(FreezeTable *table);
