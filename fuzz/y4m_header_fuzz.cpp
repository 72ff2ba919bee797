// libFuzzer target: the YUV4MPEG2 stream and frame header parsers, and the reader of size
// and format words in file names, on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "source/picture_size.h"
#include "source/y4m.h"
#include "common/pixel_format.h"

// The bytes up to the first NUL as a path: what a name says must be whole and sound.
static void read_as_name(const char *data, size_t size)
{
    std::string path(data, data + size);  // data is null when size is 0
    path.resize(strlen(path.c_str()));
    NameHints hints;
    bool said = read_name_hints(path.c_str(), &hints);
    if (said != (hints.width > 0 || hints.format || !hints.unread_format.empty()))
        abort();
    if ((hints.width > 0) != (hints.height > 0) || hints.width > 99999 || hints.height > 99999)
        abort();
    if (hints.format && find_pixel_format(hints.format->name) != hints.format)
        abort();
    for (char c : hints.unread_format)
        if (!isalnum((unsigned char)c) || isupper((unsigned char)c))
            abort();
}

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
    read_as_name(bytes.data(), size);
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
