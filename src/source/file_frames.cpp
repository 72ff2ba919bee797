#include "file_frames.h"

#include <sys/stat.h>
#include <unistd.h>

#include "common/settings.h"

FileFrames *file_frames(const Source *source)
{
    return (FileFrames *)source->priv;
}

void open_file_frames(Source *source, int64_t header_bytes, int64_t frame_header_bytes)
{
    FileFrames *frames = new FileFrames{header_bytes, frame_header_bytes};
    source->priv = frames;
}

size_t peek_file(const Source *source, int64_t offset, char *buffer, size_t capacity)
{
    ssize_t got = pread(fileno(source->file), buffer, capacity, (off_t)offset);
    return got > 0 ? (size_t)got : 0;
}

int64_t file_frame_offset(const Source *source, int64_t frame)
{
    const FileFrames *f = file_frames(source);
    return f->header_bytes + frame * (f->frame_header_bytes + source_picture_bytes(source));
}

int64_t file_frame_count(Source *source)
{
    const FileFrames *f = file_frames(source);
    struct stat info;
    if (fstat(fileno(source->file), &info) != 0 || S_ISDIR(info.st_mode))
        return 0;
    int64_t payload = (int64_t)info.st_size - f->header_bytes;
    if (payload <= 0)
        return 0;
    return payload / (f->frame_header_bytes + source_picture_bytes(source));
}

void file_refuse_empty(const Source *source)
{
    refuse_no_whole_frame(source, file_frames(source)->frame_header_bytes);
}

void file_seek(Source *source, int64_t frame)
{
    fseeko(source->file, (off_t)file_frame_offset(source, frame), SEEK_SET);
}

static size_t take_from_file(Source *source, void *to, size_t count)
{
    return fread(to, 1, count, source->file);
}

bool file_read(Source *source, YuvFrame *picture)
{
    int64_t frame_header = file_frames(source)->frame_header_bytes;
    if (frame_header > 0)
        fseeko(source->file, (off_t)frame_header, SEEK_CUR);
    return take_picture(source, picture, take_from_file);
}

bool file_ended(const Source *source)
{
    return feof(source->file) != 0;
}

void file_close(Source *source)
{
    delete file_frames(source);
    source->priv = nullptr;
}
