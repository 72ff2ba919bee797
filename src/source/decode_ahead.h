// Decoding ahead: an encoded sequence decodes on a thread of its own into a few pictures
// that wait in order, so that the sequences decode beside each other and beside display
// and measurement; the last few pictures read are kept, so that a step back takes one of
// them. Once that thread runs, only it touches the decoder; pictures and their order are
// those of decoding in turn.
#pragma once

#include <cstdint>

#include "stream_facts.h"
#include "common/yuv_frame.h"

struct AVFrame;
struct DecodeAhead;
struct DecodedSource;

// One decoded frame waiting to be read: a record, so that facts of the frame can travel
// with its pixels.
struct DecodedPicture {
    int64_t number;  // the frame of the sequence it is
    AVFrame *frame;  // its pixels; empty for a lost frame, which leaves the picture before it
    bool end;        // no frame: the stream ended here
    FrameFacts facts;  // what the stream says of it
};

// What a read does that has to wait for its decoder, for every sequence: now and then it
// asks `give_up`; once that says true, the read and every read after it that would wait
// fail as at the end of the stream, without waiting, until `given_up` is cleared.
struct DecodeWaits {
    bool (*give_up)();
    bool given_up;
};
extern DecodeWaits decode_waits;

// Asks `give_up` now, between the frames of a long task; true once given up.
bool give_up_reads_now();

// The pictures of `decoder` waiting ahead of the reads; the thread starts at the first
// position or read, on frame 0 unless positioned.
DecodeAhead *prepare_decoding_ahead(DecodedSource *decoder);

// Ends the thread, leaving the decoder free to close.
void stop_decoding_ahead(DecodeAhead *ahead);

// The next read gives frame `frame_number`: from the last pictures read, which are kept for
// steps back, or from the waiting ones (those before it are passed), or else the decoder is
// positioned there afresh.
void position_ahead(DecodeAhead *ahead, int64_t frame_number);

// The next frame into `picture`, as decode_next gives it: false at the end of the stream
// (or given up), and the picture is left as it was. A lost frame leaves it too.
bool read_ahead(DecodeAhead *ahead, YuvFrame *picture);

// What the stream says of the frame read last; null when the last read gave none.
const FrameFacts *ahead_facts(const DecodeAhead *ahead);

// Whether a read met the end of the stream since the last position elsewhere.
bool ahead_ended(const DecodeAhead *ahead);
