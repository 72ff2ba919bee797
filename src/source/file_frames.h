// What raw and YUV4MPEG2 files share: whole pictures at fixed offsets. Frame n starts at
// header + n * (frame header + one picture of the file's format).
#pragma once

#include <cstdint>

#include "source.h"

// The record of a source kept as a file of fixed-size frames.
struct FileFrames {
    int64_t header_bytes;        // in front of the first frame; 0 for raw files
    int64_t frame_header_bytes;  // in front of every frame; 0 for raw files
};

FileFrames *file_frames(const Source *source);

// Starts the record of a file with the given headers.
void open_file_frames(Source *source, int64_t header_bytes, int64_t frame_header_bytes);

// Up to `capacity` bytes from `offset` of the file, without moving it.
size_t peek_file(const Source *source, int64_t offset, char *buffer, size_t capacity);

// Byte offset of frame `frame`.
int64_t file_frame_offset(const Source *source, int64_t frame);

// The operations both kinds fill their tables with.
int64_t file_frame_count(Source *source);
void file_refuse_empty(const Source *source);
void file_seek(Source *source, int64_t frame);
bool file_read(Source *source, YuvFrame *picture);
bool file_ended(const Source *source);
void file_close(Source *source);
