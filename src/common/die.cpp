#include "die.h"

#include <cstdarg>
#include <cstdlib>

[[noreturn]] static void vdie(FILE *stream, int status, const char *format, va_list args)
{
    vfprintf(stream, format, args);
    fflush(stream);
    exit(status);
}

void die_to(FILE *stream, int status, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vdie(stream, status, format, args);
}

void die(int status, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vdie(stderr, status, format, args);
}
