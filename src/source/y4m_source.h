// What YUV4MPEG2 files and pipes share: the stream header settled with the other sequences and
// the length of the header in front of every frame.
#pragma once

#include <cstddef>
#include <cstdint>

#include "source.h"

// Parses the stream header at the start of `bytes`, settles its size and format and notes its
// rate in the source; returns its length. A malformed header ends the run.
int64_t take_y4m_header(Source *source, const char *bytes, size_t length);

// The length of the first frame header, found at the start of `bytes`; something else there
// ends the run. A file without frames counts a plain "FRAME\n", which keeps the arithmetic
// sound.
int64_t first_frame_header_length(const Source *source, const char *bytes, size_t length);

// Ends the run: frame `frame` does not start with a frame header of `length` bytes.
[[noreturn]] void refuse_frame_header(const Source *source, int64_t frame, int64_t length);
