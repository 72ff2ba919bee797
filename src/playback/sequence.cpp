// Sequence files: raw concatenated YUV 4:2:0 pictures, or the same behind YUV4MPEG2
// headers. Frame n of sequence s starts at header + n * (frame header + frame_size).
#include "sequence.h"

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstring>

#include "die.h"
#include "open_file.h"
#include "options.h"
#include "picture_size.h"
#include "settings.h"
#include "y4m.h"

FILE *yuvfile1 = nullptr;
FILE *yuvfile2 = nullptr;
FILE *yuvfile3 = nullptr;
const char *yuv_path[4];
int sequence_rate_numerator = 0;
int sequence_rate_denominator = 0;

static int64_t header_bytes[4];        // 0 for raw files
static int64_t frame_header_bytes[4];  // 0 for raw files

static FILE *&stream(int n)
{
    return n == 1 ? yuvfile1 : n == 2 ? yuvfile2 : yuvfile3;
}

void open_sequence(int n, const char *path)
{
    stream(n) = open_for_reading(path);
    if (!stream(n))
        die(3, "Can't open yuvfile%d for input!\n", n);
    // Each plane is one read straight into its buffer; the stream's own small buffer
    // would split it into several reads and copy the pieces.
    setvbuf(stream(n), nullptr, _IONBF, 0);
    yuv_path[n] = path;
}

// Up to `capacity` bytes from `offset` of sequence n, without moving its stream.
static size_t peek(int n, int64_t offset, char *buffer, size_t capacity)
{
    ssize_t got = pread(fileno(stream(n)), buffer, capacity, (off_t)offset);
    return got > 0 ? (size_t)got : 0;
}

// The size settled so far and where it came from, for the mismatch message.
static const char *size_source = nullptr;

static void settle_picture_size(int n, const Y4mHeader &header)
{
    if (header.width == horizontal_size && header.height == vertical_size) {
        if (!size_source)
            size_source = yuv_path[n];
        return;
    }
    if (size_given)
        die(1, "%s: YUV4MPEG2 picture size %dx%d does not match the size %dx%d given on "
               "the command line\n",
            yuv_path[n], header.width, header.height, horizontal_size, vertical_size);
    if (size_source)
        die(1, "%s: YUV4MPEG2 picture size %dx%d does not match %dx%d of %s\n", yuv_path[n],
            header.width, header.height, horizontal_size, vertical_size, size_source);
    set_picture_size(header.width, header.height);
    size_source = yuv_path[n];
}

static void read_y4m_headers_of(int n, char *buffer)
{
    header_bytes[n] = frame_header_bytes[n] = 0;
    size_t got = peek(n, 0, buffer, y4m_max_header_length);
    if (!has_y4m_magic(buffer, got))
        return;
    Y4mHeader header;
    char error[200];
    if (!parse_y4m_header(buffer, got, &header, error, sizeof error))
        die(1, "%s: %s\n", yuv_path[n], error);
    settle_picture_size(n, header);
    header_bytes[n] = (int64_t)header.length;

    got = peek(n, header_bytes[n], buffer, y4m_max_frame_header_length);
    frame_header_bytes[n] = (int64_t)y4m_frame_header_length(buffer, got);
    if (frame_header_bytes[n] == 0) {
        if (got > 0)
            die(1, "%s: no FRAME header after the YUV4MPEG2 header\n", yuv_path[n]);
        frame_header_bytes[n] = 6;  // no frames at all; "FRAME\n" keeps the arithmetic sound
    }

    if (n == 1 && header.rate_numerator > 0 && !fps_given) {
        sequence_rate_numerator = header.rate_numerator;
        sequence_rate_denominator = header.rate_denominator;
        int64_t rounded = ((int64_t)header.rate_numerator + header.rate_denominator / 2) /
                          header.rate_denominator;
        fps = rounded < 1 ? 1 : (int)rounded;
    }
}

void read_sequence_headers()
{
    static char buffer[y4m_max_header_length];
    size_source = size_given ? "" : nullptr;
    sequence_rate_numerator = sequence_rate_denominator = 0;
    for (int n = 1; n <= expand; n++)
        read_y4m_headers_of(n, buffer);
}

int64_t sequence_header_bytes(int n) { return header_bytes[n]; }
int64_t sequence_frame_header_bytes(int n) { return frame_header_bytes[n]; }

int64_t frame_offset(int n, int frame_number)
{
    return header_bytes[n] + (int64_t)frame_number * (frame_header_bytes[n] + frame_size);
}

int64_t whole_frames(int n)
{
    struct stat info;
    if (fstat(fileno(stream(n)), &info) != 0 || S_ISDIR(info.st_mode))
        return 0;
    int64_t payload = (int64_t)info.st_size - header_bytes[n];
    if (payload <= 0)
        return 0;
    return payload / (frame_header_bytes[n] + frame_size);
}

void check_frame_headers()
{
    static char expected[y4m_max_frame_header_length];
    for (int n = 1; n <= expand; n++) {
        int64_t length = frame_header_bytes[n];
        if (length == 0)
            continue;
        int64_t frames = whole_frames(n);
        for (int64_t k = 0; k < frames; k++) {
            int64_t offset = header_bytes[n] + k * (length + frame_size);
            size_t got = peek(n, offset, expected, (size_t)length);
            if (got != (size_t)length || y4m_frame_header_length(expected, got) != got)
                die(1, "%s: frame %lld does not start with a FRAME header of %lld bytes like "
                       "the first frame (frame headers must all have one length)\n",
                    yuv_path[n], (long long)k, (long long)length);
        }
    }
}

void position_sequence(int n, int frame_number)
{
    fseeko(stream(n), (off_t)frame_offset(n, frame_number), SEEK_SET);
}

int read_picture(int n, YuvFrame *picture)
{
    FILE *file = stream(n);
    if (frame_header_bytes[n] > 0)
        fseeko(file, (off_t)frame_header_bytes[n], SEEK_CUR);
    size_t luma = fread(picture->y, 1, (size_t)luma_size, file);
    size_t u = fread(picture->u, 1, (size_t)chroma_size, file);
    size_t v = fread(picture->v, 1, (size_t)chroma_size, file);
    return luma == (size_t)luma_size && u == (size_t)chroma_size && v == (size_t)chroma_size;
}

int close_sequences()
{
    int result = fclose(yuvfile1);
    if (expand > 1)
        result = fclose(yuvfile2);
    if (expand > 2)
        result = fclose(yuvfile3);
    return result;
}
