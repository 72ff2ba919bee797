#include "help_request.h"

#include <cstdio>
#include <cstring>

bool help_requested(int argc, char **argv)
{
    return argc >= 2 && argv[1] && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0);
}

int print_help(const char *program_name, const char *text)
{
    fputs(text, stdout);
    if (fflush(stdout) == 0 && !ferror(stdout))
        return 0;
    fprintf(stderr, "%s: could not write the help to standard output\n", program_name);
    return 1;
}
