// The sequences of the run: their files opened as the command line names them, the kind of
// source in each told by its first bytes, the frame range, and every read through the
// kind's table.
#include "sequence.h"

#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "open_file.h"
#include "settle.h"
#include "y4m.h"
#include "common/die.h"
#include "common/picture_memory.h"
#include "common/pixel_format.h"
#include "common/region.h"
#include "common/settings.h"

Sequence sequences[4];

void open_sequence(int n, const char *path)
{
    Source &source = sequences[n].source;
    source = Source{nullptr, path, open_for_reading(path), false, nullptr, 0, 0, {-1, -1}, 0,
                    nullptr, {}, false};
    if (!source.file)
        die(3, "Can't open yuvfile%d for input!\n", n);
    // A directory or a file that fails to read would otherwise play as black frames.
    int fd = fileno(source.file);
    char probe;
    if (pread(fd, &probe, 1, 0) < 0 && errno != ESPIPE)
        die(1, "%s: can not be read: %s\n", path, strerror(errno));
    source.streamed = lseek(fd, 0, SEEK_CUR) < 0;
    // Each plane is one read straight into its buffer; the stream's own small buffer
    // would split it into several reads and copy the pieces.
    setvbuf(source.file, nullptr, _IONBF, 0);
    sequences[n].path = path;
}

bool sequence_file_opens(const char *path)
{
    FILE *file = open_for_reading(path);
    if (file)
        fclose(file);
    return file != nullptr;
}

// The stream header or, when there is none, at least the first bytes. A pipe gives only as
// much as tells a YUV4MPEG2 stream from raw data; the kind that opens it takes the rest.
static size_t look_at_start(const Source &source, char *buffer)
{
    if (!source.streamed) {
        ssize_t got = pread(fileno(source.file), buffer, y4m_max_header_length, 0);
        return got > 0 ? (size_t)got : 0;
    }
    return read_line(source.file, buffer, y4m_magic_length);
}

// The kind surest of the file opens it; the first in the list wins a tie.
static void open_source(Source *source, char *buffer)
{
    SourceProbe probe = {source->path, source->streamed, buffer, look_at_start(*source, buffer)};
    const SourceKind *best = nullptr;
    int best_score = 0;
    for (const SourceKind *const *kind = source_kinds; *kind; kind++) {
        int score = (*kind)->probe(&probe);
        if (score > best_score) {
            best = *kind;
            best_score = score;
        }
        if (score >= 100)
            break;  // certain: the later kinds need not look
    }
    source->kind = best;  // raw data claims whatever nothing else does
    best->open(source, &probe);
}

// The first sequence's own frame rate: it paces playback unless -fps was given, and times
// on the command line count in it.
static void take_rate(const Source &source)
{
    if (source.rate_numerator <= 0)
        return;
    settings.sequence_rate_numerator = source.rate_numerator;
    settings.sequence_rate_denominator = source.rate_denominator;
}

void read_sequence_headers()
{
    static char buffer[y4m_max_header_length];
    begin_settling();
    settings.sequence_rate_numerator = settings.sequence_rate_denominator = 0;
    Source *sources[3];
    for (int n = 1; n <= settings.expand; n++) {
        open_source(&sequences[n].source, buffer);
        if (n == 1)
            take_rate(sequences[n].source);
        sources[n - 1] = &sequences[n].source;
    }
    settle_formats(sources, settings.expand);
}

void allocate_sequence_picture(int n)
{
    static const char *const names[4] = {"", "picture1", "picture2", "picture3"};
    // Pictures start black, so a sequence frozen at the first frame shows black.
    sequences[n].picture =
        allocate_picture(names[n], 128, settings.pixel_format, settings.horizontal_size, settings.vertical_size);
    sequences[n].region = region_of(sequences[n].picture, settings.cropping.region);
}

void allocate_sequence_pictures()
{
    for (int n = 1; n <= 3; n++)
        allocate_sequence_picture(n);
}

int64_t whole_frames(int n)
{
    Source &source = sequences[n].source;
    return source.kind->frame_count(&source);
}

void position_sequence(int n, int64_t frame)
{
    Source &source = sequences[n].source;
    if (source.kind->seek) {
        source.kind->seek(&source, frame);
        source.next_frame = frame;
        return;
    }
    while (source.next_frame < frame && source.kind->skip(&source))
        source.next_frame++;
}

bool read_picture(int n, YuvFrame *picture)
{
    Source &source = sequences[n].source;
    source.next_frame++;
    bool whole = source.kind->read(&source, picture);
    if (picture == &sequences[n].picture) {
        const FrameFacts *facts = source.kind->facts ? source.kind->facts(&source) : nullptr;
        if (whole && facts)
            sequences[n].facts = *facts;
        else
            forget_facts(&sequences[n].facts);
    }
    return whole;
}

// Also before the sequence is open (no kind yet): it says nothing then.
bool sequence_has_facts(int n)
{
    const SourceKind *kind = sequences[n].source.kind;
    return kind && kind->facts;
}

char sequence_frame_type(int n, int64_t k)
{
    const Source &source = sequences[n].source;
    return source.kind->frame_type ? source.kind->frame_type(&source, k) : 0;
}

bool sequence_ended(int n)
{
    const Source &source = sequences[n].source;
    return source.kind->ended(&source);
}

bool sequence_streamed(int n)
{
    return sequences[n].source.streamed;
}

bool sequence_seekable(int n)
{
    return sequences[n].source.kind->seek != nullptr;
}

bool read_luma_at(int n, int frame, unsigned char *luma)
{
    static unsigned char *chroma[4];
    if (!sequence_seekable(n))
        return false;
    if (!chroma[n] && settings.chroma_size > 0)
        chroma[n] = allocate_bytes(2 * settings.chroma_size, sequences[n].path);
    YuvFrame picture =
        packed_frame(luma, chroma[n], chroma[n] ? chroma[n] + settings.chroma_size : nullptr,
                     settings.horizontal_size, settings.vertical_size, settings.pixel_format->bit_depth,
                     settings.pixel_format->chroma);
    position_sequence(n, frame);
    return read_picture(n, &picture);
}

int close_sequences()
{
    int result = 0;
    for (int n = 1; n <= 3; n++) {
        Source &source = sequences[n].source;
        if (source.kind)
            source.kind->close(&source);
        source.kind = nullptr;
        if (source.file)
            result = fclose(source.file);
        source.file = nullptr;
    }
    return result;
}
