// What a decoded stream says of each of its frames: its type, what it cost and its
// quantiser. Raw and YUV4MPEG2 sequences say none of it.
#pragma once

#include <cstdint>

struct AVFrame;

struct FrameFacts {
    bool known;      // the picture is a decoded stream's frame; all below holds
    bool frozen;     // the freeze list held the picture: no frame was read for it
    char type;       // 'I', 'P', 'B', ... as the decoder says; '?' when it does not
    bool key;        // a key frame
    int64_t bytes;   // coded size of the packet(s) that made it; -1 when unknown
    int64_t time;    // presentation time in the stream's time base; no_frame_time when none
    bool has_qp;     // the decoder exports block parameters
    double mean_qp;  // their mean QP over the frame's blocks
};

const int64_t no_frame_time = INT64_MIN;

// The facts of a frame the decoder has just given.
FrameFacts facts_of_frame(const AVFrame *frame);

// The facts of a picture the freeze list holds.
inline FrameFacts frozen_facts()
{
    FrameFacts facts = {};
    facts.frozen = true;
    return facts;
}
