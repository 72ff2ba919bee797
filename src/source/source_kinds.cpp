// The list of kinds and what their reads share.
#include "source.h"

#include "file_samples.h"
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

static bool take_planes(Source *source, YuvFrame *picture, take_bytes_fn take)
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

int64_t source_picture_bytes(const Source *source)
{
    return frame_bytes(source->format, settings.horizontal_size, settings.vertical_size);
}

// 8-bit data read as 10-bit would otherwise only show as odd pictures and odd numbers.
static void check_peak(Source *source, const YuvFrame &picture)
{
    if (source->peak_warned || !picture_exceeds_peak(picture))
        return;
    source->peak_warned = true;
    fprintf(stderr, "%s: frame %lld holds samples above %d: is the format right?\n",
            source->path, (long long)source->next_frame - 1, (1 << picture.bit_depth) - 1);
}

bool take_picture(Source *source, YuvFrame *picture, take_bytes_fn take)
{
    if (source->format == settings.pixel_format) {
        bool whole = take_planes(source, picture, take);
        check_peak(source, *picture);
        return whole;
    }
    std::vector<unsigned char> &bytes = source->file_picture;
    bytes.resize((size_t)source_picture_bytes(source));
    if (take(source, bytes.data(), bytes.size()) != bytes.size())
        return false;
    if (source->format->planes == chroma_planar) {
        const PixelFormat *f = source->format;
        int64_t luma = luma_plane_bytes(f, settings.horizontal_size, settings.vertical_size);
        int64_t chroma = chroma_plane_bytes(f, settings.horizontal_size, settings.vertical_size);
        unsigned char *u = chroma ? bytes.data() + luma : nullptr;
        check_peak(source, packed_frame(bytes.data(), u, u ? u + chroma : nullptr,
                                        settings.horizontal_size, settings.vertical_size, f->bit_depth, f->chroma));
    }
    convert_file_picture(bytes.data(), source->format, picture);
    return true;
}

void refuse_no_whole_frame(const Source *source, int64_t frame_header_bytes)
{
    const PixelFormat *format = source->format;
    die(1, "%s holds no whole frame of %lld bytes (%dx%d %s)\n", source->path,
        (long long)(frame_header_bytes + source_picture_bytes(source)), settings.horizontal_size,
        settings.vertical_size, format == default_pixel_format ? "YUV 4:2:0" : format->name);
}
