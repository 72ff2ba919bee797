// The picture size shared by all sequences: QCIF by default, -CIF, -size WxH or a
// YUV4MPEG2 header.
#pragma once

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
