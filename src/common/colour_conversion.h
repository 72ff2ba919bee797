// Which YUV to RGB conversion the pictures are shown with: the matrix of the coefficients
// and the range of the samples, under ffmpeg's option values.
#pragma once

enum ColourMatrix { matrix_bt601, matrix_bt709, matrix_bt2020 };
enum ColourRange {
    range_full,     // pc: luma 0..255, chroma 128 +- 128
    range_limited,  // tv: luma 16..235, chroma 16..240
};

struct ColourConversion {
    int matrix;  // ColourMatrix
    int range;   // ColourRange
};

// bt601 on full-range samples: what QCIF and CIF pictures have always been shown with.
const ColourConversion default_colour_conversion = {matrix_bt601, range_full};

// The matrix or range of an option value ("bt709"; "tv", "limited", "pc", "full"), or -1.
int colour_matrix_named(const char *name);
int colour_range_named(const char *name);

// For the info window: "BT.709, limited range".
const char *colour_conversion_text(ColourConversion conversion);
