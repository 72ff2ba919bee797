// The counts of encoded files counted before, kept between runs: a file opened again, by any
// of the programs, plays at once instead of being decoded whole first. An entry belongs to
// one state of one file (device, inode, size, both change times) and to the decoding
// libraries' versions; anything else, and any entry that does not read back whole, is
// counted afresh.
#pragma once

#include <cstddef>
#include <cstdint>

struct DecodedSource;

// Notes which state of the file the count about to be made or recalled belongs to; false
// for what is not a regular file, which is never kept.
bool note_file_state(DecodedSource *source);

// The count of the state noted, when one was kept for the stream opened: frames, lost frames,
// times, key frames, types, and the first frame's size and format, so that no frame need be
// decoded before play.
bool recall_count(DecodedSource *source);

// Keeps a finished count, when it was worth the decoding and the file is still in the state
// noted. Failing to write leaves everything as it was; it never ends the run.
void remember_count(const DecodedSource *source);

// What recall_count does with the bytes of an entry: every value is checked against the state
// noted, the stream opened and each other before any is taken.
bool take_count_entry(const unsigned char *bytes, size_t size, DecodedSource *source);

// The checksum that ends an entry, over the bytes before it.
uint64_t count_entry_checksum(const unsigned char *bytes, size_t size);
