// The record behind a DecodedSource, shared by its reading (decoded_source.cpp) and its
// positioning (decoded_seek.cpp).
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <cstdint>
#include <thread>
#include <vector>

// What tells one state of a file from another: see decoded_counts.h.
static const int file_state_fields = 10;

struct DecodedSource {
    const char *path;
    int64_t file_state[file_state_fields];  // noted before opening, for the kept counts
    bool state_noted;
    AVFormatContext *format;
    AVCodecContext *codec;
    int stream;
    // The first frame's geometry and format: what every picture of the sequence holds.
    int width, height, pix_fmt;
    AVPacket *packet;
    AVFrame *frame;
    bool flushed;       // the demuxer ran out and the decoder was told so
    bool ended;         // the decoder has given its last frame
    bool pending;       // `frame` holds the next frame already, received while seeking
    bool gave_up;       // no first frame in the first first_frame_bytes of the file
    int64_t next_frame; // the number of the frame decode_next gives next
    int64_t frames;     // what the decoder gives from the start, counted at opening
    int64_t lost;       // of those, frames of another size or format
    std::vector<bool> lost_at;  // which they are
    int64_t held_to;    // after a seek to a lost frame: decode_next drops the frames up to it
    // Made while counting: the time of every frame in output order and whether it is a key
    // frame. Empty when a frame has no time or times do not rise, which leaves only the
    // way back by starting over.
    std::vector<int64_t> frame_times;
    std::vector<bool> key_frames;
    std::vector<char> types;  // of every frame in output order, as in FrameFacts; never cleared
    bool timed;               // every frame counted so far has a time, later than the one before
    // Counting after the first frame runs on its own thread, which owns the record until
    // finish_counting joins it, and the seconds it took.
    std::thread counting;
    double counting_seconds;
    // What the stream says before any frame is decoded, kept from the first opening.
    AVRational rate;
    int colorspace, color_range;
    bool (*give_up)(void *);  // asked between frames that positioning decodes and drops
    void *give_up_context;
    bool reopening;           // its reads end when positioning is given up on
    // Why opening the file again failed: reopening may run on the decoding thread, which
    // must not end the run itself; the reader ends it with this message.
    char failure[400];
};

// The next frame the decoder gives into s->frame, feeding it packets as it asks; false at
// the end.
bool receive_frame(DecodedSource *s);

// Back to the first frame by opening the file again. On failure, and when given up on, the
// streams stay closed (format null): a failure is kept in `failure`, a give-up leaves the
// opening to the next position.
void reopen_streams(DecodedSource *s);

// Whether whoever waits for the decoder no longer wants the frame it is positioned on.
bool positioning_given_up(const DecodedSource *s);
