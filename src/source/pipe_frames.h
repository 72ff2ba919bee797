// What raw and YUV4MPEG2 pipes share: pictures read in order, never positioned, each
// behind a frame header of one length (none in raw data), checked as it comes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "source.h"
#include "y4m.h"

// The record of a source read as a pipe.
struct PipeFrames {
    // What start-up had to take from the pipe to tell what it carries, waiting for the
    // first picture.
    char pending[y4m_max_frame_header_length];
    size_t pending_length, pending_used;
    int64_t frame_header_bytes;  // 0 for raw data
    int64_t frames_taken;        // frames read or dropped so far
};

// Starts the record of a pipe from which `pending` was taken already.
void open_pipe_frames(Source *source, const char *pending, size_t length,
                      int64_t frame_header_bytes);

// The operations both kinds fill their tables with.
int64_t pipe_frame_count(Source *source);
void pipe_refuse_empty(const Source *source);
bool pipe_skip(Source *source);
bool pipe_read(Source *source, YuvFrame *picture);
bool pipe_ended(const Source *source);
void pipe_close(Source *source);
