#include "pipe_frames.h"

#include <cstring>

#include "y4m_source.h"
#include "common/settings.h"

static PipeFrames *pipe_frames(const Source *source)
{
    return (PipeFrames *)source->priv;
}

void open_pipe_frames(Source *source, const char *pending, size_t length,
                      int64_t frame_header_bytes)
{
    PipeFrames *pipe = new PipeFrames();
    memcpy(pipe->pending, pending, length);
    pipe->pending_length = length;
    pipe->frame_header_bytes = frame_header_bytes;
    source->priv = pipe;
}

// A pipe is as long as what its writer still sends.
int64_t pipe_frame_count(Source *)
{
    return -1;
}

void pipe_refuse_empty(const Source *source)
{
    refuse_no_whole_frame(source, pipe_frames(source)->frame_header_bytes);
}

// Up to `count` bytes, those start-up took first.
static size_t take(Source *source, void *to, size_t count)
{
    if (count == 0)  // the chroma of gray pictures: no planes at all
        return 0;
    PipeFrames *pipe = pipe_frames(source);
    size_t early = pipe->pending_length - pipe->pending_used;
    if (early > count)
        early = count;
    memcpy(to, pipe->pending + pipe->pending_used, early);
    pipe->pending_used += early;
    return early + fread((char *)to + early, 1, count - early, source->file);
}

// The next frame header, checked as it comes (none in raw data); false when the pipe ran out.
static bool take_frame_header(Source *source)
{
    PipeFrames *pipe = pipe_frames(source);
    char header[y4m_max_frame_header_length];
    size_t length = (size_t)pipe->frame_header_bytes;
    if (take(source, header, length) != length)
        return false;
    if (length > 0 && y4m_frame_header_length(header, length) != length)
        refuse_frame_header(source, pipe->frames_taken, pipe->frame_header_bytes);
    pipe->frames_taken++;
    return true;
}

bool pipe_skip(Source *source)
{
    static char sink[65536];
    if (!take_frame_header(source))
        return false;
    for (int64_t left = source_picture_bytes(source); left > 0; left -= (int64_t)sizeof sink) {
        size_t part = left < (int64_t)sizeof sink ? (size_t)left : sizeof sink;
        if (take(source, sink, part) != part)
            return false;
    }
    return true;
}

bool pipe_read(Source *source, YuvFrame *picture)
{
    return take_frame_header(source) && take_picture(source, picture, take);
}

bool pipe_ended(const Source *source)
{
    return feof(source->file) != 0;
}

void pipe_close(Source *source)
{
    delete pipe_frames(source);
    source->priv = nullptr;
}
