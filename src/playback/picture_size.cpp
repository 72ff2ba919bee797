#include "picture_size.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

#include "common/settings.h"

bool picture_size_allowed(int width, int height)
{
    return width % 2 == 0 && height % 2 == 0 && width >= min_picture_width &&
           width <= max_picture_width && height >= min_picture_height &&
           height <= max_picture_height;
}

static bool parse_dimension(const char *text, const char **end, int *value)
{
    if (!isdigit((unsigned char)*text))
        return false;
    errno = 0;
    char *stop;
    long number = strtol(text, &stop, 10);
    if (errno == ERANGE || number > 100000)
        return false;
    *value = (int)number;
    *end = stop;
    return true;
}

bool parse_picture_size(const char *text, int *width, int *height)
{
    const char *rest;
    int w, h;
    if (!parse_dimension(text, &rest, &w) || *rest != 'x')
        return false;
    if (!parse_dimension(rest + 1, &rest, &h) || *rest != '\0')
        return false;
    if (!picture_size_allowed(w, h))
        return false;
    *width = w;
    *height = h;
    return true;
}

void set_picture_size(int width, int height)
{
    horizontal_size = coded_picture_width = width;
    vertical_size = coded_picture_height = height;
}
