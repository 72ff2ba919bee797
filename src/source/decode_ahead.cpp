#include "decode_ahead.h"

extern "C" {
#include <libavutil/frame.h>
}

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "decoded_copy.h"
#include "decoded_source.h"
#include "common/die.h"

DecodeWaits decode_waits = {nullptr, false};

// Pictures decoded ahead of the reads: enough to ride out a slow frame, few enough that
// memory does not grow with the stream.
static const int ahead_frames = 4;
// How often a read that waits asks whether to give up.
static const std::chrono::milliseconds give_up_check(20);
// Pictures kept after they were read, so that a step back among them decodes nothing: as
// many as fit in the memory below, at least one.
static const int most_behind = 8;
static const int64_t behind_bytes = (int64_t)64 << 20;

struct DecodeAhead {
    DecodedSource *decoder;
    std::thread thread;
    bool running;
    std::mutex lock;                  // guards what follows up to the reader's own state
    std::condition_variable changed;  // a picture came, one was taken, or an order
    DecodedPicture slots[ahead_frames];
    int first, count;     // the waiting pictures: slots[first] and on, in order
    int64_t restart_at;   // -1, or the frame on which to position the decoder next
    int64_t decoding;     // the frame that the thread decodes next
    uint64_t generation;  // counts positions: a picture decoded for an older one is dropped
    bool at_end;          // the last picture waiting is the end: nothing more to decode
    bool stop;
    // The reader's own: what the next read gives and whether a read met the end, and the
    // pictures read last, frames behind_end - behind_count up to behind_end, which the
    // waiting ones follow.
    int64_t next;
    bool ended;
    FrameFacts read_facts;  // of the frame read last; not known when none was
    AVFrame *behind[most_behind];
    FrameFacts behind_facts[most_behind];
    bool behind_lost[most_behind];
    int behind_capacity, behind_first, behind_count;
    int64_t behind_end;
};

bool give_up_reads_now()
{
    if (!decode_waits.given_up && decode_waits.give_up && decode_waits.give_up())
        decode_waits.given_up = true;
    return decode_waits.given_up;
}

static bool must_stop_positioning(void *context)
{
    DecodeAhead *a = (DecodeAhead *)context;
    std::lock_guard<std::mutex> hold(a->lock);
    return a->stop || a->restart_at >= 0;
}

static bool has_work(const DecodeAhead *a)
{
    return a->stop || a->restart_at >= 0 || (a->count < ahead_frames && !a->at_end);
}

static void decode_ahead_loop(DecodeAhead *a)
{
    AVFrame *frame = av_frame_alloc();
    if (!frame)
        die(1, "Out of memory: could not allocate a decoded frame\n");
    std::unique_lock<std::mutex> hold(a->lock);
    for (;;) {
        a->changed.wait(hold, [a] { return has_work(a); });
        if (a->stop)
            break;
        if (a->restart_at >= 0) {
            int64_t at = a->restart_at;
            a->restart_at = -1;
            a->decoding = at;
            hold.unlock();
            position_decoded(a->decoder, at);
            hold.lock();
            continue;
        }
        int64_t number = a->decoding;
        uint64_t generation = a->generation;
        hold.unlock();
        FrameFacts facts = {};
        bool decoded = decode_next(a->decoder, frame, &facts);
        hold.lock();
        if (generation != a->generation) {
            av_frame_unref(frame);
            continue;
        }
        DecodedPicture &slot = a->slots[(a->first + a->count) % ahead_frames];
        av_frame_move_ref(slot.frame, frame);
        slot.number = number;
        slot.end = !decoded;
        slot.facts = facts;
        a->count++;
        a->decoding++;
        a->at_end = !decoded;
        a->changed.notify_all();
    }
    av_frame_free(&frame);
}

// What one picture of the sequence takes at most, for the pictures kept behind.
static int64_t picture_bytes(const DecodedSource *decoder)
{
    int64_t samples = (int64_t)decoded_width(decoder) * decoded_height(decoder) * 3;
    return decoded_format(decoder)->bit_depth > 8 ? 2 * samples : samples;
}

DecodeAhead *prepare_decoding_ahead(DecodedSource *decoder)
{
    DecodeAhead *a = new DecodeAhead{};
    a->decoder = decoder;
    a->restart_at = 0;
    for (DecodedPicture &slot : a->slots)
        if (!(slot.frame = av_frame_alloc()))
            die(1, "Out of memory: could not allocate a decoded frame\n");
    a->behind_capacity = (int)std::max<int64_t>(
        1, std::min<int64_t>(most_behind, behind_bytes / std::max<int64_t>(1, picture_bytes(decoder))));
    for (int i = 0; i < a->behind_capacity; i++)
        if (!(a->behind[i] = av_frame_alloc()))
            die(1, "Out of memory: could not allocate a decoded frame\n");
    give_up_positioning_when(decoder, must_stop_positioning, a);
    return a;
}

static void start(DecodeAhead *a)
{
    if (!a->running)
        a->thread = std::thread(decode_ahead_loop, a);
    a->running = true;
}

void stop_decoding_ahead(DecodeAhead *a)
{
    if (a->running) {
        {
            std::lock_guard<std::mutex> hold(a->lock);
            a->stop = true;
        }
        a->changed.notify_all();
        a->thread.join();
    }
    give_up_positioning_when(a->decoder, nullptr, nullptr);
    for (DecodedPicture &slot : a->slots)
        av_frame_free(&slot.frame);
    for (int i = 0; i < a->behind_capacity; i++)
        av_frame_free(&a->behind[i]);
    delete a;
}

