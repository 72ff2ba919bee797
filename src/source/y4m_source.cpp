#include "y4m_source.h"

#include "settle.h"
#include "y4m.h"
#include "common/die.h"

int64_t take_y4m_header(Source *source, const char *bytes, size_t length)
{
    Y4mHeader header;
    char error[200];
    if (!parse_y4m_header(bytes, length, &header, error, sizeof error))
        die(1, "%s: %s\n", source->path, error);
    settle_picture_size(source->path, header.width, header.height, "YUV4MPEG2 picture size");
    settle_header_format(source->path, header.format);
    source->format = header.format;
    source->colours.range = header.colour_range;
    if (header.rate_numerator > 0) {
        source->rate_numerator = header.rate_numerator;
        source->rate_denominator = header.rate_denominator;
    }
    return (int64_t)header.length;
}

int64_t first_frame_header_length(const Source *source, const char *bytes, size_t length)
{
    int64_t header = (int64_t)y4m_frame_header_length(bytes, length);
    if (header > 0)
        return header;
    if (length > 0)
        die(1, "%s: no FRAME header after the YUV4MPEG2 header\n", source->path);
    return 6;
}

void refuse_frame_header(const Source *source, int64_t frame, int64_t length)
{
    die(1, "%s: frame %lld does not start with a FRAME header of %lld bytes like the first "
           "frame (frame headers must all have one length)\n",
        source->path, (long long)frame, (long long)length);
}
