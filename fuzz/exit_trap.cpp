#include "exit_trap.h"

#include <csetjmp>
#include <cstdio>

extern "C" [[noreturn]] void __real_exit(int status);
extern "C" FILE *__real_fdopen(int fd, const char *mode);
extern "C" FILE *__real_fopen(const char *path, const char *mode);
extern "C" int __real_fclose(FILE *stream);

static jmp_buf exit_return;  // where a trapped exit() goes back to
static bool exit_trapped;    // true while a body runs
static int trapped_status;

const int max_noted_streams = 64;
static FILE *noted_streams[max_noted_streams];  // opened inside a body, not yet closed

static FILE *note_stream(FILE *stream)
{
    if (stream && exit_trapped)
        for (FILE *&slot : noted_streams)
            if (!slot) {
                slot = stream;
                break;
            }
    return stream;
}

extern "C" FILE *__wrap_fdopen(int fd, const char *mode)
{
    return note_stream(__real_fdopen(fd, mode));
}

extern "C" FILE *__wrap_fopen(const char *path, const char *mode)
{
    return note_stream(__real_fopen(path, mode));
}

extern "C" int __wrap_fclose(FILE *stream)
{
    for (FILE *&slot : noted_streams)
        if (slot == stream)
            slot = nullptr;
    return __real_fclose(stream);
}

void close_streams_left_open()
{
    for (FILE *&slot : noted_streams)
        if (slot)
            __wrap_fclose(slot);
}

extern "C" [[noreturn]] void __wrap_exit(int status)
{
    if (!exit_trapped)
        __real_exit(status);
    exit_trapped = false;
    trapped_status = status;
    // What the refusal printed must not spill into the next input's output.
    fflush(stdout);
    fflush(stderr);
    longjmp(exit_return, 1);
}

bool call_catching_exit(void (*body)(void *), void *context, int *status)
{
    if (setjmp(exit_return) != 0) {
        *status = trapped_status;
        return true;
    }
    exit_trapped = true;
    body(context);
    exit_trapped = false;
    return false;
}
