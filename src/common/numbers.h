// Numbers on the command line read whole: frame numbers, times and frame rates. Every
// program reads -s, -e and -fps here, so that each refuses the same values.
#pragma once

#include <cstdint>

// How a value reads.
enum NumberReading {
    reading_no_number,  // nothing that starts a number (blank, letters, another option): 0
    reading_number,     // the whole value is the number
    reading_malformed,  // a number that goes on with something else: to be refused
};

// An exact fraction: a rate in frames per second, or a time in seconds.
struct Fraction {
    int64_t numerator;
    int64_t denominator;  // above 0
};

// A frame number, or a time when the value has a colon.
struct FrameOrTime {
    bool is_time;
    int frame;         // with its sign, clamped to int
    Fraction seconds;  // of a time, never negative
};

// "120", "-3", "1:30", "0:01:02.5": leading blanks, then a frame number (a sign and digits),
// or a time [[h:]m:]s[.fraction] (no minus) whose fields after a colon are one or two digits
// below 60. A first field beyond two million reads as the longest time.
NumberReading read_frame_or_time(const char *text, FrameOrTime *value);

// "25", "29.97", "30000/1001": leading blanks, a sign, then a whole or decimal number or a
// ratio of whole numbers over a nonzero one. Whole numbers are clamped to int, decimals
// after the ninth dropped.
NumberReading read_frame_rate(const char *text, Fraction *rate);

// The frame on screen `seconds` after frame 0 at `rate` frames per second (above 0):
// seconds × rate rounded down, at most INT_MAX.
int frame_at_time(Fraction seconds, Fraction rate);

// Whether a rate is a whole number of frames per second.
inline bool whole_rate(Fraction rate) { return rate.numerator % rate.denominator == 0; }
