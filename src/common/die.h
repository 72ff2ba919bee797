// The one way a failure ends the process: a fixed message and an exit status.
#pragma once

#include <cstdio>

// Prints the printf-style message to `stream` (stdout or stderr) and exits with `status`.
[[noreturn]] void die_to(FILE *stream, int status, const char *format, ...)
    __attribute__((format(printf, 3, 4)));

// The usual case: the message goes to standard error.
[[noreturn]] void die(int status, const char *format, ...) __attribute__((format(printf, 2, 3)));
