// Sequence files: opening, positioning on a frame and reading one picture.
#pragma once

#include <cstdio>

#include "../convert/yuv_frame.h"

extern FILE *yuvfile1;
extern FILE *yuvfile2;
extern FILE *yuvfile3;

// Opens sequence n (1..3) for reading; a file that cannot be opened ends the run with
// "Can't open yuvfile<n> for input!" and status 3.
void open_sequence(int n, const char *path);

// Places sequence n at the start of frame `frame_number`.
void position_sequence(int n, int frame_number);

// Reads one picture of sequence n straight into its planes. A short read fills what it
// can and leaves the rest of the plane as it was. Returns 0 when the file ran out.
int read_picture(int n, YuvFrame *picture);

// Closes the open sequence files in order and returns the result of the last close.
int close_sequences();
