// Pictures of the generator and its pseudo-random numbers.
#include <cstdlib>
#include <cstring>

#include "common/die.h"
#include "makeseq.h"

int64_t picture_bytes(int width, int height)
{
    int64_t luma = (int64_t)width * height;
    return luma + 2 * (luma / 4);
}

void allocate_picture(Picture *picture, int width, int height)
{
    int64_t luma = (int64_t)width * height;
    unsigned char *block = (unsigned char *)calloc((size_t)picture_bytes(width, height), 1);
    if (!block)
        die(1, "trivista-makeseq: out of memory for a %dx%d picture\n", width, height);
    picture->width = width;
    picture->height = height;
    picture->planes.y = block;
    picture->planes.u = block + luma;
    picture->planes.v = block + luma + luma / 4;
}

void free_picture(Picture *picture)
{
    free(picture->planes.y);
    picture->planes.y = picture->planes.u = picture->planes.v = nullptr;
}

void copy_picture(Picture *to, const Picture *from)
{
    memcpy(to->planes.y, from->planes.y, (size_t)picture_bytes(from->width, from->height));
}

uint64_t next_random(uint64_t *state)
{
    uint64_t z = (*state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

int random_below(uint64_t *state, int limit)
{
    if (limit <= 1)
        return 0;
    return (int)(next_random(state) % (uint64_t)limit);
}

uint64_t hash_of(uint64_t a, uint64_t b, uint64_t c)
{
    uint64_t state = a * 0xD6E8FEB86659FD93ull ^ b * 0xA0761D6478BD642Full ^ c;
    return next_random(&state);
}
