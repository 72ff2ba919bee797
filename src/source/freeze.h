// Freeze files: text, one frame number per line, naming the frames at which a sequence is
// held instead of read.
#pragma once

#include <cstdint>

// The frames a freeze file lists, ascending, each once: sized by the list, not the range.
struct FreezeTable {
    int *frames;
    int size;
};

// A longer freeze file is refused: far beyond any real list, and a file without end
// (a device, a huge sparse file) is not read for ever.
const int64_t max_freeze_file_bytes = (int64_t)64 << 20;

// Fills `table` with the frames listed in the file, one number per line, and returns the
// number of entries read. Blank lines are skipped; lines without a number or with a
// negative one are ignored with a warning each, those after end_frame with one warning
// that counts them. A file that cannot be opened ends the run with "Could not open file: <name>" on stdout and status 255; one that holds a NUL
// byte or more than max_freeze_file_bytes ends it with a message and status 1.
int loadfreezefile(const char *name, FreezeTable *table);

// Whether `frame` is listed in the table.
int frame_frozen(const FreezeTable *table, int frame);

// Frees the frames; the table is empty again.
void free_freeze_table(FreezeTable *table);

// Reads the freeze file of every sequence that was given one into its table.
void load_freeze_tables();

// The freeze table of sequence 1..3; null when none was given (sequence 1 never has one).
const FreezeTable *freeze_table_of(int sequence);
