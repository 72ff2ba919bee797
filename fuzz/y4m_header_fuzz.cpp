// libFuzzer target: the YUV4MPEG2 stream and frame header parsers on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "playback/picture_size.h"
#include "playback/y4m.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // An exact-size copy, so that any read past the end is caught. Inputs that start with
    // an odd byte get the magic in front, so the tag parser is reached without a corpus.
    std::vector<char> bytes;
    if (size > 0 && (data[0] & 1)) {
        bytes.assign(y4m_magic, y4m_magic + y4m_magic_length);
        data++;
        size--;
    }
    bytes.insert(bytes.end(), data, data + size);
    size = bytes.size();
    Y4mHeader header;
    char error[64];
    if (parse_y4m_header(bytes.data(), size, &header, error, sizeof error)) {
        if (!picture_size_allowed(header.width, header.height) || header.length > size ||
            bytes[header.length - 1] != '\n')
            abort();
        if ((header.rate_numerator > 0) != (header.rate_denominator > 0))
            abort();
    } else if (strlen(error) == 0 || strlen(error) >= sizeof error) {
        abort();
    }
    size_t frame_header = y4m_frame_header_length(bytes.data(), size);
    if (frame_header > size || (frame_header > 0 && bytes[frame_header - 1] != '\n'))
        abort();
    return 0;
}
