// Freeze files: text, one frame number per line.
#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "die.h"
#include "open_file.h"
#include "settings.h"
#include "startup.h"

static bool blank(const char *line)
{
    while (isspace((unsigned char)*line))
        line++;
    return *line == '\0';
}

// Marks the frame on `line` and says whether it counts.
static bool mark_frame(const char *name, long line_number, const char *line,
                       unsigned char *table)
{
    char *end;
    errno = 0;
    long number = strtol(line, &end, 10);
    if (end == line) {
        fprintf(stderr, "%s:%ld: no frame number, line ignored\n", name, line_number);
        return false;
    }
    if (errno == ERANGE || number < 0 || number > end_frame) {
        fprintf(stderr, "%s:%ld: frame number outside 0..%d, line ignored\n", name,
                line_number, end_frame);
        return false;
    }
    table[number] = 1;
    return true;
}

int loadfreezefile(const char *name, unsigned char *table)
{
    FILE *file = open_for_reading(name);
    struct stat info;
    if (!file || fstat(fileno(file), &info) != 0 || S_ISDIR(info.st_mode))
        die_to(stdout, -1, "Could not open file: %s\n", name);

    int count = 0;
    char *line = nullptr;
    size_t capacity = 0;
    long line_number = 0;
    errno = 0;
    while (getline(&line, &capacity, file) != -1) {
        line_number++;
        if (!blank(line) && mark_frame(name, line_number, line, table))
            count++;
        errno = 0;
    }
    if (errno == ENOMEM)
        die(1, "Out of memory while reading %s\n", name);
    if (ferror(file))
        die(1, "Could not read file: %s\n", name);
    free(line);
    fclose(file);
    return count;
}
