#include "kernel_choice.h"

#include <cstdlib>
#include <cstring>

bool reference_forced()
{
    const char *value = getenv("TRIVISTA_REFERENCE");
    return value && strcmp(value, "1") == 0;
}
