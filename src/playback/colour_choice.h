// Which conversion the pictures are shown with.
#pragma once

// Sets the conversion the display's tables are built for, and whether the info window
// names it: the matrix and the range, each the first that applies of the option, what the
// first sequence that says anything says (a stream's colorspace and range, a YUV4MPEG2
// XCOLORRANGE tag) and the picture size (BT.709 on limited range above 720x576, else the
// default). Once the picture size is settled.
void choose_colour_conversion();
