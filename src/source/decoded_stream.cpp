// Encoded sequences: a container or a bitstream, decoded frame by frame (decoded_source.cpp).
#include "decode_ahead.h"
#include "decoded_source.h"
#include "picture_size.h"
#include "settle.h"
#include "source.h"
#include "common/die.h"

struct DecodedStream {
    DecodedSource *decoder;
    DecodeAhead *ahead;  // the pictures decoded ahead of the reads
};

static DecodedStream *stream(const Source *source)
{
    return (DecodedStream *)source->priv;
}

// By the name or, in a file of another name, by what the ffmpeg libraries recognise; a pipe is
// claimed by its name only, to be refused when opened.
static int probe_decoded_stream(const SourceProbe *probe)
{
    return looks_encoded(probe->path, !probe->streamed) ? 50 : 0;
}

// The stream gives size and format; the size must agree with the other sequences' as a
// YUV4MPEG2 header's must, the format is its own. A pipe cannot be decoded: its frames are counted first and read
// again at every pass.
static void open_decoded_stream(Source *source, SourceProbe *)
{
    if (source->streamed)
        die(1, "%s: an encoded sequence must be a file, not a pipe\n", source->path);
    DecodedSource *decoder = open_decoded(source->path);
    source->priv = new DecodedStream{decoder, nullptr};
    const PixelFormat *format = decoded_format(decoder);
    if (!format)
        die(1, "%s: decodes to %s, which is not supported\n", source->path,
            decoded_format_name(decoder));
    int width = decoded_width(decoder), height = decoded_height(decoder);
    if (!picture_size_allowed(width, height))
        die(1, "%s: picture size %dx%d is not supported (even, %dx%d up to %dx%d)\n",
            source->path, width, height, min_picture_width, min_picture_height,
            max_picture_width, max_picture_height);
    settle_picture_size(source->path, width, height, "picture size");
    source->format = format;
    source->colours = decoded_colours(decoder);
    decoded_rate(decoder, &source->rate_numerator, &source->rate_denominator);
}

// The stream once counted, with its decoding-ahead thread prepared: what everything after
// opening uses, so that opening the other sequences overlaps the count.
static DecodedStream *counted(const Source *source)
{
    DecodedStream *s = stream(source);
    if (!s->ahead) {
        finish_counting(s->decoder);
        // From here on the decoder belongs to the decoding-ahead thread.
        s->ahead = prepare_decoding_ahead(s->decoder);
    }
    return s;
}

static int64_t decoded_frame_count(Source *source)
{
    return decoded_frame_count(counted(source)->decoder);
}

static void refuse_empty_stream(const Source *source)
{
    die(1, "%s: holds no video frame\n", source->path);
}

static void seek_decoded(Source *source, int64_t frame)
{
    position_ahead(counted(source)->ahead, frame);
}

static bool read_decoded(Source *source, YuvFrame *picture)
{
    return read_ahead(counted(source)->ahead, picture);
}

static bool decoded_stream_ended(const Source *source)
{
    return ahead_ended(counted(source)->ahead);
}

static const FrameFacts *decoded_stream_facts(const Source *source)
{
    return ahead_facts(counted(source)->ahead);
}

static char decoded_stream_frame_type(const Source *source, int64_t k)
{
    return decoded_frame_type(counted(source)->decoder, k);
}

// Also after an open that was refused before the record was made.
static void close_decoded_stream(Source *source)
{
    if (!stream(source))
        return;
    if (stream(source)->ahead)
        stop_decoding_ahead(stream(source)->ahead);
    close_decoded(stream(source)->decoder);
    delete stream(source);
    source->priv = nullptr;
}

extern const SourceKind decoded_stream_kind = {
    "encoded stream",
    probe_decoded_stream,
    open_decoded_stream,
    decoded_frame_count,
    nullptr,  // leftover_bytes: the decoder takes what it can
    refuse_empty_stream,
    nullptr,  // check_range: nothing to check before reading
    seek_decoded,
    nullptr,  // skip: seek moves it
    read_decoded,
    decoded_stream_ended,
    close_decoded_stream,
    decoded_stream_facts,
    decoded_stream_frame_type,
};
