// Sequences that are encoded: a container or a bitstream, opened with libavformat and decoded
// with libavcodec frame by frame, in the decoder's output order.
#pragma once

#include <cstdint>

#include "common/colour_conversion.h"
#include "common/pixel_format.h"
#include "common/yuv_frame.h"

struct DecodedSource;

// Whether the file at `path` is to be decoded: its extension names a container or bitstream,
// or, for a file with another extension (raw YUV names excepted) whose content may be read,
// libavformat recognises one in it with confidence. Raw files stay raw whatever their name.
bool looks_encoded(const char *path, bool read_content);

// Opens the file's best video stream and its decoder. A file that cannot be opened, holds no
// video stream or has no decoder ends the run with a message naming it and status 1.
DecodedSource *open_decoded(const char *path);

// The stream's picture size and sample format; the format is null when the run cannot hold
// it, and `format_name` names it either way.
int decoded_width(const DecodedSource *source);
int decoded_height(const DecodedSource *source);
const PixelFormat *decoded_format(const DecodedSource *source);
const char *decoded_format_name(const DecodedSource *source);

// The stream's frame rate as a fraction; false when the container does not say.
bool decoded_rate(const DecodedSource *source, int *numerator, int *denominator);

// What the stream says of its colours: matrix and range, each -1 where it says nothing or
// names one the viewer does not convert with.
ColourConversion decoded_colours(const DecodedSource *source);

// Frames in the stream, one a packet, counted by demuxing without decoding; a count that
// takes longer than a second is said on standard error.
int64_t count_decoded_frames(DecodedSource *source);

// The next frame into `picture` (whose geometry and format match the stream's); false when
// the decoder has no more, and the picture is left as it was.
bool decode_next(DecodedSource *source, YuvFrame *picture);

// Frames are next delivered from frame `frame_number` on: forward by decoding and dropping,
// back by starting the decoder over.
void position_decoded(DecodedSource *source, int64_t frame_number);

// Whether a decode met the end of the stream.
bool decoded_ended(const DecodedSource *source);

void close_decoded(DecodedSource *source);
