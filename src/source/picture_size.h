// The picture size shared by all sequences: QCIF by default, -CIF, -size WxH, a
// YUV4MPEG2 header or the first file's name.
#pragma once

#include <string>

struct PixelFormat;

const int min_picture_width = 16;
const int min_picture_height = 16;
const int max_picture_width = 4096;
const int max_picture_height = 2304;

// Even, and inside the limits above.
bool picture_size_allowed(int width, int height);

// Reads "WxH" (decimal, nothing else); false when malformed or not allowed.
bool parse_picture_size(const char *text, int *width, int *height);

// Sets both the layout size and the coded size.
void set_picture_size(int width, int height);

// What a file name says of its pictures, the way codec people name their files
// ("foreman_1920x1080_60fps_420p10le.yuv", "clip_1080p_10bit.yuv"): a size "WxH" or a size
// word ("1080p", "cif", "4k"; 0 x 0 when none) and a format from its name ("yuv422p12le", "nv12",
// "422p12", "gray10", "yuv444") or a depth ("10bit": 4:2:0 unless the name gives the layout);
// null when none. Tokens are whole words between separators, in the last part of the path
// only; the first of each kind wins, except that an allowed size replaces one that is not.
// A token that looks like a format but is none that is read ("yuv420p10be", "yuv422") is
// kept in `unread_format`. False when the name says nothing.
struct NameHints {
    int width, height;
    const PixelFormat *format;
    std::string unread_format;
};
bool read_name_hints(const char *path, NameHints *hints);
