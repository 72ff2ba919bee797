// What a fuzz target asserts: a broken rule prints what was broken and aborts, which
// libFuzzer (and the replay test) report as a finding.
#pragma once

#include <cstdio>
#include <cstdlib>

#define fuzz_check(condition, ...)                                                  \
    do {                                                                            \
        if (!(condition)) {                                                         \
            fprintf(stderr, "%s:%d: broken: %s: ", __FILE__, __LINE__, #condition); \
            fprintf(stderr, __VA_ARGS__);                                           \
            fputc('\n', stderr);                                                    \
            abort();                                                                \
        }                                                                           \
    } while (0)
