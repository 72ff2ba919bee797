// The command line: the option loop, the usage text and the checks that follow it.
#pragma once

#include "common/numbers.h"

// A program that shares the option loop (the report tool) recognises its own options
// through this hook. Return 0 when `name` is not yours, 1 when it is a switch without a
// value, 2 when it takes `value` (null when `name` is the last argument).
typedef int (*extra_option_fn)(const char *name, const char *value);

// Full paths of the freeze files, as given (fr2_name and fr3_name hold display copies).
extern const char *fr2_path;
extern const char *fr3_path;

// Whether the command line set the frame rate / the picture size (-size or -CIF); a
// YUV4MPEG2 header only fills in what was not given.
extern int fps_given;
extern int size_given;

// -fps as read, exactly, and as typed.
extern Fraction fps_rate;
extern const char *fps_text;

// Turns -s and -e given as times into the frames on screen then at `rate`.
void frames_from_times(Fraction rate);

// Prints the usage text on standard output.
void help(const char *program_name);

// Runs the option loop over argv, opening each sequence file as its option is read, and
// checks the result. Every refusal prints its message and exits with its status.
void parse_options(int argc, char **argv, extra_option_fn extra = nullptr);
