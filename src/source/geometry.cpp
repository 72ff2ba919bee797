#include "geometry.h"

#include <climits>
#include <cstdio>

#include "options.h"
#include "sequence.h"
#include "settle.h"
#include "picture_size.h"
#include "common/die.h"
#include "common/pixel_format.h"
#include "common/region.h"
#include "common/settings.h"

// -crop in the settled picture, or the whole picture.
static void place_crop_region()
{
    settings.cropping.region = PictureRegion{0, 0, settings.horizontal_size, settings.vertical_size};
    if (!settings.cropping.text)
        return;
    const char *refusal = place_region(settings.cropping, settings.horizontal_size, settings.vertical_size,
                                       settings.pixel_format->chroma, min_picture_width,
                                       min_picture_height, &settings.cropping.region);
    if (refusal)
        die(1, "-crop %s: %s\n", settings.cropping.text, refusal);
}

void compute_geometry()
{
    read_sequence_headers();
    settings.luma_size = luma_plane_bytes(settings.pixel_format, settings.horizontal_size, settings.vertical_size);
    settings.chroma_size = chroma_plane_bytes(settings.pixel_format, settings.horizontal_size, settings.vertical_size);
    settings.frame_size = settings.luma_size + 2 * settings.chroma_size;
    place_crop_region();
    if (settings.expand <= 1)
        settings.psnr = 0;
}

// Play reads the whole frames and stops; a tail that is not one hints at a wrong size.
static void warn_of_leftover_bytes()
{
    for (int n = 1; n <= settings.expand; n++) {
        const Source &source = sequences[n].source;
        int64_t left = source.kind->leftover_bytes ? source.kind->leftover_bytes(&source) : 0;
        if (left == 0)
            continue;
        if (n == 1 && picture_size_assumed())
            fprintf(stderr, "%s: no picture size given: 176x144 assumed, which leaves %lld "
                            "bytes after the last whole frame\n", source.path, (long long)left);
        else
            fprintf(stderr, "%s: %lld bytes after the last whole frame are not read\n",
                    source.path, (long long)left);
    }
}

Fraction original_rate()
{
    if (settings.sequence_rate_numerator > 0)
        return {settings.sequence_rate_numerator, settings.sequence_rate_denominator};
    return {0, 1};
}

Fraction play_rate()
{
    Fraction rate = settings.fps_given ? settings.fps_rate : original_rate();
    return rate.numerator > 0 ? rate : Fraction{25, 1};
}

// Times on the command line count in the Original's own rate, where -fps stands makes no
// difference, and a slowed or hurried play still starts at the same picture; a raw file
// has no rate of its own, so -fps gives it one (25 without it).
static Fraction timeline_rate()
{
    Fraction rate = original_rate();
    return rate.numerator > 0 ? rate : settings.fps_given ? settings.fps_rate : Fraction{25, 1};
}

// Frames outside the range are never read, so they cost nothing at start-up; a sequence
// with a freeze list starts before the start frame by what it lists.
static void check_ranges()
{
    for (int n = 1; n <= settings.expand; n++) {
        Source &source = sequences[n].source;
        if (!source.kind->check_range)
            continue;
        int64_t whole = whole_frames(n);
        int64_t last = whole - 1 < playhead.end_frame ? whole - 1 : playhead.end_frame;
        source.kind->check_range(&source, sequences[n].fr ? 0 : playhead.start_frame, last);
    }
}

void compute_frame_range()
{
    frames_from_times(timeline_rate());
    Source &first = sequences[1].source;
    int64_t frames = whole_frames(1);
    if (frames < 1)
        first.kind->refuse_empty(&first);
    warn_of_leftover_bytes();
    // end_frame + 1 must still be an int: it ends the pass.
    int last = frames - 1 > INT_MAX - 1 ? INT_MAX - 1 : (int)(frames - 1);
    if (playhead.end_frame > last)
        playhead.end_frame = last;
    if (playhead.start_frame > last)
        playhead.start_frame = last;
    check_ranges();
}
