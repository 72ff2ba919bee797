// YUV4MPEG2 headers: the stream header at the start of a file and the header in front of
// every frame. Parsed from bytes in memory, so that they can be tested and fuzzed alone.
#pragma once

#include <cstddef>

struct PixelFormat;

const char y4m_magic[] = "YUV4MPEG2 ";
const size_t y4m_magic_length = sizeof y4m_magic - 1;
// A stream header longer than this is refused; real ones are a few dozen bytes.
const size_t y4m_max_header_length = 65536;
// Likewise for the header in front of each frame.
const size_t y4m_max_frame_header_length = 4096;

struct Y4mHeader {
    int width;
    int height;
    int rate_numerator;    // from the F tag; both 0 when the tag is absent or unusable
    int rate_denominator;
    size_t length;         // bytes of the header, its newline included
    const PixelFormat *format;  // from the C tag; yuv420p without one
    int colour_range;  // ColourRange of an XCOLORRANGE=LIMITED or =FULL tag; -1 without
};

// True when `bytes` start like a YUV4MPEG2 file.
bool has_y4m_magic(const char *bytes, size_t length);

// Parses the stream header at the start of `bytes` (which need not end in a NUL).
// Accepts the C tags of 4:2:0 (C420jpeg, C420paldv, C420mpeg2, C420 or none), C422, C444
// and Cmono, and their 10-, 12- and 16-bit forms (C420p10, Cmono12, ...), at a picture size
// this program supports. On failure returns false and writes a one-line
// reason, without newline, into `error`.
bool parse_y4m_header(const char *bytes, size_t length, Y4mHeader *header, char *error,
                      size_t error_size);

// Length of the frame header "FRAME[ parameters]\n" at the start of `bytes`, newline
// included, or 0 when there is none within `length` bytes.
size_t y4m_frame_header_length(const char *bytes, size_t length);
