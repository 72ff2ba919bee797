#include "pacing.h"

#include <climits>

int compute_frame_period(int frames_per_second)
{
    return 1000000 / frames_per_second;
}

int frame_period_for_rate(int numerator, int denominator)
{
    int64_t period = (int64_t)1000000 * denominator / numerator;
    return period > INT_MAX ? INT_MAX : (int)period;
}

long frame_sleep(long period, long elapsed)
{
    long rest = period - elapsed;
    // A negative elapsed time means the wall clock was set back: wait one period at most.
    if (rest > period)
        rest = period;
    return rest > 0 ? rest : 0;
}
