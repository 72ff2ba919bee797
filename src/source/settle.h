// The picture size that every sequence of the run shares and the sample format of each, settled
// from the command line, the sources' headers and streams and, last, the first file's name;
// then the format the run compares in. Refusals: status 1.
#pragma once

struct PixelFormat;
struct Source;

// Before the first source is opened: only what the command line gave is settled.
void begin_settling();

// A source's picture size; `what` names where it was found ("YUV4MPEG2 picture size",
// "picture size") for the message of a mismatch.
void settle_picture_size(const char *path, int width, int height, const char *what);

// The format of a YUV4MPEG2 header: -pix_fmt's when given; the first one is also what raw
// files hold unless a name says otherwise. Another chroma layout than the first is refused.
void settle_header_format(const char *path, const PixelFormat *format);

// What is still unsettled, from the name of the first file that is not an encoded stream when
// it says (one line on standard error says what was taken). Raw files then hold -pix_fmt's
// format, the first header's, that name's or yuv420p, never a stream's. Every name that says
// a size or format must agree with its sequence's. Last, the run's format (`pixel_format`):
// the sequences' common chroma layout at the highest depth; each sequence of a lower depth
// gets one line, another chroma layout ends the run naming both files. `sources` are the
// sequences' in order, opened.
void settle_formats(Source *const *sources, int count);

// True when neither the command line, a header, a stream nor a name gave the size.
bool picture_size_assumed();
