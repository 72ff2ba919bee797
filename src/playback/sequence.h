// Sequence files: opening, their headers, positioning on a frame and reading one picture.
#pragma once

#include <cstdint>

#include "common/colour_conversion.h"
#include "common/yuv_frame.h"

// Full path of sequence n (index 1..3), as given on the command line.
extern const char *yuv_path[4];

// The first file's own frame rate: a YUV4MPEG2 F tag's or an encoded stream's; 0 and 0
// when it has none.
extern int sequence_rate_numerator;
extern int sequence_rate_denominator;

// Opens sequence n (1..3) for reading; a file that cannot be opened ends the run with
// "Can't open yuvfile<n> for input!" and status 3; a directory or a file that fails to
// read ends it with a message naming it and status 1. Pipes and terminals are read as
// streams: in order, YUV4MPEG2 headers included.
void open_sequence(int n, const char *path);

// Reads the YUV4MPEG2 headers among the open sequences and settles the picture size and
// the sample format: an explicit one must match every header; otherwise the first header
// sets it. Raw files have no header and take them as they are; what is still unsettled
// then comes from the first file's name when it says (one line on standard error).
// Refusals end the run with status 1.
void read_sequence_headers();

// Checks, once the frame size and range are known, that every whole frame of the range
// in each YUV4MPEG2 file starts with a frame header of the same length. A streamed
// sequence has its frame headers checked as they are read, with the same refusal.
void check_frame_headers();

// What sequence n's YUV4MPEG2 header or stream says of its colours: the matrix and the
// range, each -1 where it says nothing. Known once read_sequence_headers has run.
ColourConversion sequence_colours(int n);

// Bytes in front of the first frame, and in front of every frame, of sequence n.
int64_t sequence_header_bytes(int n);
int64_t sequence_frame_header_bytes(int n);

// Byte offset of frame `frame_number` of sequence n.
int64_t frame_offset(int n, int frame_number);

// Number of whole frames in sequence n, from the size of the file; for an encoded sequence
// the frames of its stream, counted when first asked for.
int64_t whole_frames(int n);
// True when neither the command line, a header, a stream nor a name gave the size.
bool picture_size_assumed();
// Bytes after the last whole frame of a raw file; 0 for any other kind of sequence.
int64_t leftover_bytes(int n);

// Places sequence n at the start of frame `frame_number`; a streamed one only moves
// forward, dropping the frames before it.
void position_sequence(int n, int frame_number);

// Reads one picture of sequence n straight into its planes. A short read fills what it
// can and leaves the rest of the plane as it was. Returns 0 when the file ran out.
int read_picture(int n, YuvFrame *picture);

// Whether sequence n is encoded and read through its decoder.
bool sequence_decoded(int n);

// Whether sequence n was opened.
bool sequence_open(int n);

// Whether the last read of sequence n met the end of its file.
bool sequence_ended(int n);

// Whether sequence n is a pipe or terminal, read in order only.
bool sequence_streamed(int n);

// The luma plane of frame `frame_number` of a file (not a stream), read without moving the
// sequence; false when the file holds no whole plane there.
bool read_luma_at(int n, int frame_number, unsigned char *luma);

// Whether a file could be opened as a sequence.
bool sequence_file_opens(const char *path);

// Closes the open sequence files in order and returns the result of the last close.
int close_sequences();
