#include "difference_pictures.h"

#include "common/picture_memory.h"
#include "common/pixel_format.h"
#include "common/settings.h"

static YuvFrame differences[4];  // index 1..3

void allocate_difference_picture(int pair)
{
    static const char *const names[4] = {"", "diff1", "diff2", "diff3"};
    differences[pair] = allocate_picture(names[pair], 124, default_pixel_format,
                                         settings.cropping.region.width, settings.cropping.region.height);
}

void allocate_difference_pictures()
{
    for (int pair = 1; pair <= 3; pair++)
        allocate_difference_picture(pair);
}

YuvFrame *difference_of(int pair)
{
    return &differences[pair];
}
