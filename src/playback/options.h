// The command line: the option loop, the usage text and the checks that follow it.
#pragma once

// A program that shares the option loop (the report tool) recognises its own options
// through this hook. Return 0 when `name` is not yours, 1 when it is a switch without a
// value, 2 when it takes `value` (null when `name` is the last argument).
typedef int (*extra_option_fn)(const char *name, const char *value);

// Full paths of the freeze files, as given (fr2_name and fr3_name hold display copies).
extern const char *fr2_path;
extern const char *fr3_path;

// Prints the usage text on standard output.
void help(const char *program_name);

// Runs the option loop over argv, opening each sequence file as its option is read, and
// checks the result. Every refusal prints its message and exits with its status.
void parse_options(int argc, char **argv, extra_option_fn extra = nullptr);
