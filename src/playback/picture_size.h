// The picture size shared by all sequences: QCIF by default, -CIF, -size WxH, a
// YUV4MPEG2 header or the first file's name.
#pragma once

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
// ("foreman_1920x1080_60fps_420p10le.yuv"): a size "WxH" (0 x 0 when none) and a format from
// its name ("yuv422p12le", "422p12", "gray10") or a depth ("10bit": 4:2:0 unless the name
// gives the layout); null when none. Only the last part of the path counts; the first of
// each kind wins. False when the name says nothing.
struct NameHints {
    int width, height;
    const PixelFormat *format;
};
bool read_name_hints(const char *path, NameHints *hints);
