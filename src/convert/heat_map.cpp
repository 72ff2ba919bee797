// The heat map of the difference view: cubehelix (D. A. Green, Bull. Astr. Soc. India 39,
// 289, 2011), whose brightness rises steadily from black to white while the hue turns, so
// that a larger error always looks brighter, in colour and in gray alike.
#include <cmath>

#include "difference_view.h"

// The scheme's parameters: the hue it starts at, its turns from dark to bright, how
// saturated it is, and no gamma.
static const double helix_start = 0.5;
static const double helix_rotations = -1.5;
static const double helix_hue = 1.0;

static uint8_t channel_level(double value)
{
    value = value < 0 ? 0 : value > 1 ? 1 : value;
    return (uint8_t)std::lround(value * 255);
}

void heat_map_colour(int level, uint8_t rgb[3])
{
    static uint8_t table[256][3];
    static bool built = false;
    if (!built) {
        for (int i = 0; i < 256; i++) {
            double lambda = i / 255.0;
            double amplitude = helix_hue * lambda * (1 - lambda) / 2;
            double phi = 2 * M_PI * (helix_start / 3 + helix_rotations * lambda);
            double c = std::cos(phi), s = std::sin(phi);
            table[i][0] = channel_level(lambda + amplitude * (-0.14861 * c + 1.78277 * s));
            table[i][1] = channel_level(lambda + amplitude * (-0.29227 * c - 0.90649 * s));
            table[i][2] = channel_level(lambda + amplitude * (1.97294 * c));
        }
        built = true;
    }
    int at = level < 0 ? 0 : level > 255 ? 255 : level;
    for (int c = 0; c < 3; c++)
        rgb[c] = table[at][c];
}
