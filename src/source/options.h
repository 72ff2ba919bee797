// The command line: the option loop, the usage text and the checks that follow it.
#pragma once

#include "common/numbers.h"

// A program that shares the option loop (the report tool) recognises its own options
// through this hook. Return 0 when `name` is not yours, 1 when it is a switch without a
// value, 2 when it takes `value` (null when `name` is the last argument).
typedef int (*extra_option_fn)(const char *name, const char *value);

// Turns -s and -e given as times into the frames on screen then at `rate`.
void frames_from_times(Fraction rate);

// Counts sequence n (1..3) and keeps its path and the name shown; the file is opened apart.
void name_sequence(int n, const char *path);

// One option of the viewer's command line, which the other programs share in part: returns
// how many arguments it took (1: switch, 2: with its value), or 0 when the name is not one
// of them. A missing value gets the usage text, a bad one its message; both end the run.
int take_option(const char *name, const char *value, const char *program_name);

// The checks after the loop: a sequence at all, the frame range and rate, freeze lists
// without a sequence (a warning).
void check_options(const char *program_name);

// Prints the usage text on standard output.
void help(const char *program_name);

// Runs the option loop over argv, opening each sequence file before the next option is
// looked at, and checks the result. Every refusal prints its message and exits with its status.
void parse_options(int argc, char **argv, extra_option_fn extra = nullptr);
