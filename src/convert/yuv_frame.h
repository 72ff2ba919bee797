// One YUV 4:2:0 picture in memory.
#pragma once

// Planes in file order, rows without gaps: Y is width x height samples,
// U and V each (width / 2) x (height / 2).
struct YuvFrame {
    unsigned char *y;
    unsigned char *u;
    unsigned char *v;
};
