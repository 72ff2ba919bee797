// The sequences of the run: each one record with its file, its source, its freeze list and
// its current picture. Only the source layer touches the files.
#pragma once

#include <cstdint>

#include "freeze.h"
#include "source.h"
#include "stream_facts.h"
#include "common/yuv_frame.h"

struct Sequence {
    const char *path;     // as given on the command line; the file is opened by it
    char yuvname[256];    // the name shown (cut at 255 characters)
    Source source;        // its open file and the kind of source in it
    // The freeze list (sequences 2 and 3): the file given, its entries, the frames held.
    int fr;               // a freeze file was given
    const char *fr_path;  // its full path, as given
    int fr_count;         // entries read from it
    FreezeTable fr_table;
    YuvFrame picture;     // the current picture, whole, as read
    YuvFrame region;      // the part of it the programs work on: all of it without -crop
    FrameFacts facts;     // what its stream says of it; none unless decoded and read
};

// Index 1..3; entry 0 is unused so that sequence numbers index it directly.
extern Sequence sequences[4];

// Opens the file of sequence n (1..3) for reading; one that cannot be opened ends the run
// with "Can't open yuvfile<n> for input!" and status 3; a directory or a file that fails to
// read ends it with a message naming it and status 1. Pipes and terminals are read as
// streams: in order, YUV4MPEG2 headers included.
void open_sequence(int n, const char *path);

// Whether a file could be opened as a sequence.
bool sequence_file_opens(const char *path);

// Tells the kind of every open sequence by its first bytes and opens its source: the headers
// are read and settle the picture size and the sample format (an explicit one must match
// every header; otherwise the first header sets it). Raw files have no header and take them
// as they are; what is still unsettled then comes from the first file's name when it says
// (one line on standard error). Refusals end the run with status 1.
void read_sequence_headers();

// Allocates the picture of sequence n (1..3) of the run's format, black, once for the run,
// and sets its region; or those of all three.
void allocate_sequence_picture(int n);
void allocate_sequence_pictures();

// The current picture of sequence 1..3 as the programs see it: its region.
inline YuvFrame *picture_of(int sequence) { return &sequences[sequence].region; }
// The whole picture, which reads fill.
inline YuvFrame *whole_picture_of(int sequence) { return &sequences[sequence].picture; }

// Whole frames in sequence n; -1 when its source cannot tell (a pipe). An encoded stream
// counts its frames when first asked.
int64_t whole_frames(int n);

// Places sequence n at the start of frame `frame`; one that cannot seek only moves forward,
// dropping the frames before it.
void position_sequence(int n, int64_t frame);

// Reads the next picture of sequence n into `picture`. A short read fills what it can and
// leaves the rest of the plane as it was. Returns false when the source ran out. Into the
// sequence's own picture, its facts follow.
bool read_picture(int n, YuvFrame *picture);

// Whether sequence n's source says what each frame is and cost (an encoded stream).
bool sequence_has_facts(int n);
// The type its stream gives frame k of its file ('I', 'P', ...), without reading it; 0 when
// it says none or k lies past its end.
char sequence_frame_type(int n, int64_t k);

// Whether the last read of sequence n met the end of its source.
bool sequence_ended(int n);

// Whether sequence n is a pipe or terminal (known once it is open).
bool sequence_streamed(int n);

// Whether sequence n can be positioned on any frame (known once its headers are read).
bool sequence_seekable(int n);

// The luma plane of frame `frame` of a sequence that can seek, read through a picture of
// the run's format whose chroma goes to planes kept for the run; false when the source holds
// no whole frame there.
bool read_luma_at(int n, int frame, unsigned char *luma);

// Closes the open sequences in order and returns the result of the last close.
int close_sequences();
