#include "colour_choice.h"

#include "common/settings.h"
#include "convert/color_tables.h"
#include "source/sequence.h"

// Pictures larger than this are taken for HD material: BT.709 on limited range.
static const int largest_sd_width = 720;
static const int largest_sd_height = 576;

// The first of the option, the sequences' word and the size's choice that is not -1;
// `decided` is cleared when the size's choice is taken.
static int first_of(int option, int said, int by_size, bool *decided)
{
    if (option >= 0)
        return option;
    if (said >= 0)
        return said;
    *decided = false;
    return by_size;
}

// The conversion; *named: whether the option or a sequence decided any part of it.
static ColourConversion choose(bool *named)
{
    ColourConversion said = {-1, -1};
    for (int n = settings.expand; n >= 1; n--) {  // the first sequence that says it wins
        ColourConversion colours = sequences[n].source.colours;
        if (colours.matrix >= 0)
            said.matrix = colours.matrix;
        if (colours.range >= 0)
            said.range = colours.range;
    }
    const bool high_definition =
        settings.horizontal_size > largest_sd_width || settings.vertical_size > largest_sd_height;
    const ColourConversion by_size = high_definition
                                         ? ColourConversion{matrix_bt709, range_limited}
                                         : default_colour_conversion;
    bool matrix_decided = true, range_decided = true;
    ColourConversion chosen;
    chosen.matrix = first_of(settings.colorspace_option, said.matrix, by_size.matrix, &matrix_decided);
    chosen.range = first_of(settings.color_range_option, said.range, by_size.range, &range_decided);
    *named = matrix_decided || range_decided;
    return chosen;
}

void choose_colour_conversion()
{
    bool named;
    pixel_tables.colour_conversion = choose(&named);
    // The default conversion taken by size goes unnamed: default runs look as they always did.
    settings.colour_conversion_named =
        named || pixel_tables.colour_conversion.matrix != default_colour_conversion.matrix ||
        pixel_tables.colour_conversion.range != default_colour_conversion.range;
}
