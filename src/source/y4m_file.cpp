// YUV4MPEG2 files: a stream header, then every picture behind a frame header of its own.
#include "file_frames.h"
#include "y4m.h"
#include "y4m_source.h"

static int probe_y4m_file(const SourceProbe *probe)
{
    return !probe->streamed && has_y4m_magic(probe->bytes, probe->length) ? 100 : 0;
}

static void open_y4m_file(Source *source, SourceProbe *probe)
{
    int64_t header = take_y4m_header(source, probe->bytes, probe->length);
    char *buffer = probe->bytes;  // its stream header is read; the room is free again
    size_t got = peek_file(source, header, buffer, y4m_max_frame_header_length);
    open_file_frames(source, header, first_frame_header_length(source, buffer, got));
}

// Every frame of the range starts with a frame header as long as the first; frames outside
// it are never read, so they cost nothing at start-up.
static void check_y4m_range(Source *source, int64_t first, int64_t last)
{
    static char header[y4m_max_frame_header_length];
    int64_t length = file_frames(source)->frame_header_bytes;
    for (int64_t frame = first; frame <= last; frame++) {
        size_t got = peek_file(source, file_frame_offset(source, frame), header, (size_t)length);
        if (got != (size_t)length || y4m_frame_header_length(header, got) != got)
            refuse_frame_header(source, frame, length);
    }
}

extern const SourceKind y4m_file_kind = {
    "YUV4MPEG2 file",
    probe_y4m_file,
    open_y4m_file,
    file_frame_count,
    nullptr,  // leftover_bytes: a tail after frame headers is said nothing of
    file_refuse_empty,
    check_y4m_range,
    file_seek,
    nullptr,  // skip: seek moves it
    file_read,
    file_ended,
    file_close,
    nullptr,  // facts: the file says none
    nullptr,  // frame_type: nor of its frames
};
