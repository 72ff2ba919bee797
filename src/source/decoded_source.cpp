#include "decoded_source.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
}

#include <sys/time.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "decoded_copy.h"
#include "decoded_counts.h"
#include "decoded_record.h"
#include "stream_facts.h"
#include "common/die.h"

// How far into a file its first frame must lie: what it cannot settle there is refused.
// A bitstream parser may read a whole device without finding one.
static const int64_t first_frame_bytes = (int64_t)8 << 20;

// Called by the library's reads: ends them when the first frame has not come in time, or
// a reopening that nobody waits for any more.
static int read_too_far(void *opaque)
{
    DecodedSource *s = (DecodedSource *)opaque;
    if (s->reopening && positioning_given_up(s))
        return 1;
    if (s->frames == 0 && s->format && s->format->pb &&
        avio_tell(s->format->pb) > first_frame_bytes)
        s->gave_up = true;
    return s->gave_up;
}


static void close_streams(DecodedSource *s)
{
    avcodec_free_context(&s->codec);
    avformat_close_input(&s->format);
}

// The reason in `why`, for a message that names the file.
static bool fail(DecodedSource *s, char *why, size_t size, const char *text, int error = 0)
{
    char reason[AV_ERROR_MAX_STRING_SIZE] = {};
    if (error)
        av_strerror(error, reason, sizeof reason);
    snprintf(why, size, "%s%s", text, reason);
    if (s->gave_up)
        snprintf(why, size, "holds no video frame in its first %lld MB",
                 (long long)(first_frame_bytes >> 20));
    close_streams(s);
    return false;
}

// The video stream that moves: cover art is one picture attached to other media.
static int moving_video_stream(AVFormatContext *format, const AVCodec **decoder)
{
    for (unsigned i = 0; i < format->nb_streams; i++)
        if (format->streams[i]->disposition & AV_DISPOSITION_ATTACHED_PIC)
            format->streams[i]->discard = AVDISCARD_ALL;
    int best = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, decoder, 0);
    if (best >= 0 && format->streams[best]->disposition & AV_DISPOSITION_ATTACHED_PIC)
        return AVERROR_STREAM_NOT_FOUND;
    return best;
}

// Opens the container and the decoder afresh: the way back to the first frame that every
// container and bitstream allows, and one that decodes exactly as the first time. On
// failure everything opened is released again and `why` says what went wrong.
static bool open_streams(DecodedSource *s, char *why, size_t size)
{
    const char *unusable = "can not be opened as video: ";
    s->format = avformat_alloc_context();
    if (!s->format)
        return fail(s, why, size, unusable, AVERROR(ENOMEM));
    s->format->probesize = 5 << 20;  // the library's own bounds, stated: a device never ends
    s->format->format_probesize = 1 << 20;
    s->format->interrupt_callback = {read_too_far, s};
    int error = avformat_open_input(&s->format, s->path, nullptr, nullptr);
    if (error < 0)
        return fail(s, why, size, unusable, error);
    error = avformat_find_stream_info(s->format, nullptr);
    if (error < 0)
        return fail(s, why, size, unusable, error);
    const AVCodec *decoder = nullptr;
    s->stream = moving_video_stream(s->format, &decoder);
    if (s->stream == AVERROR_STREAM_NOT_FOUND)
        return fail(s, why, size, "holds no video stream");
    if (s->stream < 0 || !decoder)
        return fail(s, why, size, "can not be opened as video: no decoder for its stream");
    s->codec = avcodec_alloc_context3(decoder);
    if (!s->codec)
        return fail(s, why, size, unusable, AVERROR(ENOMEM));
    error = avcodec_parameters_to_context(s->codec, s->format->streams[s->stream]->codecpar);
    if (error >= 0) {
        // One thread: frames decoded in parallel conceal damage differently from run to
        // run, and slices in parallel differently from one thread.
        s->codec->thread_count = 1;
        // Block QPs and motion, for the stream's facts and the viewer's overlay.
        s->codec->export_side_data |=
            AV_CODEC_EXPORT_DATA_VIDEO_ENC_PARAMS | AV_CODEC_EXPORT_DATA_MVS;
        error = avcodec_open2(s->codec, decoder, nullptr);
    }
    if (error < 0)
        return fail(s, why, size, unusable, error);
    s->flushed = s->ended = s->pending = false;
    s->next_frame = 0;
    return true;
}

