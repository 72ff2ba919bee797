// Raw data through a pipe or terminal: pictures in order, no headers.
#include "pipe_frames.h"

static int probe_raw_pipe(const SourceProbe *probe)
{
    return probe->streamed ? 1 : 0;
}

// The bytes the probe took start the first picture.
static void open_raw_pipe(Source *source, SourceProbe *probe)
{
    open_pipe_frames(source, probe->bytes, probe->length, 0);
}

extern const SourceKind raw_pipe_kind = {
    "raw pipe",
    probe_raw_pipe,
    open_raw_pipe,
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
