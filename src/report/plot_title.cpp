#include "plot_title.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

static const char ellipsis[] = "\xe2\x80\xa6";  // U+2026 in UTF-8
static const char separator[] = "     ";
static const size_t least_kept = 2;  // characters of a name kept, its ends, however long

static const char *base_name(const char *path)
{
    const char *slash = strrchr(path, '/');
    return slash ? slash + 1 : path;
}

// Bytes of the valid UTF-8 character at the start of `s` (0 for none): the font
// functions refuse a string with any other, and file names need not be UTF-8.
static size_t character_bytes(const unsigned char *s, size_t left)
{
    size_t bytes = s[0] < 0x80 ? 1 : s[0] >= 0xc2 && s[0] <= 0xdf ? 2 : s[0] >= 0xe0 && s[0] <= 0xef ? 3
                 : s[0] >= 0xf0 && s[0] <= 0xf4 ? 4 : 0;
    if (bytes == 0 || bytes > left)
        return 0;
    unsigned char low = s[0] == 0xe0 ? 0xa0 : s[0] == 0xf0 ? 0x90 : 0x80;
    unsigned char high = s[0] == 0xed ? 0x9f : s[0] == 0xf4 ? 0x8f : 0xbf;
    for (size_t i = 1; i < bytes; i++, low = 0x80, high = 0xbf)
        if (s[i] < low || s[i] > high)
            return 0;
    return bytes;
}

// The name with each byte that starts no valid UTF-8 character shown as '?'.
static std::string printable(const char *name)
{
    std::string out;
    const unsigned char *s = (const unsigned char *)name;
    for (size_t left = strlen(name); left > 0;) {
        size_t bytes = character_bytes(s, left);
        out.append(bytes ? (const char *)s : "?", bytes ? bytes : 1);
        s += bytes ? bytes : 1;
        left -= bytes ? bytes : 1;
    }
    return out;
}

// Byte offsets of the characters of a valid UTF-8 name, and its length at the end.
static std::vector<size_t> character_starts(const std::string &name)
{
    std::vector<size_t> starts;
    for (size_t i = 0; i < name.size(); i++)
        if (((unsigned char)name[i] & 0xc0) != 0x80)
            starts.push_back(i);
    starts.push_back(name.size());
    return starts;
}

// The name in at most `most` characters: its start and end around an ellipsis.
static std::string shortened(const std::string &name, size_t most)
{
    std::vector<size_t> starts = character_starts(name);
    size_t characters = starts.size() - 1;
    if (characters <= most)
        return name;
    size_t tail = (most - 1) / 2, head = most - 1 - tail;
    return name.substr(0, starts[head]) + ellipsis + name.substr(starts[characters - tail]);
}

static std::string joined(const char *const captions[], const std::vector<std::string> &names,
                          size_t most)
{
    std::string line;
    for (size_t n = 0; n < names.size(); n++)
        line += (n ? separator : "") + std::string(captions[n]) + ": " + shortened(names[n], most);
    return line;
}

static double width_of(cairo_t *cr, const std::string &line)
{
    cairo_text_extents_t extents;
    cairo_text_extents(cr, line.c_str(), &extents);
    return extents.x_advance;
}

std::string plot_file_names(cairo_t *cr, const char *const captions[], const char *const paths[],
                            int count, double width)
{
    std::vector<std::string> names;
    size_t longest = 0;
    for (int n = 0; n < count; n++) {
        names.push_back(printable(base_name(paths[n])));
        longest = std::max(longest, character_starts(names.back()).size() - 1);
    }
    if (longest <= least_kept + 1 || width_of(cr, joined(captions, names, longest)) <= width)
        return joined(captions, names, longest);
    // The most characters per name that fit: one cap for every long name.
    size_t fits = least_kept + 1, too_many = longest;
    while (too_many - fits > 1) {
        size_t middle = fits + (too_many - fits) / 2;
        if (width_of(cr, joined(captions, names, middle)) <= width)
            fits = middle;
        else
            too_many = middle;
    }
    return joined(captions, names, fits);
}

std::string plot_title(bool with_ssim, int first_frame, int frames, const char *region)
{
    if (frames == 0)
        return "Luma PSNR per frame: no frames measured";
    char title[160];
    snprintf(title, sizeof title, "Luma PSNR%s per frame, frames %d to %d%s%s",
             with_ssim ? " and SSIM" : "", first_frame, first_frame + frames - 1,
             region ? " of region " : "", region ? region : "");
    return title;
}
