// Positioning an encoded sequence on any frame: back by a key frame where its frames come
// at their places, else by starting over; forward by decoding and dropping.
#include <algorithm>

#include "decoded_record.h"
#include "decoded_source.h"

// The frame just received is frame next_frame: false when its time says otherwise.
static bool at_its_place(const DecodedSource *s)
{
    size_t at = (size_t)s->next_frame;
    return s->frame_times.empty() ||
           (at < s->frame_times.size() && s->frame->best_effort_timestamp == s->frame_times[at]);
}

// Back to the latest key frame at or before frame `frame_number`, by the container's
// index. Only a key frame that the decoder gives first, at its own place in output order,
// is taken. Otherwise false, and the decoder is where it was or needs reopening.
static bool seek_back(DecodedSource *s, int64_t frame_number)
{
    if (s->frame_times.empty() || frame_number >= (int64_t)s->frame_times.size())
        return false;
    int64_t key = frame_number;
    while (key >= 0 && !s->key_frames[(size_t)key])
        key--;
    if (key < 0 ||
        av_seek_frame(s->format, s->stream, s->frame_times[(size_t)key], AVSEEK_FLAG_BACKWARD) < 0)
        return false;
    avcodec_flush_buffers(s->codec);
    s->flushed = s->ended = s->pending = false;
    if (!receive_frame(s))
        return false;
    auto at = std::lower_bound(s->frame_times.begin(), s->frame_times.end(),
                               s->frame->best_effort_timestamp);
    bool usable = s->frame->key_frame && at != s->frame_times.end() &&
                  *at == s->frame->best_effort_timestamp &&
                  at - s->frame_times.begin() <= frame_number;
    if (!usable) {
        av_frame_unref(s->frame);
        return false;
    }
    s->next_frame = at - s->frame_times.begin();
    s->pending = true;
    return true;
}

bool positioning_given_up(const DecodedSource *s)
{
    return s->give_up && s->give_up(s->give_up_context);
}

// Decodes and drops up to frame `frame_number`, which then waits as the pending frame.
// False when a frame came at another place than decoding from the start put it; true also
// when given up on, short of the frame.
static bool decode_up_to(DecodedSource *s, int64_t frame_number)
{
    while (s->next_frame <= frame_number && s->next_frame < s->frames && !positioning_given_up(s) &&
           receive_frame(s)) {
        if (!at_its_place(s)) {
            av_frame_unref(s->frame);
            return false;
        }
        if (s->next_frame == frame_number) {
            s->pending = true;
            return true;
        }
        av_frame_unref(s->frame);
        s->next_frame++;
    }
    return true;
}

void position_decoded(DecodedSource *s, int64_t frame_number)
{
    // A lost frame shows the picture before it, as play would: that frame is read instead.
    s->held_to = -1;
    if (!s->format)  // a reopening was given up on
        reopen_streams(s);
    if (!s->format)
        return;
    if (frame_number < s->frames && s->lost_at[(size_t)frame_number]) {
        s->held_to = frame_number;
        while (s->lost_at[(size_t)frame_number])
            frame_number--;  // frame 0 sets the format, so it is never lost
    }
    if (frame_number == s->next_frame)
        return;
    bool sought = frame_number < s->next_frame && seek_back(s, frame_number);
    if (frame_number < s->next_frame && !sought)
        reopen_streams(s);
    if (!s->format)
        return;
    if (!decode_up_to(s, frame_number)) {  // the seek gave other frames: from the start
        reopen_streams(s);
        if (s->format)
            decode_up_to(s, frame_number);
    }
}

void give_up_positioning_when(DecodedSource *s, bool (*give_up)(void *), void *context)
{
    s->give_up = give_up;
    s->give_up_context = context;
}
