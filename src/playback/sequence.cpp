// Sequence files: raw concatenated YUV pictures of one sample format, or the same behind YUV4MPEG2
// headers. Frame n of sequence s starts at header + n * (frame header + frame_size).
// Only this file touches the streams.
#include "sequence.h"

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "decoded_source.h"
#include "open_file.h"
#include "options.h"
#include "picture_size.h"
#include "y4m.h"
#include "common/die.h"
#include "common/pixel_format.h"
#include "common/settings.h"

static FILE *yuvfile1 = nullptr;
static FILE *yuvfile2 = nullptr;
static FILE *yuvfile3 = nullptr;
const char *yuv_path[4];
int sequence_rate_numerator = 0;
int sequence_rate_denominator = 0;

static int64_t header_bytes[4];        // 0 for raw files
static int64_t frame_header_bytes[4];  // 0 for raw files
// Pipes and terminals: read in order, never positioned. What start-up had to take from
// them to tell a YUV4MPEG2 stream from raw data waits in `pending` for the first picture.
static bool streamed[4];
static char pending[4][y4m_max_frame_header_length];
static size_t pending_length[4], pending_used[4];
static int64_t frames_taken[4];  // frames read so far from a streamed sequence
// Encoded sequences, decoded frame by frame; null for raw and YUV4MPEG2 files.
static DecodedSource *decoded[4];
static int64_t decoded_frames[4];  // counted when first asked for; -1 before
static ColourConversion colours_said[4];  // by the header or stream; -1 where they say nothing

static FILE *&stream(int n)
{
    return n == 1 ? yuvfile1 : n == 2 ? yuvfile2 : yuvfile3;
}

