#include "stream_facts.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/motion_vector.h>
#include <libavutil/video_enc_params.h>
}

// The frame's QP and each block's own; a decoder that exports the frame's alone has one
// block of that QP.
static void mean_qp_of(const AVFrame *frame, FrameFacts *facts)
{
    const AVFrameSideData *side = av_frame_get_side_data(frame, AV_FRAME_DATA_VIDEO_ENC_PARAMS);
    if (!side)
        return;
    AVVideoEncParams *params = (AVVideoEncParams *)side->data;
    int64_t sum = 0;
    for (unsigned i = 0; i < params->nb_blocks; i++)
        sum += params->qp + av_video_enc_params_block(params, i)->delta_qp;
    facts->has_qp = true;
    facts->mean_qp = params->nb_blocks ? (double)sum / params->nb_blocks : params->qp;
}

FrameFacts facts_of_frame(const AVFrame *frame)
{
    FrameFacts facts = {};
    facts.known = true;
    facts.type = av_get_picture_type_char(frame->pict_type);
    facts.key = frame->key_frame;
    facts.bytes = frame->pkt_size >= 0 ? frame->pkt_size : -1;
    facts.time = frame->pts == AV_NOPTS_VALUE ? no_frame_time : frame->pts;
    mean_qp_of(frame, &facts);
    return facts;
}

void take_frame_blocks(const AVFrame *frame, FrameFacts *facts)
{
    facts->blocks.clear();
    facts->motion.clear();
    const AVFrameSideData *side = av_frame_get_side_data(frame, AV_FRAME_DATA_VIDEO_ENC_PARAMS);
    if (side) {
        const AVVideoEncParams *params = (const AVVideoEncParams *)side->data;
        for (unsigned i = 0; i < params->nb_blocks; i++) {
            const AVVideoBlockParams *b =
                av_video_enc_params_block(const_cast<AVVideoEncParams *>(params), i);
            facts->blocks.push_back({b->src_x, b->src_y, b->w, b->h, params->qp + b->delta_qp});
        }
    }
    side = av_frame_get_side_data(frame, AV_FRAME_DATA_MOTION_VECTORS);
    if (!side)
        return;
    const AVMotionVector *vectors = (const AVMotionVector *)side->data;
    for (size_t i = 0; i < side->size / sizeof *vectors; i++)
        facts->motion.push_back({vectors[i].dst_x, vectors[i].dst_y, vectors[i].src_x,
                                 vectors[i].src_y});
}
