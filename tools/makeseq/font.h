// A 5 x 7 bitmap font for the text in the demo pictures.
#pragma once

const int glyph_width = 5;
const int glyph_height = 7;
const int glyph_advance = 6;  // one column of space between letters

// Rows of the glyph top to bottom, bit 4 the leftmost column; all zero for a character
// without a glyph (space included).
const unsigned char *glyph_rows(char c);
