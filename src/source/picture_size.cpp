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
    settings.horizontal_size = width;
    settings.vertical_size = height;
}

// The size words of codec people's names, each a whole token.
struct SizeWord {
    const char *word;
    int width, height;
};
static const SizeWord size_words[] = {
    {"2160p", 3840, 2160}, {"4k", 3840, 2160},  {"uhd", 3840, 2160},   {"1440p", 2560, 1440},
    {"1080p", 1920, 1080}, {"1080i", 1920, 1080}, {"720p", 1280, 720}, {"576p", 720, 576},
    {"576i", 720, 576},    {"480p", 720, 480},  {"4cif", 704, 576},    {"cif", 352, 288},
    {"qcif", 176, 144},
};

static bool size_of_token(const std::string &token, int *width, int *height)
{
    static const std::regex size("([0-9]{1,5})x([0-9]{1,5})(?:[pi][0-9]*)?");
    std::smatch m;
    // "0x8" is no size: a zero side would pass for "no size named" on one side only.
    if (std::regex_match(token, m, size) && std::stoi(m[1]) > 0 && std::stoi(m[2]) > 0) {
        *width = std::stoi(m[1]);
        *height = std::stoi(m[2]);
        return true;
    }
    for (const SizeWord &word : size_words)
        if (token == word.word) {
            *width = word.width;
            *height = word.height;
            return true;
        }
    return false;
}

bool read_name_hints(const char *path, NameHints *hints)
{
    static const std::regex layout("(?:yuv)?(420|422|444)p(?:(10|12|16)(?:le)?)?|yuv(420|444)");
    static const std::regex gray("gray(?:(10|12|16)(?:le)?)?");
    static const std::regex depth("(8|10|12|16)bits?");
    static const std::regex interleaved("nv12|nv21|p010(?:le)?");
    // What reads as a format but is none of the above: "yuv420p10be", "yuv422", "p010be", "nv16".
    static const std::regex format_like("yuvj?[0-9].*|(?:420|422|444|411|440)p.*|gray.+|nv[0-9]+.*"
                                        "|p0[0-9][0-9].*");
    *hints = NameHints{0, 0, nullptr, ""};
    const char *slash = strrchr(path, '/');
    std::string name = slash ? slash + 1 : path;
    for (char &c : name)
        c = isalnum((unsigned char)c) ? (char)tolower((unsigned char)c) : ' ';
    int layout_depth = 0, named_depth = 0;
    ChromaLayout chroma = chroma_420;
    bool layout_named = false, size_allowed = false;
    const PixelFormat *interleaved_format = nullptr;  // its depth is part of it
    size_t start = 0;
    while (start < name.size()) {
        size_t end = name.find(' ', start);
        if (end == std::string::npos)
            end = name.size();
        std::string token = name.substr(start, end - start);
        start = end + 1;
        std::smatch m;
        int width, height;
        // The first allowed size wins; one not allowed stays only until an allowed one comes.
        if (size_of_token(token, &width, &height)) {
            if (!size_allowed && (hints->width == 0 || picture_size_allowed(width, height))) {
                hints->width = width;
                hints->height = height;
                size_allowed = picture_size_allowed(width, height);
            }
        } else if (std::regex_match(token, m, layout)) {
            if (layout_named)
                continue;
            std::string digits = m[1].matched ? m[1].str() : m[3].str();
            chroma = digits == "420" ? chroma_420 : digits == "422" ? chroma_422 : chroma_444;
            layout_depth = m[2].matched ? std::stoi(m[2]) : 8;
            layout_named = true;
        } else if (std::regex_match(token, m, gray)) {
            if (layout_named)
                continue;
            chroma = chroma_gray;
            layout_depth = m[1].matched ? std::stoi(m[1]) : 8;
            layout_named = true;
        } else if (std::regex_match(token, interleaved)) {
            if (layout_named)
                continue;
            interleaved_format = find_pixel_format(token == "p010" ? "p010le" : token.c_str());
            layout_named = true;
        } else if (std::regex_match(token, m, depth)) {
            if (named_depth == 0)
                named_depth = std::stoi(m[1]);
        } else if (hints->unread_format.empty() && std::regex_match(token, format_like)) {
            hints->unread_format = token;
        }
    }
    // A depth in the format's own name wins over a separate one, unless that name gave none.
    if (layout_named || named_depth) {
        bool explicit_depth = layout_named && layout_depth != 8;
        int bits = explicit_depth ? layout_depth : named_depth ? named_depth : layout_depth;
        hints->format = interleaved_format ? interleaved_format : pixel_format_of(bits, chroma);
    }
    return hints->width > 0 || hints->format || !hints->unread_format.empty();
}
