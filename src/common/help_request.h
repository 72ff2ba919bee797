// --help and -h: the full help of a program, apart from the fixed usage text that a short
// or misordered command line prints.
#pragma once

// Whether the command line asks for the help: --help or -h as its first argument.
bool help_requested(int argc, char **argv);

// Writes `text` to standard output and returns the exit status: 0, or 1 with a message on
// standard error when it could not be written.
int print_help(const char *program_name, const char *text);
