#include "settle.h"

#include <cstdio>
#include <utility>

#include "options.h"
#include "picture_size.h"
#include "source.h"
#include "common/die.h"
#include "common/pixel_format.h"
#include "common/settings.h"

// The size settled so far and where it came from, for the mismatch messages; "" when the
// command line gave it, null while unsettled.
static const char *size_source = nullptr;
// What raw files hold, and where that came from in the same way.
static const PixelFormat *raw_format = nullptr;
static const char *format_source = nullptr;

void begin_settling()
{
    size_source = settings.size_given ? "" : nullptr;
    format_source = settings.pix_fmt_given ? "" : nullptr;
    raw_format = settings.pix_fmt_given ? settings.pixel_format : default_pixel_format;
}

void settle_picture_size(const char *path, int width, int height, const char *what)
{
    if (width == settings.horizontal_size && height == settings.vertical_size) {
        if (!size_source)
            size_source = path;
        return;
    }
    if (settings.size_given)
        die(1, "%s: %s %dx%d does not match the size %dx%d given on the command line\n", path,
            what, width, height, settings.horizontal_size, settings.vertical_size);
    if (size_source)
        die(1, "%s: %s %dx%d does not match %dx%d of %s\n", path, what, width, height,
            settings.horizontal_size, settings.vertical_size, size_source);
    set_picture_size(width, height);
    size_source = path;
}

void settle_header_format(const char *path, const PixelFormat *format)
{
    if (settings.pix_fmt_given && format != raw_format)
        die(1, "%s: YUV4MPEG2 format %s does not match -pix_fmt %s\n", path, format->name,
            raw_format->name);
    if (!format_source) {
        raw_format = format;
        format_source = path;
    }
    // One layout at another depth is widened into the deeper one.
    if (format->chroma != raw_format->chroma)
        die(1, "%s: YUV4MPEG2 format %s does not match %s of %s\n", path, format->name,
            raw_format->name, format_source);
}

// What neither the command line nor a header settled comes from the first file's name,
// as codec people write it ("foreman_352x288_420p10le.yuv"); one line says what was taken.
static void take_hints_from_name(const char *path, const NameHints &hints)
{
    bool size = !size_source && hints.width > 0;
    bool format = !format_source && hints.format;
    if (size && !picture_size_allowed(hints.width, hints.height))
        die(1, "%s: picture size %dx%d from the file name is not supported (even, %dx%d up "
               "to %dx%d); give -size\n",
            path, hints.width, hints.height, min_picture_width, min_picture_height,
            max_picture_width, max_picture_height);
    if (size) {
        set_picture_size(hints.width, hints.height);
        size_source = path;
    }
    if (format) {
        raw_format = hints.format;
        format_source = path;
    }
    if (size && format)
        fprintf(stderr, "%s: size %dx%d and format %s taken from the file name\n", path,
                hints.width, hints.height, hints.format->name);
    else if (size)
        fprintf(stderr, "%s: size %dx%d taken from the file name\n", path, hints.width,
                hints.height);
    else if (format)
        fprintf(stderr, "%s: format %s taken from the file name\n", path, hints.format->name);
}

static bool is_raw(const Source *source)
{
    return source->kind == &raw_file_kind || source->kind == &raw_pipe_kind;
}

// A name that says one size or format while the run reads another would give wrong
// pictures and wrong numbers in silence. The command line overrides names.
static void check_name_hints(const Source *source, const char *first_path)
{
    NameHints hints;
    read_name_hints(source->path, &hints);
    const char *path = source->path;
    if (!hints.unread_format.empty() && !hints.format)
        fprintf(stderr, "%s: %s in the file name is not a sample format that can be read; "
                        "it is ignored\n", path, hints.unread_format.c_str());
    const char *run_source = size_source ? size_source : first_path;
    if (!settings.size_given && hints.width > 0 &&
        (hints.width != settings.horizontal_size || hints.height != settings.vertical_size))
        die(1, "%s: size %dx%d from the file name does not match %dx%d of %s\n", path,
            hints.width, hints.height, settings.horizontal_size, settings.vertical_size, run_source);
    run_source = !is_raw(source) ? path : format_source ? format_source : first_path;
    if (!settings.pix_fmt_given && hints.format && hints.format != source->format)
        die(1, "%s: format %s from the file name does not match %s of %s\n", path,
            hints.format->name, source->format->name, run_source);
}

// Sequences of different chroma layouts have no common picture to compare in. A raw file that
// holds the default only for want of being told may be what the other one holds.
[[noreturn]] static void refuse_chroma(const Source *one, const Source *other)
{
    if (is_raw(other))
        std::swap(one, other);
    if (is_raw(one) && !format_source)
        die(1, "%s: a raw file without -pix_fmt or a format in its name is %s, but %s decodes "
               "to %s; give -pix_fmt if the file is %s\n",
            one->path, one->format->name, other->path, other->format->name,
            other->format->name);
    die(1, "%s holds %s and %s holds %s: sequences of different chroma layouts can not be "
           "compared\n", one->path, one->format->name, other->path, other->format->name);
}

// One chroma layout at the highest depth; the lower ones are widened as encoders widen their
// input (8 to 10 bits: times 4), so an 8-bit source and its 10-bit encode compare as they should.
static void settle_run_format(Source *const *sources, int count)
{
    const Source *deepest = sources[0];
    for (int i = 1; i < count; i++) {
        if (sources[i]->format->chroma != sources[0]->format->chroma)
            refuse_chroma(sources[0], sources[i]);
        if (sources[i]->format->bit_depth > deepest->format->bit_depth)
            deepest = sources[i];
    }
    int depth = deepest->format->bit_depth;
    for (int i = 0; i < count; i++)
        if (sources[i]->format->bit_depth < depth)
            fprintf(stderr, "%s: its %d-bit samples are compared with the %d-bit ones of %s, "
                            "shifted left by %d\n", sources[i]->path,
                    sources[i]->format->bit_depth, depth, deepest->path,
                    depth - sources[i]->format->bit_depth);
    settings.pixel_format = planar_form(deepest->format);
}

void settle_formats(Source *const *sources, int count)
{
    if (count < 1)
        return;
    int first = 0;  // a stream's name speaks of the stream, not of the raw files
    while (first < count && sources[first]->kind == &decoded_stream_kind)
        first++;
    const char *first_path = sources[first < count ? first : 0]->path;
    if (first < count) {
        NameHints hints;
        read_name_hints(first_path, &hints);
        take_hints_from_name(first_path, hints);
    }
    for (int i = 0; i < count; i++)
        if (is_raw(sources[i]))
            sources[i]->format = raw_format;
    for (int i = 0; i < count; i++)
        check_name_hints(sources[i], first_path);
    settle_run_format(sources, count);
}

bool picture_size_assumed()
{
    return size_source == nullptr;
}
