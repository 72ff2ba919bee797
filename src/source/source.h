// Kinds of source: raw file, raw pipe, YUV4MPEG2 file and pipe, encoded stream. Each is one
// file that fills one constant table of operations; sequence.cpp asks every kind how sure it
// is that a file is its own, opens it with the surest and from then on only calls the table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "common/colour_conversion.h"
#include "common/yuv_frame.h"

struct PixelFormat;
struct SourceKind;
struct FrameFacts;

// One open source.
struct Source {
    const SourceKind *kind;  // null until opened
    const char *path;        // as given; files are opened by it
    FILE *file;              // open from the option that named it to the end of the run
    bool streamed;           // a pipe or terminal: read in order, never positioned
    void *priv;              // the kind's own record
    // The frame rate the source states; 0 and 0 when it states none.
    int rate_numerator, rate_denominator;
    ColourConversion colours;  // what its header or stream says; -1 where it says nothing
    int64_t next_frame;      // the frame the next read gives
    // What the file holds: the run's format, or one that reads convert into it (a lower depth
    // of its chroma layout, interleaved chroma); null until settled.
    const PixelFormat *format;
    std::vector<unsigned char> file_picture;  // one picture of `format` while it is converted
    bool peak_warned;  // samples above the peak of its depth were reported
};

// What a kind is shown to tell whether a file is its own: its first bytes. Of a pipe these are
// the bytes already taken from it, which the kind that opens it must account for.
struct SourceProbe {
    const char *path;
    bool streamed;
    char *bytes;      // room for y4m_max_header_length bytes
    size_t length;
};

struct SourceKind {
    const char *name;
    // How sure the kind is that the file is its own: 0 (not at all) up to 100 (certain).
    int (*probe)(const SourceProbe *probe);
    // Reads the headers and settles the picture size and sample format with the other
    // sequences'; a refusal ends the run with status 1.
    void (*open)(Source *source, SourceProbe *probe);
    // Whole frames in the source; -1 when it cannot tell before reading them all.
    int64_t (*frame_count)(Source *source);
    // Bytes after the last whole frame, which play never reads; null when the kind cannot
    // tell them from a frame yet to come.
    int64_t (*leftover_bytes)(const Source *source);
    // Ends the run for a first sequence that holds no whole frame, saying why.
    void (*refuse_empty)(const Source *source);
    // Checks, once the range is settled, that frames first..last can be read as they are;
    // null when there is nothing to check.
    void (*check_range)(Source *source, int64_t first, int64_t last);
    // Places the source at the start of frame `frame`; null when it reads in order only.
    void (*seek)(Source *source, int64_t frame);
    // Drops the next frame; what moves a source without `seek` forward.
    bool (*skip)(Source *source);
    // Reads the next frame into the picture's planes, honouring its strides. False when the
    // source ran out before the frame was whole; what was read stays in the planes.
    bool (*read)(Source *source, YuvFrame *picture);
    // Whether a read met the end of the source.
    bool (*ended)(const Source *source);
    // Releases the kind's record; the file is closed by the caller.
    void (*close)(Source *source);
    // What the stream says of the frame read last (stream_facts.h); null when read gave
    // none. Null for a kind whose files say nothing of their frames.
    const FrameFacts *(*facts)(const Source *source);
    // The type of frame k of the file as its stream says it, without reading it; 0 past the
    // end. Null where `facts` is.
    char (*frame_type)(const Source *source, int64_t k);
};

extern const SourceKind y4m_file_kind, y4m_pipe_kind, decoded_stream_kind, raw_file_kind,
    raw_pipe_kind;

// Every kind, in the order in which a tie of probes is broken; null ends the list.
extern const SourceKind *const source_kinds[];

// Takes up to `count` bytes from a source in order; returns how many came.
typedef size_t (*take_bytes_fn)(Source *source, void *to, size_t count);

// Reads the next picture of the source's format through `take` into `picture`, of the run's.
// In the run's format the planes Y, U, V go straight into place, in file order: one read a
// plane when its rows lie without gaps, one a row otherwise. Another format is read whole and
// then converted; a short read leaves the picture as it was. True when the picture came whole.
// The first picture whose samples exceed the peak of their depth gets one warning.
bool take_picture(Source *source, YuvFrame *picture, take_bytes_fn take);

// Bytes of one picture of the source's format.
int64_t source_picture_bytes(const Source *source);

// Ends the run: the source holds not one picture of the run's size behind a frame header of
// `frame_header_bytes`.
[[noreturn]] void refuse_no_whole_frame(const Source *source, int64_t frame_header_bytes);
