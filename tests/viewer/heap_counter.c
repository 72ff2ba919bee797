// Preloaded into a program under test: counts the heap calls made while its main runs
// (operator new and the C++ library allocate through malloc) and writes
// "allocations frees" to the file HEAP_COUNTS_FILE names when main returns or exit is
// called. Libraries' own initialisers, which vary from run to run, run before and count
// nothing.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

// glibc's own allocator under its exported second names: no dlsym, so no recursion.
void *__libc_malloc(size_t size);
void *__libc_calloc(size_t count, size_t size);
void *__libc_realloc(void *old, size_t size);
void *__libc_memalign(size_t alignment, size_t size);
void __libc_free(void *block);

static atomic_int counting;
static atomic_long allocations, frees;
static int (*program_main)(int, char **, char **);

static void count_allocation(void)
{
    if (atomic_load_explicit(&counting, memory_order_relaxed))
        atomic_fetch_add_explicit(&allocations, 1, memory_order_relaxed);
}

void *malloc(size_t size)
{
    count_allocation();
    return __libc_malloc(size);
}

void *calloc(size_t count, size_t size)
{
    count_allocation();
    return __libc_calloc(count, size);
}

void *realloc(void *old, size_t size)
{
    count_allocation();
    return __libc_realloc(old, size);
}

void *memalign(size_t alignment, size_t size)
{
    count_allocation();
    return __libc_memalign(alignment, size);
}

void *aligned_alloc(size_t alignment, size_t size)
{
    return memalign(alignment, size);
}

int posix_memalign(void **block, size_t alignment, size_t size)
{
    if (alignment % sizeof(void *) || (alignment & (alignment - 1)))
        return EINVAL;
    *block = memalign(alignment, size);
    return *block || !size ? 0 : ENOMEM;
}

void free(void *block)
{
    if (block && atomic_load_explicit(&counting, memory_order_relaxed))
        atomic_fetch_add_explicit(&frees, 1, memory_order_relaxed);
    __libc_free(block);
}

// Once, at the first of main's return and exit.
static void stop_and_write_counts(void)
{
    if (!atomic_exchange(&counting, 0))
        return;
    const char *path = getenv("HEAP_COUNTS_FILE");
    int fd = path ? open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644) : -1;
    if (fd < 0)
        return;
    char text[64];
    int length = snprintf(text, sizeof text, "%ld %ld\n", atomic_load(&allocations), atomic_load(&frees));
    if (write(fd, text, length) != length)
        unlink(path);
    close(fd);
}

static int counted_main(int argc, char **argv, char **environment)
{
    atomic_store(&counting, 1);
    int status = program_main(argc, argv, environment);
    stop_and_write_counts();
    return status;
}

void exit(int status)
{
    stop_and_write_counts();
    void (*next_exit)(int) = (void (*)(int))dlsym(RTLD_NEXT, "exit");
    next_exit(status);
    _exit(status);  // not reached
}

typedef int (*start_main_fn)(int (*)(int, char **, char **), int, char **, void (*)(void),
                             void (*)(void), void (*)(void), void *);

int __libc_start_main(int (*main)(int, char **, char **), int argc, char **argv,
                      void (*init)(void), void (*fini)(void), void (*rtld_fini)(void), void *stack_end)
{
    program_main = main;
    start_main_fn next = (start_main_fn)dlsym(RTLD_NEXT, "__libc_start_main");
    return next(counted_main, argc, argv, init, fini, rtld_fini, stack_end);
}