// Back to the first frame; the file opened before, so a failure now is the file's change.
void reopen_streams(DecodedSource *s)
{
    close_streams(s);
    char why[300];
    s->reopening = true;
    bool opened = open_streams(s, why, sizeof why);
    s->reopening = false;
    bool given_up = positioning_given_up(s);
    if (!opened && !given_up)
        snprintf(s->failure, sizeof s->failure, "%s: %s\n", s->path, why);
    // Reads cut short by the give-up can leave the container at a false end; the next
    // positioning opens it again.
    if (opened && given_up)
        close_streams(s);
}

const char *decoding_failure(const DecodedSource *s)
{
    return s->failure[0] ? s->failure : nullptr;
}

void close_decoded(DecodedSource *s)
{
    if (s->counting.joinable())
        s->counting.join();
    close_streams(s);
    av_packet_free(&s->packet);
    av_frame_free(&s->frame);
    delete s;
}

// The next frame the decoder gives, feeding it packets as it asks; false at the end.
bool receive_frame(DecodedSource *s)
{
    if (s->pending) {
        s->pending = false;
        return true;
    }
    while (!s->ended) {
        int result = avcodec_receive_frame(s->codec, s->frame);
        if (result == 0)
            return true;
        if (result == AVERROR_EOF) {
            s->ended = true;
            break;
        }
        if (result != AVERROR(EAGAIN))
            continue;  // a frame that could not be decoded is missing, as in the tools
        if (s->flushed) {
            s->ended = true;
            break;
        }
        if (read_too_far(s)) {
            s->ended = true;
            break;
        }
        if (av_read_frame(s->format, s->packet) < 0) {
            avcodec_send_packet(s->codec, nullptr);
            s->flushed = true;
            continue;
        }
        if (s->packet->stream_index == s->stream)
            avcodec_send_packet(s->codec, s->packet);  // damage is concealed by the decoder
        av_packet_unref(s->packet);
    }
    return false;
}

static double seconds_now()
{
    timeval t;
    gettimeofday(&t, nullptr);
    return t.tv_sec + t.tv_usec / 1e6;
}

static bool like_first_frame(const DecodedSource *s, const AVFrame *frame)
{
    return frame->width == s->width && frame->height == s->height && frame->format == s->pix_fmt;
}

// One frame of the count: the first gives the sequence's geometry and format.
static void count_frame(DecodedSource *s)
{
    if (s->frames == 0)
        s->width = s->frame->width, s->height = s->frame->height, s->pix_fmt = s->frame->format;
    s->lost_at.push_back(!like_first_frame(s, s->frame));
    s->lost += s->lost_at.back();
    int64_t time = s->frame->best_effort_timestamp;
    s->timed = s->timed && time != AV_NOPTS_VALUE &&
               (s->frame_times.empty() || time > s->frame_times.back());
    if (s->timed)
        s->frame_times.push_back(time), s->key_frames.push_back(s->frame->key_frame);
    s->types.push_back(av_get_picture_type_char(s->frame->pict_type));
    av_frame_unref(s->frame);
    s->frames++;
}

// The frames after the first, on the counting thread: the length of the sequence, whatever
// the container says, and the times that make steps back to a key frame safe.
static void count_other_frames(DecodedSource *s)
{
    double start = seconds_now();
    while (receive_frame(s))
        count_frame(s);
    if (!s->timed)
        s->frame_times.clear(), s->key_frames.clear();
    s->counting_seconds = seconds_now() - start;
    remember_count(s);
    reopen_streams(s);
}

