#include "settle.h"

#include <cstdio>

#include "options.h"
#include "picture_size.h"
#include "common/die.h"
#include "common/pixel_format.h"
#include "common/settings.h"

// The size and format settled so far and where they came from, for the mismatch messages;
// "" when the command line gave them, null while unsettled.
static const char *size_source = nullptr;
static const char *format_source = nullptr;
// The stream that settled the format, if one did: a raw file must not borrow it.
static const char *format_stream = nullptr;

void begin_settling()
{
    size_source = size_given ? "" : nullptr;
    format_source = pix_fmt_given ? "" : nullptr;
    format_stream = nullptr;
}

void settle_picture_size(const char *path, int width, int height, const char *what)
{
    if (width == horizontal_size && height == vertical_size) {
        if (!size_source)
            size_source = path;
        return;
    }
    if (size_given)
        die(1, "%s: %s %dx%d does not match the size %dx%d given on the command line\n", path,
            what, width, height, horizontal_size, vertical_size);
    if (size_source)
        die(1, "%s: %s %dx%d does not match %dx%d of %s\n", path, what, width, height,
            horizontal_size, vertical_size, size_source);
    set_picture_size(width, height);
    size_source = path;
}

void settle_header_format(const char *path, const PixelFormat *format)
{
    if (format == pixel_format) {
        if (!format_source)
            format_source = path;
        return;
    }
    if (pix_fmt_given)
        die(1, "%s: YUV4MPEG2 format %s does not match -pix_fmt %s\n", path, format->name,
            pixel_format->name);
    if (format_source)
        die(1, "%s: YUV4MPEG2 format %s does not match %s of %s\n", path, format->name,
            pixel_format->name, format_source);
    pixel_format = format;
    format_source = path;
}

void settle_decoded_format(const char *path, const PixelFormat *format)
{
    if (format != pixel_format && (pix_fmt_given || format_source))
        die(1, "%s: decodes to %s, but the run's format is %s\n", path, format->name,
            pixel_format->name);
    pixel_format = format;
    if (!format_source)
        format_source = format_stream = path;
}

// A raw file has no format of its own but -pix_fmt's, its name's or the default. Reading it in
// a stream's format would measure a 10-bit encode against an 8-bit source read as 10-bit:
// wrong numbers with no warning.
void refuse_format_borrowed_from_stream(const char *raw_path)
{
    if (!format_stream || pixel_format == default_pixel_format)
        return;
    NameHints hints;
    read_name_hints(raw_path, &hints);
    if (!hints.format)
        die(1, "%s: a raw file without -pix_fmt or a format in its name is %s, but %s decodes "
               "to %s; give -pix_fmt if the file is %s\n",
            raw_path, default_pixel_format->name, format_stream, pixel_format->name,
            pixel_format->name);
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
        pixel_format = hints.format;
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

// A name that says one size or format while the run reads another would give wrong
// pictures and wrong numbers in silence. The command line overrides names.
static void check_name_hints(const char *path, const char *first_path, const NameHints &hints)
{
    if (!hints.unread_format.empty() && !hints.format)
        fprintf(stderr, "%s: %s in the file name is not a sample format that can be read; "
                        "it is ignored\n", path, hints.unread_format.c_str());
    const char *run_source = size_source ? size_source : first_path;
    if (!size_given && hints.width > 0 &&
        (hints.width != horizontal_size || hints.height != vertical_size))
        die(1, "%s: size %dx%d from the file name does not match %dx%d of %s\n", path,
            hints.width, hints.height, horizontal_size, vertical_size, run_source);
    run_source = format_source ? format_source : first_path;
    if (!pix_fmt_given && hints.format && hints.format != pixel_format)
        die(1, "%s: format %s from the file name does not match %s of %s\n", path,
            hints.format->name, pixel_format->name, run_source);
}

void settle_from_names(const char *const *paths, int count)
{
    if (count < 1)
        return;
    NameHints first;
    read_name_hints(paths[0], &first);
    take_hints_from_name(paths[0], first);
    for (int i = 0; i < count; i++) {
        NameHints hints;
        read_name_hints(paths[i], &hints);
        check_name_hints(paths[i], paths[0], hints);
    }
}

bool picture_size_assumed()
{
    return size_source == nullptr;
}
