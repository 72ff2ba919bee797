// The picture size and sample format that every sequence of the run shares, settled from the
// command line, the sources' headers and, last, the first file's name. Refusals: status 1.
#pragma once

struct PixelFormat;

// Before the first source is opened: only what the command line gave is settled.
void begin_settling();

// A source's picture size; `what` names where it was found ("YUV4MPEG2 picture size",
// "picture size") for the message of a mismatch.
void settle_picture_size(const char *path, int width, int height, const char *what);

// The format of a YUV4MPEG2 header.
void settle_header_format(const char *path, const PixelFormat *format);

// The format a stream decodes to: unlike a header's, it may stand in for a format taken from
// the first file's name, but not for one given or settled by an earlier sequence.
void settle_decoded_format(const char *path, const PixelFormat *format);

// Refuses a raw file whose format would only come from the stream that settled the run's.
void refuse_format_borrowed_from_stream(const char *raw_path);

// What is still unsettled, from the first file's name when it says (one line on standard
// error says what was taken); then every name that says a size or format must agree with the
// run's. `paths` are the sequences' in order.
void settle_from_names(const char *const *paths, int count);

// True when neither the command line, a header, a stream nor a name gave the size.
bool picture_size_assumed();