void open_sequence(int n, const char *path)
{
    stream(n) = open_for_reading(path);
    if (!stream(n))
        die(3, "Can't open yuvfile%d for input!\n", n);
    // A directory or a file that fails to read would otherwise play as black frames.
    int fd = fileno(stream(n));
    char probe;
    if (pread(fd, &probe, 1, 0) < 0 && errno != ESPIPE)
        die(1, "%s: can not be read: %s\n", path, strerror(errno));
    streamed[n] = lseek(fd, 0, SEEK_CUR) < 0;
    pending_length[n] = pending_used[n] = 0;
    frames_taken[n] = 0;
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

// Reads a streamed sequence up to `capacity` bytes or to the end of a line.
static size_t read_line(int n, char *buffer, size_t capacity)
{
    size_t got = 0;
    int c = 0;
    while (got < capacity && c != '\n' && (c = getc(stream(n))) != EOF)
        buffer[got++] = (char)c;
    return got;
}

// The stream header of sequence n or, when there is none, at least its first bytes.
static size_t look_at_start(int n, char *buffer)
{
    if (!streamed[n])
        return peek(n, 0, buffer, y4m_max_header_length);
    size_t got = read_line(n, buffer, y4m_magic_length);
    if (has_y4m_magic(buffer, got))
        return got + read_line(n, buffer + got, y4m_max_header_length - got);
    memcpy(pending[n], buffer, got);  // raw data: these bytes start the first picture
    pending_length[n] = got;
    return got;
}

// The first frame header; a streamed sequence keeps it for its first picture.
static size_t look_at_first_frame_header(int n, char *buffer)
{
    if (!streamed[n])
        return peek(n, header_bytes[n], buffer, y4m_max_frame_header_length);
    pending_length[n] = read_line(n, pending[n], y4m_max_frame_header_length);
    memcpy(buffer, pending[n], pending_length[n]);
    return pending_length[n];
}

// The size settled so far and where it came from, for the mismatch message.
static const char *size_source = nullptr;

// `what` names where the size was found: "YUV4MPEG2 picture size" or "picture size".
static void settle_picture_size(int n, int width, int height, const char *what)
{
    if (width == horizontal_size && height == vertical_size) {
        if (!size_source)
            size_source = yuv_path[n];
        return;
    }
    if (size_given)
        die(1, "%s: %s %dx%d does not match the size %dx%d given on the command line\n",
            yuv_path[n], what, width, height, horizontal_size, vertical_size);
    if (size_source)
        die(1, "%s: %s %dx%d does not match %dx%d of %s\n", yuv_path[n], what, width, height,
            horizontal_size, vertical_size, size_source);
    set_picture_size(width, height);
    size_source = yuv_path[n];
}

// Likewise for the sample format.
static const char *format_source = nullptr;

static void settle_pixel_format(int n, const Y4mHeader &header)
{
    if (header.format == pixel_format) {
        if (!format_source)
            format_source = yuv_path[n];
        return;
    }
    if (pix_fmt_given)
        die(1, "%s: YUV4MPEG2 format %s does not match -pix_fmt %s\n", yuv_path[n],
            header.format->name, pixel_format->name);
    if (format_source)
        die(1, "%s: YUV4MPEG2 format %s does not match %s of %s\n", yuv_path[n],
            header.format->name, pixel_format->name, format_source);
    pixel_format = header.format;
    format_source = yuv_path[n];
}

// What neither the command line nor a header settled comes from the first file's name,
// as codec people write it; one line says what was taken.
static void take_hints_from_name(const NameHints &hints)
{
    bool size = !size_source && hints.width > 0;
    bool format = !format_source && hints.format;
    if (size && !picture_size_allowed(hints.width, hints.height))
        die(1, "%s: picture size %dx%d from the file name is not supported (even, %dx%d up "
               "to %dx%d); give -size\n",
            yuv_path[1], hints.width, hints.height, min_picture_width, min_picture_height,
            max_picture_width, max_picture_height);
    if (size) {
        set_picture_size(hints.width, hints.height);
        size_source = yuv_path[1];
    }
    if (format) {
        pixel_format = hints.format;
        format_source = yuv_path[1];
    }
    if (size && format)
        fprintf(stderr, "%s: size %dx%d and format %s taken from the file name\n", yuv_path[1],
                hints.width, hints.height, hints.format->name);
    else if (size)
        fprintf(stderr, "%s: size %dx%d taken from the file name\n", yuv_path[1], hints.width,
                hints.height);
    else if (format)
        fprintf(stderr, "%s: format %s taken from the file name\n", yuv_path[1],
                hints.format->name);
}

// A name that says one size or format while the run reads another would give wrong
// pictures and wrong numbers in silence. The command line overrides names.
static void check_name_hints(int n, const NameHints &hints)
{
    if (!hints.unread_format.empty() && !hints.format)
        fprintf(stderr, "%s: %s in the file name is not a sample format that can be read; "
                        "it is ignored\n", yuv_path[n], hints.unread_format.c_str());
    const char *run_source = size_source ? size_source : yuv_path[1];
    if (!size_given && hints.width > 0 &&
        (hints.width != horizontal_size || hints.height != vertical_size))
        die(1, "%s: size %dx%d from the file name does not match %dx%d of %s\n", yuv_path[n],
            hints.width, hints.height, horizontal_size, vertical_size, run_source);
    run_source = format_source ? format_source : yuv_path[1];
    if (!pix_fmt_given && hints.format && hints.format != pixel_format)
        die(1, "%s: format %s from the file name does not match %s of %s\n", yuv_path[n],
            hints.format->name, pixel_format->name, run_source);
}

// The first sequence's own frame rate: it paces playback unless -fps was given, and times
// on the command line count in it.
static void take_rate(int numerator, int denominator)
{
    sequence_rate_numerator = numerator;
    sequence_rate_denominator = denominator;
}

static void read_y4m_headers(int n, char *buffer, size_t got)
{
    Y4mHeader header;
    char error[200];
    if (!parse_y4m_header(buffer, got, &header, error, sizeof error))
        die(1, "%s: %s\n", yuv_path[n], error);
    settle_picture_size(n, header.width, header.height, "YUV4MPEG2 picture size");
    settle_pixel_format(n, header);
    header_bytes[n] = (int64_t)header.length;
    colours_said[n].range = header.colour_range;

    got = look_at_first_frame_header(n, buffer);
    frame_header_bytes[n] = (int64_t)y4m_frame_header_length(buffer, got);
    if (frame_header_bytes[n] == 0) {
        if (got > 0)
            die(1, "%s: no FRAME header after the YUV4MPEG2 header\n", yuv_path[n]);
        frame_header_bytes[n] = 6;  // no frames at all; "FRAME\n" keeps the arithmetic sound
    }

    if (n == 1 && header.rate_numerator > 0)
        take_rate(header.rate_numerator, header.rate_denominator);
}

static bool is_y4m(int, const char *start, size_t length)
{
    return has_y4m_magic(start, length);
}

// A pipe cannot be decoded: its frames are counted first and read again at every pass.
static bool is_encoded(int n, const char *, size_t)
{
    if (!looks_encoded(yuv_path[n], !streamed[n]))
        return false;
    if (streamed[n])
        die(1, "%s: an encoded sequence must be a file, not a pipe\n", yuv_path[n]);
    return true;
}

// The stream gives size and format; both must agree with the other sequences' as a
// YUV4MPEG2 header's must.
static void read_stream_headers(int n, char *, size_t)
{
    decoded[n] = open_decoded(yuv_path[n]);
    decoded_frames[n] = -1;
    const PixelFormat *format = decoded_format(decoded[n]);
    if (!format)
        die(1, "%s: decodes to %s, which is not supported\n", yuv_path[n],
            decoded_format_name(decoded[n]));
    int width = decoded_width(decoded[n]), height = decoded_height(decoded[n]);
    if (!picture_size_allowed(width, height))
        die(1, "%s: picture size %dx%d is not supported (even, %dx%d up to %dx%d)\n",
            yuv_path[n], width, height, min_picture_width, min_picture_height,
            max_picture_width, max_picture_height);
    settle_picture_size(n, width, height, "picture size");
    if (format != pixel_format && (pix_fmt_given || format_source))
        die(1, "%s: decodes to %s, but the run's format is %s\n", yuv_path[n], format->name,
            pixel_format->name);
    pixel_format = format;
    if (!format_source)
        format_source = yuv_path[n];
    colours_said[n] = decoded_colours(decoded[n]);
    int numerator, denominator;
    if (n == 1 && decoded_rate(decoded[n], &numerator, &denominator))
        take_rate(numerator, denominator);
}

// Raw data has no headers: pictures follow each other from the first byte.
static bool always(int, const char *, size_t) { return true; }
static void no_headers(int, char *, size_t) {}

// The kinds of sequence file, tried in order on each file; the first that recognises it
// reads the file's headers. YUV4MPEG2 and raw files hold whole pictures at fixed offsets,
// read as below; encoded files are decoded frame by frame.
struct SourceKind {
    bool (*recognises)(int n, const char *start, size_t length);
    void (*read_headers)(int n, char *start, size_t length);
};

static const SourceKind source_kinds[] = {
    {is_y4m, read_y4m_headers},
    {is_encoded, read_stream_headers},
    {always, no_headers},
};

static void read_headers_of(int n, char *buffer)
{
    header_bytes[n] = frame_header_bytes[n] = 0;
    colours_said[n] = ColourConversion{-1, -1};
    size_t got = look_at_start(n, buffer);
    for (const SourceKind &kind : source_kinds) {
        if (kind.recognises(n, buffer, got)) {
            kind.read_headers(n, buffer, got);
            return;
        }
    }
}

void read_sequence_headers()
{
    static char buffer[y4m_max_header_length];
    size_source = size_given ? "" : nullptr;
    format_source = pix_fmt_given ? "" : nullptr;
    sequence_rate_numerator = sequence_rate_denominator = 0;
    for (int n = 1; n <= expand; n++)
        read_headers_of(n, buffer);
    NameHints hints[4];
    for (int n = 1; n <= expand; n++)
        read_name_hints(yuv_path[n], &hints[n]);
    if (expand >= 1)
        take_hints_from_name(hints[1]);
    for (int n = 1; n <= expand; n++)
        check_name_hints(n, hints[n]);
}

bool picture_size_assumed()
{
    return size_source == nullptr;
}

int64_t leftover_bytes(int n)
{
    struct stat info;
    if (decoded[n] || streamed[n] || header_bytes[n] > 0 || fstat(fileno(stream(n)), &info) != 0 ||
        !S_ISREG(info.st_mode))
        return 0;
    return (int64_t)info.st_size % frame_size;
}

ColourConversion sequence_colours(int n) { return colours_said[n]; }
int64_t sequence_header_bytes(int n) { return header_bytes[n]; }
int64_t sequence_frame_header_bytes(int n) { return frame_header_bytes[n]; }

int64_t frame_offset(int n, int frame_number)
{
    return header_bytes[n] + (int64_t)frame_number * (frame_header_bytes[n] + frame_size);
}

bool sequence_decoded(int n)
{
    return decoded[n] != nullptr;
}

int64_t whole_frames(int n)
{
    if (decoded[n]) {
        if (decoded_frames[n] < 0)
            decoded_frames[n] = count_decoded_frames(decoded[n]);
        return decoded_frames[n];
    }
    struct stat info;
    if (fstat(fileno(stream(n)), &info) != 0 || S_ISDIR(info.st_mode))
        return 0;
    int64_t payload = (int64_t)info.st_size - header_bytes[n];
    if (payload <= 0)
        return 0;
    return payload / (frame_header_bytes[n] + frame_size);
}

[[noreturn]] static void refuse_frame_header(int n, int64_t k)
{
    die(1, "%s: frame %lld does not start with a FRAME header of %lld bytes like the first "
           "frame (frame headers must all have one length)\n",
        yuv_path[n], (long long)k, (long long)frame_header_bytes[n]);
}

void check_frame_headers()
{
    static char expected[y4m_max_frame_header_length];
    for (int n = 1; n <= expand; n++) {
        int64_t length = frame_header_bytes[n];
        if (length == 0)
            continue;
        // Frames outside the range are never read, so they cost nothing at start-up; a
        // sequence with a freeze list starts before the start frame by what it lists.
        int64_t last = whole_frames(n) - 1 < end_frame ? whole_frames(n) - 1 : end_frame;
        bool frozen = (n == 2 && fr2) || (n == 3 && fr3);
        for (int64_t k = frozen ? 0 : start_frame; k <= last; k++) {
            int64_t offset = header_bytes[n] + k * (length + frame_size);
            size_t got = peek(n, offset, expected, (size_t)length);
            if (got != (size_t)length || y4m_frame_header_length(expected, got) != got)
                refuse_frame_header(n, k);
        }
    }
}

// Up to `count` bytes of a streamed sequence, those start-up took from it first.
static size_t take(int n, void *to, size_t count)
{
    if (count == 0)  // the chroma of gray pictures: no planes at all
        return 0;
    size_t early = pending_length[n] - pending_used[n];
    if (early > count)
        early = count;
    memcpy(to, pending[n] + pending_used[n], early);
    pending_used[n] += early;
    return early + fread((char *)to + early, 1, count - early, stream(n));
}

// The next frame header of a streamed sequence, checked as it comes (none in raw data);
// false when the stream ran out.
static bool take_frame_header(int n)
{
    char header[y4m_max_frame_header_length];
    size_t length = (size_t)frame_header_bytes[n];
    if (take(n, header, length) != length)
        return false;
    if (length > 0 && y4m_frame_header_length(header, length) != length)
        refuse_frame_header(n, frames_taken[n]);
    frames_taken[n]++;
    return true;
}

static bool skip_picture(int n)
{
    static char sink[65536];
    for (int64_t left = frame_size; left > 0; left -= (int64_t)sizeof sink) {
        size_t part = left < (int64_t)sizeof sink ? (size_t)left : sizeof sink;
        if (take(n, sink, part) != part)
            return false;
    }
    return true;
}

static int read_streamed_picture(int n, YuvFrame *picture)
{
    if (!take_frame_header(n))
        return 0;
    size_t luma = take(n, picture->y, (size_t)luma_size);
    size_t u = take(n, picture->u, (size_t)chroma_size);
    size_t v = take(n, picture->v, (size_t)chroma_size);
    return luma == (size_t)luma_size && u == (size_t)chroma_size && v == (size_t)chroma_size;
}

void position_sequence(int n, int frame_number)
{
    if (decoded[n]) {
        position_decoded(decoded[n], frame_number);
        return;
    }
    if (streamed[n]) {  // forward only: the frames before it are read and dropped
        while (frames_taken[n] < frame_number && take_frame_header(n) && skip_picture(n))
            ;
        return;
    }
    fseeko(stream(n), (off_t)frame_offset(n, frame_number), SEEK_SET);
}

int read_picture(int n, YuvFrame *picture)
{
    if (decoded[n])
        return decode_next(decoded[n], picture);
    if (streamed[n])
        return read_streamed_picture(n, picture);
    FILE *file = stream(n);
    if (frame_header_bytes[n] > 0)
        fseeko(file, (off_t)frame_header_bytes[n], SEEK_CUR);
    size_t luma = fread(picture->y, 1, (size_t)luma_size, file);
    size_t u = fread(picture->u, 1, (size_t)chroma_size, file);
    size_t v = fread(picture->v, 1, (size_t)chroma_size, file);
    return luma == (size_t)luma_size && u == (size_t)chroma_size && v == (size_t)chroma_size;
}

bool sequence_open(int n)
{
    return stream(n) != nullptr;
}

bool sequence_ended(int n)
{
    return decoded[n] ? decoded_ended(decoded[n]) : feof(stream(n)) != 0;
}

bool sequence_streamed(int n)
{
    return streamed[n];
}

bool read_luma_at(int n, int frame_number, unsigned char *luma)
{
    if (decoded[n]) {
        // The whole frame is decoded; its chroma goes to planes kept for the run.
        static unsigned char *chroma[4];
        if (!chroma[n] && chroma_size > 0) {
            chroma[n] = (unsigned char *)malloc((size_t)(2 * chroma_size));
            if (!chroma[n])
                die(1, "Out of memory: could not allocate %lld bytes for %s\n",
                    (long long)(2 * chroma_size), yuv_path[n]);
        }
        YuvFrame picture =
            packed_frame(luma, chroma[n], chroma[n] ? chroma[n] + chroma_size : nullptr,
                         horizontal_size, vertical_size, pixel_format->bit_depth,
                         pixel_format->chroma);
        position_decoded(decoded[n], frame_number);
        return decode_next(decoded[n], &picture);
    }
    int64_t offset = frame_offset(n, frame_number) + frame_header_bytes[n];
    return peek(n, offset, (char *)luma, (size_t)luma_size) == (size_t)luma_size;
}

bool sequence_file_opens(const char *path)
{
    FILE *file = open_for_reading(path);
    if (file)
        fclose(file);
    return file != nullptr;
}

int close_sequences()
{
    int result = 0;
    for (int n = 1; n <= 3; n++) {
        if (decoded[n])
            close_decoded(decoded[n]);
        decoded[n] = nullptr;
        if (stream(n))
            result = fclose(stream(n));
        stream(n) = nullptr;
    }
    return result;
}
