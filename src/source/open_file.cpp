#include "open_file.h"

#include <fcntl.h>
#include <unistd.h>

FILE *open_for_reading(const char *path)
{
    int fd = open(path, O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return nullptr;
    // Reads block again as usual; only the open itself must not wait for a writer.
    FILE *file = nullptr;
    if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0)
        file = fdopen(fd, "rb");
    if (!file)
        close(fd);
    return file;
}

size_t read_line(FILE *file, char *buffer, size_t capacity)
{
    size_t got = 0;
    int c = 0;
    while (got < capacity && c != '\n' && (c = getc(file)) != EOF)
        buffer[got++] = (char)c;
    return got;
}