// With the lock held.
static void drop_first(DecodeAhead *a)
{
    if (a->slots[a->first].end)
        a->at_end = false;
    av_frame_unref(a->slots[a->first].frame);
    a->first = (a->first + 1) % ahead_frames;
    a->count--;
}

static bool kept_behind(const DecodeAhead *a, int64_t frame_number)
{
    return frame_number < a->behind_end && frame_number >= a->behind_end - a->behind_count;
}

// Where a kept frame is in the ring.
static int behind_index(const DecodeAhead *a, int64_t frame_number)
{
    int back = (int)(a->behind_end - frame_number);  // 1 for the last picture read
    return (a->behind_first + a->behind_count - back) % a->behind_capacity;
}

static void forget_behind(DecodeAhead *a, int64_t frame_number)
{
    for (int i = 0; i < a->behind_capacity; i++)
        av_frame_unref(a->behind[i]);
    a->behind_first = a->behind_count = 0;
    a->behind_end = frame_number;
}

// The first waiting picture, which the reader owns, goes behind with its facts; a lost frame
// is kept as the picture before it, which is what it shows.
static void keep_first_behind(DecodeAhead *a)
{
    DecodedPicture &head = a->slots[a->first];
    if (head.number != a->behind_end)  // not next to the ones behind: they are of no use
        forget_behind(a, head.number);
    if (a->behind_count == a->behind_capacity) {
        av_frame_unref(a->behind[a->behind_first]);
        a->behind_first = (a->behind_first + 1) % a->behind_capacity;
        a->behind_count--;
    }
    int kept = (a->behind_first + a->behind_count) % a->behind_capacity;
    const AVFrame *shown = head.frame->data[0] ? head.frame
                           : a->behind_count > 0 ? a->behind[behind_index(a, a->behind_end - 1)]
                                                 : nullptr;
    if (shown && av_frame_ref(a->behind[kept], shown) < 0)
        die(1, "Out of memory: could not keep a decoded frame\n");
    a->behind_facts[kept] = head.facts;
    a->behind_lost[kept] = !head.frame->data[0];
    a->behind_count++;
    a->behind_end++;
}

// The waiting pictures begin with frame `frame_number`: those before it go behind, and the
// decoder starts there afresh when it is not among them or next.
static void position_waiting(DecodeAhead *a, int64_t frame_number)
{
    start(a);
    std::lock_guard<std::mutex> hold(a->lock);
    while (a->count > 0 && !a->slots[a->first].end && a->slots[a->first].number < frame_number) {
        keep_first_behind(a);
        drop_first(a);
    }
    bool waiting = a->count > 0 && a->slots[a->first].number == frame_number;
    bool decoding_next = a->count == 0 && a->restart_at < 0 && !a->at_end &&
                         a->decoding == frame_number;
    if (!waiting && !decoding_next) {
        while (a->count > 0)
            drop_first(a);
        a->restart_at = frame_number;
        a->generation++;
    }
    a->changed.notify_all();
}

void position_ahead(DecodeAhead *a, int64_t frame_number)
{
    if (frame_number == a->next)
        return;
    // Positioned further after meeting the end, it stays there; anywhere before, it is left.
    a->ended = a->ended && frame_number > a->next;
    a->next = frame_number;
    // A frame kept behind is read again from there, and the waiting pictures go on after them.
    if (kept_behind(a, frame_number)) {
        position_waiting(a, a->behind_end);
        return;
    }
    if (frame_number < a->behind_end)
        forget_behind(a, frame_number);
    position_waiting(a, frame_number);
}

// Until a picture waits; false when the reader gives up first.
static bool wait_for_picture(DecodeAhead *a, std::unique_lock<std::mutex> &hold)
{
    while (a->count == 0) {
        if (decode_waits.given_up)
            return false;
        if (a->changed.wait_for(hold, give_up_check, [a] { return a->count > 0; }))
            break;
        hold.unlock();
        bool given_up = give_up_reads_now();
        hold.lock();
        if (given_up)
            return false;
    }
    return true;
}

static void copy_picture(const DecodeAhead *a, const AVFrame *frame, YuvFrame *picture)
{
    if (frame->data[0])
        copy_decoded_frame(frame->data, frame->linesize, decoded_format(a->decoder)->bit_depth,
                           picture);
}

bool read_ahead(DecodeAhead *a, YuvFrame *picture)
{
    if (kept_behind(a, a->next)) {
        int kept = behind_index(a, a->next++);
        copy_picture(a, a->behind[kept], picture);
        a->read_facts = a->behind_facts[kept];
        if (!a->behind_lost[kept])  // a lost frame has no blocks of its own
            take_frame_blocks(a->behind[kept], &a->read_facts);
        return true;
    }
    start(a);
    forget_facts(&a->read_facts);
    std::unique_lock<std::mutex> hold(a->lock);
    if (!wait_for_picture(a, hold))
        return false;
    DecodedPicture &head = a->slots[a->first];
    if (head.end) {
        // The run ends here, not on the decoding thread, which must not end it itself.
        if (const char *failure = decoding_failure(a->decoder))
            die(1, "%s", failure);
        a->ended = true;
        return false;
    }
    a->read_facts = head.facts;  // copied into the room of the blocks before
    // The thread fills only the slots after the waiting ones: this one is the reader's.
    hold.unlock();
    copy_picture(a, head.frame, picture);
    take_frame_blocks(head.frame, &a->read_facts);
    keep_first_behind(a);
    hold.lock();
    drop_first(a);
    a->next++;
    a->changed.notify_all();
    return true;
}

const FrameFacts *ahead_facts(const DecodeAhead *a)
{
    return a->read_facts.known ? &a->read_facts : nullptr;
}

bool ahead_ended(const DecodeAhead *a)
{
    return a->ended;
}
