// The region of the pictures every program works on (-crop WxH+X+Y): the viewer shows it,
// the report and align measure it. Sequences are still read whole; each program takes the
// region of every picture as a picture of its own, over the same planes.
#pragma once

#include <cstddef>

#include "yuv_frame.h"

struct PictureRegion {
    int x, y;           // its top left sample in the whole picture
    int width, height;
};

struct CropState {
    const char *text = nullptr;      // -crop as given; null without it
    int width = 0, height = 0, x = 0, y = 0;  // as read
    bool from_right = false;         // WxH-X...: x counts from the right edge to the region's
    bool from_bottom = false;        // ...-Y: y from the bottom edge
    PictureRegion region = {0, 0, 0, 0};  // settled with the picture size; the whole picture without -crop
};

// Reads an X geometry, WxH+X+Y: the size, then optionally both offsets, each after + (from
// the left or top edge) or - (from the right or bottom edge); 'X' may stand for 'x' and a
// leading '=' is allowed. Keeps `text`. False when malformed.
bool read_crop_geometry(const char *text, CropState *crop);

// The region of `crop` in a picture of `width` x `height` samples of `chroma`, or why there
// is none: null when it lies inside, its width and height are even (the pictures are shown
// in 4:2:0) and at least min_width x min_height, and its offsets are even where the chroma
// is subsampled (4:2:0 and 4:2:2).
const char *place_region(const CropState &crop, int width, int height, ChromaLayout chroma,
                         int min_width, int min_height, PictureRegion *region);

// The part of `whole` inside `region`: the same planes, strides, depth and layout.
YuvFrame region_of(const YuvFrame &whole, const PictureRegion &region);

// "WxH+X+Y", for summaries.
void region_text(const PictureRegion &region, char *text, size_t size);
