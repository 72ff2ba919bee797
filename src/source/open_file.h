// Opening the files the command line names.
#pragma once

#include <cstdio>

// fopen(path, "rb"), except that a FIFO without a writer does not block start-up for
// ever: it opens at once and reads as empty. Null when the file cannot be opened.
FILE *open_for_reading(const char *path);

// Reads a stream up to `capacity` bytes or to the end of a line, newline included; returns
// the bytes read.
size_t read_line(FILE *file, char *buffer, size_t capacity);
