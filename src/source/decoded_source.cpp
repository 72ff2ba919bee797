#include "decoded_source.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
}

#include <strings.h>
#include <sys/time.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "common/die.h"

struct DecodedSource {
    const char *path;
    AVFormatContext *format;
    AVCodecContext *codec;
    int stream;
    int pix_fmt;        // as the stream was opened the first time: what the pictures hold
    AVPacket *packet;
    AVFrame *frame;
    bool flushed;       // the demuxer ran out and the decoder was told so
    bool ended;         // the decoder has given its last frame
    bool pending;       // `frame` holds the next frame already, received while seeking
    int64_t next_frame; // the number of the frame decode_next gives next
    // Made while counting, for steps back: the presentation time of every frame in output
    // order, and those of the key frames. Empty when the stream does not give them all, or
    // when a frame decoded from the start came at another time than its place says (one
    // the decoder could not give, say).
    std::vector<int64_t> frame_times, key_times;
    int64_t verified;   // frames from the first on that came at their times
    bool from_start;    // decoding since the start, not since a seek
};

// Containers and bitstreams by their usual extensions, and raw YUV by its own.
static const char *const encoded_extensions[] = {
    "mkv", "mp4", "mov", "m4v", "webm", "ivf", "264", "h264", "avc", "265", "h265", "hevc",
    "ts",  "m2ts", "mts", "avi", "obu", "mpg", "mpeg", "m2v", "flv", "3gp", "mxf", "nut"};
static const char *const raw_extensions[] = {"yuv", "raw", "i420", "iyuv", "yv12", "nv12",
                                              "y4m", "rgb", "gray", "grey"};

// What a content probe may claim: containers and bitstreams of encoded video, never the
// raw and picture formats that raw YUV or a damaged YUV4MPEG2 file could pass for.
static const char *const probed_formats[] = {
    "matroska,webm", "mov,mp4,m4a,3gp,3g2,mj2", "ivf", "h264", "hevc", "mpegts", "avi",
    "obu", "mpeg", "mpegvideo", "m4v", "flv", "mxf", "nut"};

static bool name_in(const char *name, const char *const *list, size_t count)
{
    for (size_t i = 0; i < count; i++)
        if (strcmp(name, list[i]) == 0)
            return true;
    return false;
}

static bool extension_in(const char *path, const char *const *list, size_t count)
{
    const char *dot = strrchr(path, '.');
    const char *slash = strrchr(path, '/');
    if (!dot || (slash && dot < slash))
        return false;
    for (size_t i = 0; i < count; i++)
        if (strcasecmp(dot + 1, list[i]) == 0)
            return true;
    return false;
}

static void quiet_library()
{
    static bool done = false;
    if (!done)
        av_log_set_level(AV_LOG_QUIET);  // decode errors are concealed, not reported
    done = true;
}

bool looks_encoded(const char *path, bool read_content)
{
    if (extension_in(path, raw_extensions, sizeof raw_extensions / sizeof *raw_extensions))
        return false;
    if (extension_in(path, encoded_extensions,
                     sizeof encoded_extensions / sizeof *encoded_extensions))
        return true;
    if (!read_content)
        return false;
    // Content: only what a video demuxer claims more firmly than a guess by the name would.
    quiet_library();
    FILE *file = fopen(path, "rb");
    if (!file)
        return false;
    unsigned char buffer[4096 + AVPROBE_PADDING_SIZE] = {};
    size_t got = fread(buffer, 1, 4096, file);
    fclose(file);
    AVProbeData probe = {path, buffer, (int)got, nullptr};
    int score = 0;
    const AVInputFormat *format = av_probe_input_format3(&probe, 1, &score);
    return format && score > AVPROBE_SCORE_EXTENSION &&
           name_in(format->name, probed_formats, sizeof probed_formats / sizeof *probed_formats);
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
    close_streams(s);
    return false;
}

