// Tables of the conversions other than the default one: the matrix of each standard on
// full- or limited-range samples, levels rounded as the formula's result is.
#include <cmath>

#include "color_tables.h"

// Luma levels and chroma offsets are kept in eighths of a level, so that the sum of one
// luma and two chroma entries lands within 3/16 of the exact level before it is rounded.
static const int fraction_bits = 3;
static const int eighths = 1 << fraction_bits;

// The levels a sum can reach: limited-range luma spans -18.6..278.3 and the largest
// offset, blue of BT.2020 on limited range, +-274.1, so every sum is within -293..553.
static const int lowest_level = -320;
static const int highest_level = 575;
static const int channel_entries = (highest_level - lowest_level + 1) * eighths;

static int32_t luma[256], cr_red[256], cr_green[256], cb_green[256], cb_blue[256];
static int32_t channels[3][channel_entries];

// Kr and Kb of each matrix; Kg is what is left.
static const double red_weight[3] = {0.299, 0.2126, 0.2627};
static const double blue_weight[3] = {0.114, 0.0722, 0.0593};

static int32_t in_eighths(double level)
{
    return (int32_t)lround(level * eighths);
}

// A sum in eighths to its level, halves rounded up, clamped to the 8 bits shown.
static uint32_t clamped_level(int sum)
{
    int level = (int)floor((sum + eighths / 2) / (double)eighths);
    return (uint32_t)(level < 0 ? 0 : level > 255 ? 255 : level);
}

void build_conversion_tables(ColourConversion conversion, int thirty_two_bit)
{
    const double kr = red_weight[conversion.matrix], kb = blue_weight[conversion.matrix];
    const double kg = 1.0 - kr - kb;
    const bool limited = conversion.range == range_limited;
    // Samples outside 16..235 (16..240) are taken as they are: only the result is clamped.
    const double luma_scale = limited ? 255.0 / 219.0 : 1.0;
    const double luma_black = limited ? 16.0 : 0.0;
    const double chroma_scale = limited ? 255.0 / 224.0 : 1.0;
    for (int sample = 0; sample < 256; sample++) {
        const double c = (sample - 128) * chroma_scale;
        luma[sample] = in_eighths((sample - luma_black) * luma_scale);
        cr_red[sample] = in_eighths(2.0 * (1.0 - kr) * c);
        cr_green[sample] = in_eighths(-2.0 * kr * (1.0 - kr) / kg * c);
        cb_green[sample] = in_eighths(-2.0 * kb * (1.0 - kb) / kg * c);
        cb_blue[sample] = in_eighths(2.0 * (1.0 - kb) * c);
    }
    for (int c = 0; c < 3; c++)
        for (int i = 0; i < channel_entries; i++)
            channels[c][i] = channel_entry(clamped_level(i + lowest_level * eighths),
                                           (uint32_t)pixel_tables.wpixel[c], thirty_two_bit);
    const int zero = -lowest_level * eighths;  // the entry of level 0
    pixel_tables.colour_tables = ConversionTables{luma,
                                     cr_red,
                                     cr_green,
                                     cb_green,
                                     cb_blue,
                                     channels[0] + zero,
                                     channels[1] + zero,
                                     channels[2] + zero,
                                     fraction_bits};
}
