// Raw files: pictures of the run's format one after the other from the first byte, no headers.
#include "file_frames.h"

#include <sys/stat.h>

#include "common/settings.h"

// Anything that can be positioned may be raw data; every other kind is surer of its own.
static int probe_raw_file(const SourceProbe *probe)
{
    return probe->streamed ? 0 : 1;
}

static void open_raw_file(Source *source, SourceProbe *)
{
    open_file_frames(source, 0, 0);
}

// Play reads the whole frames and stops; a tail that is not one hints at a wrong size.
static int64_t raw_leftover_bytes(const Source *source)
{
    struct stat info;
    if (fstat(fileno(source->file), &info) != 0 || !S_ISREG(info.st_mode))
        return 0;
    return (int64_t)info.st_size % source_picture_bytes(source);
}

extern const SourceKind raw_file_kind = {
    "raw file",
    probe_raw_file,
    open_raw_file,
    file_frame_count,
    raw_leftover_bytes,
    file_refuse_empty,
    nullptr,  // check_range: nothing to check before reading
    file_seek,
    nullptr,  // skip: seek moves it
    file_read,
    file_ended,
    file_close,
    nullptr,  // facts: the file says none
    nullptr,  // frame_type: nor of its frames
};