// Opens the container and the decoder afresh: the way back to the first frame that every
// container and bitstream allows, and one that decodes exactly as the first time. On
// failure everything opened is released again and `why` says what went wrong.
static bool open_streams(DecodedSource *s, char *why, size_t size)
{
    const char *unusable = "can not be opened as video: ";
    int error = avformat_open_input(&s->format, s->path, nullptr, nullptr);
    if (error < 0)
        return fail(s, why, size, unusable, error);
    error = avformat_find_stream_info(s->format, nullptr);
    if (error < 0)
        return fail(s, why, size, unusable, error);
    const AVCodec *decoder = nullptr;
    s->stream = av_find_best_stream(s->format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (s->stream == AVERROR_STREAM_NOT_FOUND)
        return fail(s, why, size, "holds no video stream");
    if (s->stream < 0 || !decoder)
        return fail(s, why, size, "can not be opened as video: no decoder for its stream");
    s->codec = avcodec_alloc_context3(decoder);
    if (!s->codec)
        return fail(s, why, size, unusable, AVERROR(ENOMEM));
    error = avcodec_parameters_to_context(s->codec, s->format->streams[s->stream]->codecpar);
    if (error >= 0) {
        s->codec->thread_count = 0;  // as many as libavcodec finds useful
        error = avcodec_open2(s->codec, decoder, nullptr);
    }
    if (error < 0)
        return fail(s, why, size, unusable, error);
    s->flushed = s->ended = s->pending = false;
    s->next_frame = 0;
    s->from_start = true;
    return true;
}

// Back to the first frame; the file opened before, so a failure now is the file's change.
static void reopen_streams(DecodedSource *s)
{
    close_streams(s);
    char why[300];
    if (!open_streams(s, why, sizeof why))
        die(1, "%s: %s\n", s->path, why);
}

void close_decoded(DecodedSource *s)
{
    close_streams(s);
    av_packet_free(&s->packet);
    av_frame_free(&s->frame);
    delete s;
}

DecodedSource *open_decoded(const char *path)
{
    quiet_library();
    DecodedSource *s = new DecodedSource{path,  nullptr, nullptr, -1, AV_PIX_FMT_NONE,
                                         av_packet_alloc(), av_frame_alloc(), false, false,
                                         false, 0, {}, {}, 0, true};
    if (!s->packet || !s->frame)
        die(1, "Out of memory: could not allocate a decoder for %s\n", path);
    char why[300];
    if (!open_streams(s, why, sizeof why)) {
        close_decoded(s);
        die(1, "%s: %s\n", path, why);
    }
    s->pix_fmt = s->codec->pix_fmt;
    return s;
}

int decoded_width(const DecodedSource *s) { return s->codec->width; }
int decoded_height(const DecodedSource *s) { return s->codec->height; }

const char *decoded_format_name(const DecodedSource *s)
{
    const char *name = av_get_pix_fmt_name((AVPixelFormat)s->pix_fmt);
    return name ? name : "an unknown format";
}

const PixelFormat *decoded_format(const DecodedSource *s)
{
    const char *name = av_get_pix_fmt_name((AVPixelFormat)s->pix_fmt);
    return name ? find_pixel_format(name) : nullptr;
}

bool decoded_rate(const DecodedSource *s, int *numerator, int *denominator)
{
    AVRational rate = s->format->streams[s->stream]->avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0)
        return false;
    *numerator = rate.num;
    *denominator = rate.den;
    return true;
}

ColourConversion decoded_colours(const DecodedSource *s)
{
    ColourConversion said = {-1, -1};
    switch (s->codec->colorspace) {
    case AVCOL_SPC_BT470BG:
    case AVCOL_SPC_SMPTE170M: said.matrix = matrix_bt601; break;
    case AVCOL_SPC_BT709: said.matrix = matrix_bt709; break;
    case AVCOL_SPC_BT2020_NCL: said.matrix = matrix_bt2020; break;
    default: break;
    }
    if (s->codec->color_range == AVCOL_RANGE_MPEG)
        said.range = range_limited;
    else if (s->codec->color_range == AVCOL_RANGE_JPEG)
        said.range = range_full;
    return said;
}

static double seconds_now()
{
    timeval t;
    gettimeofday(&t, nullptr);
    return t.tv_sec + t.tv_usec / 1e6;
}

int64_t count_decoded_frames(DecodedSource *s)
{
    double start = seconds_now();
    int64_t frames = 0;
    bool timed = true;
    while (av_read_frame(s->format, s->packet) >= 0) {
        if (s->packet->stream_index == s->stream) {
            frames++;
            timed = timed && s->packet->pts != AV_NOPTS_VALUE;
            if (timed) {
                s->frame_times.push_back(s->packet->pts);
                if (s->packet->flags & AV_PKT_FLAG_KEY)
                    s->key_times.push_back(s->packet->pts);
            }
        }
        av_packet_unref(s->packet);
    }
    // Frames come out in the order of their times; equal times would make that ambiguous.
    std::sort(s->frame_times.begin(), s->frame_times.end());
    std::sort(s->key_times.begin(), s->key_times.end());
    if (!timed ||
        std::adjacent_find(s->frame_times.begin(), s->frame_times.end()) != s->frame_times.end())
        s->frame_times.clear(), s->key_times.clear();
    double took = seconds_now() - start;
    if (took > 1.0)
        fprintf(stderr, "%s: counting its %lld frames took %.1f s\n", s->path,
                (long long)frames, took);
    reopen_streams(s);
    return frames;
}

