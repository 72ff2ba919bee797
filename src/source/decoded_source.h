// Sequences that are encoded: a container or a bitstream, opened with libavformat and decoded
// with libavcodec frame by frame, in the decoder's output order.
#pragma once

#include <cstdint>

#include "common/colour_conversion.h"
#include "common/pixel_format.h"
#include "common/yuv_frame.h"

struct AVFrame;
struct DecodedSource;

// Whether the file at `path` is to be decoded: its extension names a container, bitstream
// or picture format, or, for a file with another name that says no size or format (raw YUV
// names excepted), whose content may be read, a demuxer recognises its first megabyte with
// confidence. Raw files stay raw whatever their name.
bool looks_encoded(const char *path, bool read_content);

// The library's own messages off: damage is concealed, not reported.
void quiet_decoder_library();

// Opens the file's video stream (cover art is none) and its decoder, decodes its first frame
// and starts counting the frames the decoder gives from the start on a thread of its own, so
// that the sequences of a run count in parallel; a count kept from an earlier run of the same
// file (decoded_counts.h) is taken instead. A file that cannot be opened, holds no video
// stream, no frame, or no frame in its first megabytes, or has no decoder ends the run with a
// message naming it and status 1.
DecodedSource *open_decoded(const char *path);

// Waits for the count, once; every function below but the first frame's geometry, format, rate and
// colours, and close_decoded, needs it finished. Frames of another size or format than the
// first are lost (one line on standard error counts them); a file that changed during the
// count ends the run with a message naming it and status 1.
void finish_counting(DecodedSource *source);

// The first frame's picture size and sample format; the format is null when the run cannot
// hold it, and `format_name` names it either way. Full-range "yuvj" formats are their planar
// twins.
int decoded_width(const DecodedSource *source);
int decoded_height(const DecodedSource *source);
const PixelFormat *decoded_format(const DecodedSource *source);
const char *decoded_format_name(const DecodedSource *source);

// The stream's frame rate as a fraction; false when the container does not say.
bool decoded_rate(const DecodedSource *source, int *numerator, int *denominator);

// What the stream says of its colours: matrix and range, each -1 where it says nothing or
// names one the viewer does not convert with.
ColourConversion decoded_colours(const DecodedSource *source);

// The frames the decoder gives, counted when the file was opened.
int64_t decoded_frame_count(const DecodedSource *source);

// The type of frame `frame_number` as counting found it ('I', 'P', ...; '?' unknown); 0 past
// the end. Made by counting, before any thread decodes for play, so safe to ask from any.
char decoded_frame_type(const DecodedSource *source, int64_t frame_number);

// The next frame, its reference moved into the empty `frame` (copy_decoded_frame gives its
// pixels), and what the stream says of it into `facts`; false at the end of the count. A
// lost frame leaves `frame` empty, and counts as read, with facts of its own.
struct FrameFacts;
bool decode_next(DecodedSource *source, AVFrame *frame, FrameFacts *facts);

// Frames are next delivered from frame `frame_number` on: forward by decoding and dropping,
// back by a key frame whose frames come at their places, or else by starting over.
void position_decoded(DecodedSource *source, int64_t frame_number);

// `give_up(context)` is asked between the frames that position_decoded decodes and drops; when
// it says true, positioning stops short and the next position_decoded starts from there.
void give_up_positioning_when(DecodedSource *source, bool (*give_up)(void *), void *context);

// Why the decoder could not go on after the file changed under it (a line naming the file),
// or null. Decoding then gives no more frames.
const char *decoding_failure(const DecodedSource *source);

void close_decoded(DecodedSource *source);
