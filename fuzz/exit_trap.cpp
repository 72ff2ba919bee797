#include "exit_trap.h"

#include <csetjmp>
#include <cstdio>

extern "C" [[noreturn]] void __real_exit(int status);

static jmp_buf exit_return;  // where a trapped exit() goes back to
static bool exit_trapped;    // true while a body runs
static int trapped_status;

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
