#include "y4m.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "picture_size.h"
#include "common/colour_conversion.h"
#include "common/pixel_format.h"

// The C tags understood, with the sample format each stands for.
static const struct {
    const char *tag;
    const char *format;
} chroma_tags[] = {
    {"420jpeg", "yuv420p"},      {"420paldv", "yuv420p"},     {"420mpeg2", "yuv420p"},
    {"420", "yuv420p"},          {"422", "yuv422p"},          {"444", "yuv444p"},
    {"mono", "gray"},            {"420p10", "yuv420p10le"},   {"422p10", "yuv422p10le"},
    {"444p10", "yuv444p10le"},   {"mono10", "gray10le"},      {"420p12", "yuv420p12le"},
    {"422p12", "yuv422p12le"},   {"444p12", "yuv444p12le"},   {"mono12", "gray12le"},
    {"420p16", "yuv420p16le"},   {"422p16", "yuv422p16le"},   {"444p16", "yuv444p16le"},
    {"mono16", "gray16le"},
};

bool has_y4m_magic(const char *bytes, size_t length)
{
    return length >= y4m_magic_length && memcmp(bytes, y4m_magic, y4m_magic_length) == 0;
}

// A whole token of decimal digits, at most 9 of them; -1 otherwise.
static long token_number(const char *text, size_t length)
{
    if (length == 0 || length > 9)
        return -1;
    long value = 0;
    for (size_t i = 0; i < length; i++) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

static bool token_is(const char *text, size_t length, const char *word)
{
    return strlen(word) == length && memcmp(text, word, length) == 0;
}

// "F<num>:<den>"; an unusable rate (zero or malformed) counts as absent.
static void read_rate(const char *value, size_t length, Y4mHeader *header)
{
    const char *colon = (const char *)memchr(value, ':', length);
    header->rate_numerator = header->rate_denominator = 0;
    if (!colon)
        return;
    long numerator = token_number(value, colon - value);
    long denominator = token_number(colon + 1, length - (colon - value) - 1);
    if (numerator <= 0 || denominator <= 0)
        return;
    header->rate_numerator = (int)numerator;
    header->rate_denominator = (int)denominator;
}

bool parse_y4m_header(const char *bytes, size_t length, Y4mHeader *header, char *error,
                      size_t error_size)
{
    if (!has_y4m_magic(bytes, length)) {
        snprintf(error, error_size, "not a YUV4MPEG2 file");
        return false;
    }
    size_t scan = length < y4m_max_header_length ? length : y4m_max_header_length;
    const char *newline = (const char *)memchr(bytes, '\n', scan);
    if (!newline) {
        snprintf(error, error_size, "YUV4MPEG2 header has no end of line within %zu bytes",
                 scan);
        return false;
    }

    // A header written with CRLF line ends: the CR is no part of the last tag.
    const char *tags_end = newline[-1] == '\r' ? newline - 1 : newline;
    long width = -1, height = -1;
    *header = Y4mHeader{};
    header->format = default_pixel_format;
    header->colour_range = -1;
    const char *p = bytes + y4m_magic_length;
    while (p < tags_end) {
        const char *end = (const char *)memchr(p, ' ', tags_end - p);
        if (!end)
            end = tags_end;
        size_t token_length = end - p;
        if (token_length > 0) {
            const char *value = p + 1;
            size_t value_length = token_length - 1;
            switch (*p) {
            case 'W':
                width = token_number(value, value_length);
                break;
            case 'H':
                height = token_number(value, value_length);
                break;
            case 'F':
                read_rate(value, value_length, header);
                break;
            case 'C': {
                header->format = nullptr;
                for (const auto &chroma : chroma_tags)
                    if (token_is(value, value_length, chroma.tag))
                        header->format = find_pixel_format(chroma.format);
                if (!header->format) {
                    snprintf(error, error_size,
                             "YUV4MPEG2 chroma tag C%.*s is not supported (4:2:0, 4:2:2, "
                             "4:4:4 or mono at 8, 10, 12 or 16 bits)",
                             (int)(value_length > 40 ? 40 : value_length), value);
                    return false;
                }
                break;
            }
            case 'X':  // other extensions say nothing to playback
                if (token_is(value, value_length, "COLORRANGE=LIMITED"))
                    header->colour_range = range_limited;
                else if (token_is(value, value_length, "COLORRANGE=FULL"))
                    header->colour_range = range_full;
                break;
            default:  // interlacing, aspect ratio, comments: nothing to do with playback
                break;
            }
        }
        p = end + 1;
    }

    if (width < 0 || height < 0) {
        snprintf(error, error_size, "YUV4MPEG2 header lacks a valid %s tag",
                 width < 0 ? "W (width)" : "H (height)");
        return false;
    }
    if (width > INT_MAX || height > INT_MAX ||
        !picture_size_allowed((int)width, (int)height)) {
        snprintf(error, error_size,
                 "YUV4MPEG2 picture size %ldx%ld is not supported (even, %dx%d up to %dx%d)",
                 width, height, min_picture_width, min_picture_height, max_picture_width,
                 max_picture_height);
        return false;
    }
    header->width = (int)width;
    header->height = (int)height;
    header->length = newline - bytes + 1;
    return true;
}

size_t y4m_frame_header_length(const char *bytes, size_t length)
{
    static const char tag[] = "FRAME";
    const size_t tag_length = sizeof tag - 1;
    if (length <= tag_length || memcmp(bytes, tag, tag_length) != 0)
        return 0;
    char after = bytes[tag_length];
    if (after != '\n' && after != ' ' && !(after == '\r' && length > tag_length + 1 &&
                                           bytes[tag_length + 1] == '\n'))
        return 0;
    size_t scan = length < y4m_max_frame_header_length ? length : y4m_max_frame_header_length;
    const char *newline = (const char *)memchr(bytes, '\n', scan);
    return newline ? newline - bytes + 1 : 0;
}
