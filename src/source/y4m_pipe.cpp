// YUV4MPEG2 through a pipe or terminal: the headers are read as they come, every frame header
// is checked when its picture is read.
#include "open_file.h"
#include "pipe_frames.h"
#include "y4m.h"
#include "y4m_source.h"

static int probe_y4m_pipe(const SourceProbe *probe)
{
    return probe->streamed && has_y4m_magic(probe->bytes, probe->length) ? 100 : 0;
}

// The probe took the magic; the rest of the stream header follows, then the first frame
// header, which waits for the first picture.
static void open_y4m_pipe(Source *source, SourceProbe *probe)
{
    size_t got = probe->length;
    got += read_line(source->file, probe->bytes + got, y4m_max_header_length - got);
    take_y4m_header(source, probe->bytes, got);
    char frame_header[y4m_max_frame_header_length];
    size_t length = read_line(source->file, frame_header, sizeof frame_header);
    open_pipe_frames(source, frame_header, length,
                     first_frame_header_length(source, frame_header, length));
}

extern const SourceKind y4m_pipe_kind = {
    "YUV4MPEG2 pipe",
    probe_y4m_pipe,
    open_y4m_pipe,
    pipe_frame_count,
    nullptr,  // leftover_bytes: a pipe may still send them
    pipe_refuse_empty,
    nullptr,  // check_range: nothing to check before reading
    nullptr,  // seek: read in order only
    pipe_skip,
    pipe_read,
    pipe_ended,
    pipe_close,
    nullptr,  // facts: the file says none
    nullptr,  // frame_type: nor of its frames
};
