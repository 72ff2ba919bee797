// The list of kinds and what their reads share.
#include "source.h"

#include "common/die.h"
#include "common/pixel_format.h"
#include "common/settings.h"

const SourceKind *const source_kinds[] = {&y4m_file_kind, &y4m_pipe_kind, &decoded_stream_kind,
                                          &raw_file_kind, &raw_pipe_kind, nullptr};

// One plane; later planes are still asked for after a short one, as a file at its end gives
// nothing more anyway.
static size_t take_plane(Source *source, unsigned char *plane, int rows, size_t row_bytes,
                         ptrdiff_t stride, take_bytes_fn take)
{
    if (!plane || rows <= 0 || row_bytes == 0)
        return 0;
    if ((size_t)stride == row_bytes)
        return take(source, plane, row_bytes * (size_t)rows);
    size_t got = 0;
    for (int row = 0; row < rows; row++) {
        size_t part = take(source, plane + stride * row, row_bytes);
        got += part;
        if (part != row_bytes)
            break;
    }
    return got;
}

bool take_planes(Source *source, YuvFrame *picture, take_bytes_fn take)
{
    size_t bytes = (size_t)sample_bytes(picture->bit_depth);
    size_t luma_row = (size_t)picture->width * bytes;
    size_t chroma_row = (size_t)chroma_width(*picture) * bytes;
    int rows = chroma_height(*picture);
    size_t luma = take_plane(source, picture->y, picture->height, luma_row,
                             picture->luma_stride, take);
    size_t u = take_plane(source, picture->u, rows, chroma_row, picture->chroma_stride, take);
    size_t v = take_plane(source, picture->v, rows, chroma_row, picture->chroma_stride, take);
    size_t chroma = chroma_row * (size_t)rows;
    return luma == luma_row * (size_t)picture->height && u == chroma && v == chroma;
}

void refuse_no_whole_frame(const Source *source, int64_t frame_header_bytes)
{
    die(1, "%s holds no whole frame of %lld bytes (%dx%d %s)\n", source->path,
        (long long)(frame_header_bytes + frame_size), horizontal_size, vertical_size,
        pixel_format == default_pixel_format ? "YUV 4:2:0" : pixel_format->name);
}