DecodedSource *open_decoded(const char *path)
{
    quiet_decoder_library();
    DecodedSource *s = new DecodedSource{};
    s->path = path;
    s->stream = -1;
    s->pix_fmt = AV_PIX_FMT_NONE;
    s->held_to = -1;
    s->timed = true;
    s->packet = av_packet_alloc();
    s->frame = av_frame_alloc();
    if (!s->packet || !s->frame)
        die(1, "Out of memory: could not allocate a decoder for %s\n", path);
    note_file_state(s);  // before reading: a change after it is a change of state
    char why[300];
    if (!open_streams(s, why, sizeof why)) {
        close_decoded(s);
        die(1, "%s: %s\n", path, why);
    }
    // What the stream says before any frame, as every reopening finds it again.
    s->rate = s->format->streams[s->stream]->avg_frame_rate;
    s->colorspace = s->codec->colorspace;
    s->color_range = s->codec->color_range;
    // Counted before: nothing is decoded until play reads.
    if (recall_count(s))
        return s;
    if (receive_frame(s))
        count_frame(s);
    if (s->frames == 0) {
        bool gave_up = s->gave_up;
        close_decoded(s);
        if (gave_up)
            die(1, "%s: holds no video frame in its first %lld MB\n", path,
                (long long)(first_frame_bytes >> 20));
        die(1, "%s: holds no video frame\n", path);
    }
    // The other sequences open, and count, meanwhile.
    s->counting = std::thread(count_other_frames, s);
    return s;
}

void finish_counting(DecodedSource *s)
{
    if (s->counting.joinable())
        s->counting.join();
    if (s->counting_seconds > 1.0)
        fprintf(stderr, "%s: counting its %lld frames took %.1f s\n", s->path,
                (long long)s->frames, s->counting_seconds);
    if (s->lost > 0)
        fprintf(stderr, "%s: %lld frames of another picture size or format are lost: the "
                        "picture before each is held\n", s->path, (long long)s->lost);
    if (s->failure[0])
        die(1, "%s", s->failure);
}

int decoded_width(const DecodedSource *s) { return s->width; }
int decoded_height(const DecodedSource *s) { return s->height; }
int64_t decoded_frame_count(const DecodedSource *s) { return s->frames; }

char decoded_frame_type(const DecodedSource *s, int64_t frame_number)
{
    return frame_number >= 0 && frame_number < s->frames ? s->types[(size_t)frame_number] : 0;
}

const char *decoded_format_name(const DecodedSource *s)
{
    const char *name = av_get_pix_fmt_name((AVPixelFormat)s->pix_fmt);
    return name ? name : "an unknown format";
}

const PixelFormat *decoded_format(const DecodedSource *s)
{
    return planar_twin(decoded_format_name(s));
}

bool decoded_rate(const DecodedSource *s, int *numerator, int *denominator)
{
    if (s->rate.num <= 0 || s->rate.den <= 0)
        return false;
    *numerator = s->rate.num;
    *denominator = s->rate.den;
    return true;
}

ColourConversion decoded_colours(const DecodedSource *s)
{
    ColourConversion said = {-1, -1};
    switch (s->colorspace) {
    case AVCOL_SPC_BT470BG:
    case AVCOL_SPC_SMPTE170M: said.matrix = matrix_bt601; break;
    case AVCOL_SPC_BT709: said.matrix = matrix_bt709; break;
    case AVCOL_SPC_BT2020_NCL: said.matrix = matrix_bt2020; break;
    default: break;
    }
    if (s->color_range == AVCOL_RANGE_MPEG)
        said.range = range_limited;
    else if (s->color_range == AVCOL_RANGE_JPEG || full_range_name(decoded_format_name(s)))
        said.range = range_full;
    return said;
}

bool decode_next(DecodedSource *s, AVFrame *frame, FrameFacts *facts)
{
    // The stream ends where counting from the start ended, also after a seek.
    if (!s->format || s->next_frame >= s->frames || !receive_frame(s))
        return false;
    *facts = facts_of_frame(s->frame);
    // A frame of another size or format is lost: the picture before it stays.
    if (like_first_frame(s, s->frame))
        av_frame_move_ref(frame, s->frame);
    av_frame_unref(s->frame);
    s->next_frame++;
    // The picture play reaches at a lost one is the one before it; the facts are its own.
    for (; s->next_frame <= s->held_to && receive_frame(s); s->next_frame++) {
        *facts = facts_of_frame(s->frame);
        av_frame_unref(s->frame);
    }
    s->held_to = -1;
    return true;
}