// Rows of each plane of the decoded frame into the picture's own planes.
static void copy_frame(const AVFrame *frame, YuvFrame *picture)
{
    int bytes = sample_bytes(picture->bit_depth);
    unsigned char *planes[3] = {picture->y, picture->u, picture->v};
    for (int p = 0; p < 3 && planes[p]; p++) {
        int width = p ? chroma_width(*picture) : picture->width;
        int height = p ? chroma_height(*picture) : picture->height;
        ptrdiff_t stride = p ? picture->chroma_stride : picture->luma_stride;
        for (int row = 0; row < height; row++)
            memcpy(planes[p] + row * stride, frame->data[p] + (ptrdiff_t)row * frame->linesize[p],
                   (size_t)width * bytes);
    }
}

// The next frame the decoder gives, feeding it packets as it asks; false at the end.
static bool receive_frame(DecodedSource *s)
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

// The frame just received is frame next_frame: its time checks the index of times.
static void take_frame(DecodedSource *s)
{
    if (s->frame_times.empty())
        return;
    size_t at = (size_t)s->next_frame;
    if (at >= s->frame_times.size() || s->frame->best_effort_timestamp != s->frame_times[at]) {
        s->frame_times.clear();
        s->key_times.clear();
    } else if (s->from_start && s->next_frame == s->verified) {
        s->verified++;
    }
}

bool decode_next(DecodedSource *s, YuvFrame *picture)
{
    if (!receive_frame(s))
        return false;
    take_frame(s);
    // A stream that changes size or format on the way cannot be held by the run's pictures.
    if (s->frame->width != picture->width || s->frame->height != picture->height ||
        s->frame->format != s->pix_fmt)
        die(1, "%s: frame %lld changes the picture size or format of the stream\n", s->path,
            (long long)s->next_frame);
    copy_frame(s->frame, picture);
    av_frame_unref(s->frame);
    s->next_frame++;
    return true;
}

// Back to the latest key frame at or before frame `frame_number`, by the container's
// index. Only a key frame that the decoder gives first, at its own place in output order,
// is taken: decoding on from it gives the frames that decoding from the start gives.
// Otherwise, and for streams without times, false, and the decoder is where it was or
// needs reopening.
static bool seek_back(DecodedSource *s, int64_t frame_number)
{
    if (s->frame_times.empty() || frame_number >= s->verified)
        return false;
    int64_t time = s->frame_times[(size_t)frame_number];
    auto key = std::upper_bound(s->key_times.begin(), s->key_times.end(), time);
    if (key == s->key_times.begin())
        return false;
    if (av_seek_frame(s->format, s->stream, *(key - 1), AVSEEK_FLAG_BACKWARD) < 0)
        return false;
    avcodec_flush_buffers(s->codec);
    s->flushed = s->ended = s->pending = false;
    s->next_frame = -1;  // unknown until the first frame says
    if (!receive_frame(s))
        return false;
    int64_t first = s->frame->best_effort_timestamp;
    auto at = std::lower_bound(s->frame_times.begin(), s->frame_times.end(), first);
    bool usable = s->frame->key_frame && at != s->frame_times.end() && *at == first &&
                  at - s->frame_times.begin() <= frame_number;
    if (!usable) {
        av_frame_unref(s->frame);
        return false;
    }
    s->next_frame = at - s->frame_times.begin();
    s->pending = true;
    s->from_start = false;
    return true;
}

void position_decoded(DecodedSource *s, int64_t frame_number)
{
    if (frame_number < s->next_frame && !seek_back(s, frame_number))
        reopen_streams(s);
    while (s->next_frame < frame_number && receive_frame(s)) {
        take_frame(s);
        av_frame_unref(s->frame);
        s->next_frame++;
    }
}

bool decoded_ended(const DecodedSource *s) { return s->ended; }
