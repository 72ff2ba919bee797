// Start-up after the command line: geometry, frame range, buffers, freeze tables.
#pragma once

#include <cstdint>

#include "../convert/yuv_frame.h"

extern YuvFrame picture1, picture2, picture3;  // the sequences' current pictures
extern YuvFrame diff1, diff2, diff3;           // difference pictures of pairs 1..3
extern unsigned char *rendered1, *rendered2, *rendered3;                 // panes 1..3
extern unsigned char *diff_rendered1, *diff_rendered2, *diff_rendered3;  // panes 4..6
extern int64_t render_buffer_size;  // bytes of each rendered buffer

extern unsigned char *fr2_table;  // one byte per frame 0..end_frame; 1 = not read
extern unsigned char *fr3_table;

// Settles the picture size (YUV4MPEG2 headers included), then the frame sizes and the
// PSNR rule; checks the frame headers of YUV4MPEG2 files.
void compute_geometry();

// Frame range from the size of the first file: end_frame and start_frame are lowered
// to its last whole frame. A file without a whole frame ends the run.
void compute_frame_range();

// Allocates every picture buffer once for the whole run.
void allocate_buffers();

// Allocates and fills fr2_table / fr3_table from the freeze files that were given.
void load_freeze_tables();

// frame_period from -fps, or from the first file's YUV4MPEG2 rate when -fps was not
// given; frame = start_frame.
void set_frame_period();

// Marks in `table` (end_frame + 1 entries) the frames listed in the file, one number per
// line, and returns the number of entries read. Blank lines are skipped; lines without a
// number or with one outside 0..end_frame are ignored with a warning. A file that cannot
// be opened ends the run with "Could not open file: <name>" on stdout and status 255.
int loadfreezefile(const char *name, unsigned char *table);
