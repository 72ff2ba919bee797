#include "picture_size.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>

#include "common/pixel_format.h"
#include "common/settings.h"

bool picture_size_allowed(int width, int height)
{
    return width % 2 == 0 && height % 2 == 0 && width >= min_picture_width &&
           width <= max_picture_width && height >= min_picture_height &&
           height <= max_picture_height;
}

static bool parse_dimension(const char *text, const char **end, int *value)
{
    if (!isdigit((unsigned char)*text))
        return false;
    errno = 0;
    char *stop;
    long number = strtol(text, &stop, 10);
    if (errno == ERANGE || number > 100000)
        return false;
    *value = (int)number;
    *end = stop;
    return true;
}

bool parse_picture_size(const char *text, int *width, int *height)
{
    const char *rest;
    int w, h;
    if (!parse_dimension(text, &rest, &w) || *rest != 'x')
        return false;
    if (!parse_dimension(rest + 1, &rest, &h) || *rest != '\0')
        return false;
    if (!picture_size_allowed(w, h))
        return false;
    *width = w;
    *height = h;
    return true;
}

void set_picture_size(int width, int height)
{
    horizontal_size = coded_picture_width = width;
    vertical_size = coded_picture_height = height;
}

bool read_name_hints(const char *path, NameHints *hints)
{
    static const std::regex size("([0-9]{1,5})x([0-9]{1,5})(?:[pi][0-9]*)?");
    static const std::regex layout("(?:yuv)?(420|422|444)p(?:(10|12|16)(?:le)?)?");
    static const std::regex gray("gray(?:(10|12|16)(?:le)?)?");
    static const std::regex depth("(8|10|12|16)bits?");
    *hints = NameHints{0, 0, nullptr};
    const char *slash = strrchr(path, '/');
    std::string name = slash ? slash + 1 : path;
    for (char &c : name)
        c = isalnum((unsigned char)c) ? (char)tolower((unsigned char)c) : ' ';
    int layout_depth = 0, named_depth = 0;
    ChromaLayout chroma = chroma_420;
    bool layout_named = false;
    size_t start = 0;
    while (start < name.size()) {
        size_t end = name.find(' ', start);
        if (end == std::string::npos)
            end = name.size();
        std::string token = name.substr(start, end - start);
        start = end + 1;
        std::smatch m;
        if (hints->width == 0 && std::regex_match(token, m, size)) {
            hints->width = std::stoi(m[1]);
            hints->height = std::stoi(m[2]);
        } else if (!layout_named && std::regex_match(token, m, layout)) {
            chroma = m[1] == "420" ? chroma_420 : m[1] == "422" ? chroma_422 : chroma_444;
            layout_depth = m[2].matched ? std::stoi(m[2]) : 8;
            layout_named = true;
        } else if (!layout_named && std::regex_match(token, m, gray)) {
            chroma = chroma_gray;
            layout_depth = m[1].matched ? std::stoi(m[1]) : 8;
            layout_named = true;
        } else if (named_depth == 0 && std::regex_match(token, m, depth)) {
            named_depth = std::stoi(m[1]);
        }
    }
    // A depth in the format's own name wins over a separate one, unless that name gave none.
    if (layout_named || named_depth) {
        bool explicit_depth = layout_named && layout_depth != 8;
        int bits = explicit_depth ? layout_depth : named_depth ? named_depth : layout_depth;
        hints->format = pixel_format_of(bits, chroma);
    }
    return hints->width > 0 || hints->format;
}
