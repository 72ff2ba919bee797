#include "pacing.h"

#include <climits>

#include "common/settings.h"

// The fraction of a microsecond that frame_period leaves over, rest / divisor, and how much
// of it the frames so far have not yet had.
static int64_t period_rest = 0;
static int64_t period_divisor = 1;
static int64_t rest_carried = 0;

void set_pacing(Fraction rate)
{
    int64_t microseconds = (int64_t)1000000 * rate.denominator;
    int64_t whole = microseconds / rate.numerator;
    settings.frame_period = whole > INT_MAX ? INT_MAX : (int)whole;
    period_rest = whole > INT_MAX ? 0 : microseconds % rate.numerator;
    period_divisor = rate.numerator;
    rest_carried = 0;
}

long next_frame_period()
{
    rest_carried += period_rest;
    if (rest_carried < period_divisor)
        return settings.frame_period;
    rest_carried -= period_divisor;
    return (long)settings.frame_period + 1;
}

long frame_sleep(long period, long elapsed)
{
    long rest = period - elapsed;
    // A negative elapsed time means the wall clock was set back: wait one period at most.
    if (rest > period)
        rest = period;
    return rest > 0 ? rest : 0;
}
