// Opening the files the command line names.
#pragma once

#include <cstdio>

// fopen(path, "rb"), except that a FIFO without a writer does not block start-up for
// ever: it opens at once and reads as empty. Null when the file cannot be opened.
FILE *open_for_reading(const char *path);
