#include "colour_conversion.h"

#include <cstring>

int colour_matrix_named(const char *name)
{
    static const char *const names[] = {"bt601", "bt709", "bt2020"};
    for (int matrix = 0; matrix < 3; matrix++)
        if (strcmp(name, names[matrix]) == 0)
            return matrix;
    return -1;
}

int colour_range_named(const char *name)
{
    if (strcmp(name, "pc") == 0 || strcmp(name, "full") == 0)
        return range_full;
    if (strcmp(name, "tv") == 0 || strcmp(name, "limited") == 0)
        return range_limited;
    return -1;
}

const char *colour_conversion_text(ColourConversion conversion)
{
    static const char *const texts[3][2] = {
        {"BT.601, full range", "BT.601, limited range"},
        {"BT.709, full range", "BT.709, limited range"},
        {"BT.2020, full range", "BT.2020, limited range"},
    };
    if (conversion.matrix < 0 || conversion.matrix > 2 || conversion.range < 0 ||
        conversion.range > 1)
        return "?";
    return texts[conversion.matrix][conversion.range];
}
