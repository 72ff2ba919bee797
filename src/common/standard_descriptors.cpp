#include "standard_descriptors.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "die.h"

void open_standard_descriptors(const char *program_name)
{
    for (int fd = 0; fd <= 2; fd++) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // The lowest free descriptor is `fd`, as the ones below it are open by now.
        if (open("/dev/null", O_RDWR) != fd)
            die(1, "%s: descriptor %d is closed and /dev/null cannot take its place: %s\n",
                program_name, fd, strerror(errno));
    }
}
