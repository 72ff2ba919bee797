// What a decoded stream says of each of its frames: its type, what it cost and its
// quantiser. Raw and YUV4MPEG2 sequences say none of it.
#pragma once

#include <cstdint>
#include <vector>

struct AVFrame;

// A block of the picture and the QP it was coded with, in luma samples of the whole picture.
struct BlockQp {
    int x, y, width, height;
    int qp;
};

// A block's motion: from where the block lies to where its content came from in the
// reference, in luma samples of the whole picture.
struct MotionLine {
    int from_x, from_y, to_x, to_y;
};

struct FrameFacts {
    bool known;      // the picture is a decoded stream's frame; all below holds
    bool frozen;     // the freeze list held the picture: no frame was read for it
    char type;       // 'I', 'P', 'B', ... as the decoder says; '?' when it does not
    bool key;        // a key frame
    int64_t bytes;   // coded size of the packet(s) that made it; -1 when unknown
    int64_t time;    // presentation time in the stream's time base; no_frame_time when none
    bool has_qp;     // the decoder exports block parameters
    double mean_qp;  // their mean QP over the frame's blocks
    // The decoder's side data of the picture read, for the viewer's overlay: empty where it
    // exports none, and until a read takes them from its frame (take_frame_blocks).
    std::vector<BlockQp> blocks;
    std::vector<MotionLine> motion;
};

const int64_t no_frame_time = INT64_MIN;

// The facts of a frame the decoder has just given.
FrameFacts facts_of_frame(const AVFrame *frame);

// The blocks and motion of `frame` into `facts`, in the room their vectors already have.
void take_frame_blocks(const AVFrame *frame, FrameFacts *facts);

// No facts, or those of a picture the freeze list holds; the vectors keep their room.
inline void forget_facts(FrameFacts *facts, bool frozen = false)
{
    std::vector<BlockQp> blocks;
    std::vector<MotionLine> motion;
    blocks.swap(facts->blocks), motion.swap(facts->motion);
    *facts = FrameFacts{};
    facts->frozen = frozen;
    blocks.clear(), motion.clear();
    facts->blocks.swap(blocks), facts->motion.swap(motion);
}
