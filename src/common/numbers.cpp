#include "numbers.h"

#include <cctype>
#include <climits>

// Decimals are kept to the ninth: far below anything a clock or a frame can show.
static const int64_t kept_scale = 1000000000;
// A time's first field stops here: beyond it the seconds would not fit the fraction.
static const int64_t longest_first_field = 2000000;

static bool digit(char c) { return isdigit((unsigned char)c) != 0; }

// Leading blanks and a sign, as atoi takes them; true when a digit follows.
static bool start_number(const char **text, bool *negative)
{
    const char *p = *text;
    while (isspace((unsigned char)*p))
        p++;
    *negative = *p == '-';
    if (*p == '+' || *p == '-')
        p++;
    *text = p;
    return digit(*p);
}

// Decimal digits; the value stops growing past `limit`, which it then reads as.
static int64_t read_digits(const char **text, int64_t limit)
{
    int64_t value = 0;
    for (; digit(**text); ++*text)
        value = value > limit ? value : value * 10 + (**text - '0');
    return value > limit ? limit + 1 : value;
}

// The digits after a decimal point, as a fraction over `kept_scale`.
static int64_t read_decimals(const char **text)
{
    int64_t value = 0, scale = kept_scale;
    for (; digit(**text); ++*text)
        if (scale > 1) {
            scale /= 10;
            value += (**text - '0') * scale;
        }
    return value;
}

static int clamped_int(bool negative, int64_t magnitude)
{
    if (negative)
        return magnitude > (int64_t)INT_MAX + 1 ? INT_MIN : (int)-magnitude;
    return magnitude > INT_MAX ? INT_MAX : (int)magnitude;
}

// The fields after the first of [[h:]m:]s[.fraction]; `p` is at the first colon.
static NumberReading read_time(const char *p, int64_t first, Fraction *seconds)
{
    int64_t whole = first;
    int fields = 1;
    while (*p == ':' && fields < 3) {
        p++;
        const char *start = p;
        int64_t field = read_digits(&p, 99);
        if (p == start || p - start > 2 || field >= 60)
            return reading_malformed;
        whole = whole * 60 + field;
        fields++;
    }
    int64_t decimals = 0;
    if (*p == '.') {
        const char *start = ++p;
        decimals = read_decimals(&p);
        if (p == start)
            return reading_malformed;
    }
    if (*p != '\0')
        return reading_malformed;
    if (first > longest_first_field)
        *seconds = {INT64_MAX, 1};
    else
        *seconds = {whole * kept_scale + decimals, kept_scale};
    return reading_number;
}

NumberReading read_frame_or_time(const char *text, FrameOrTime *value)
{
    *value = FrameOrTime{false, 0, {0, 1}};
    bool negative;
    if (!start_number(&text, &negative))
        return reading_no_number;
    int64_t first = read_digits(&text, INT_MAX);
    if (*text == ':') {
        if (negative)
            return reading_malformed;
        value->is_time = true;
        return read_time(text, first, &value->seconds);
    }
    if (*text != '\0')
        return reading_malformed;
    value->frame = clamped_int(negative, first);
    return reading_number;
}

NumberReading read_frame_rate(const char *text, Fraction *rate)
{
    *rate = {0, 1};
    bool negative;
    if (!start_number(&text, &negative))
        return reading_no_number;
    int64_t numerator = read_digits(&text, INT_MAX), denominator = 1;
    if (numerator > INT_MAX)
        numerator = INT_MAX;
    if (*text == '.') {
        const char *start = ++text;
        numerator = numerator * kept_scale + read_decimals(&text);
        denominator = kept_scale;
        if (text == start)
            return reading_malformed;
    } else if (*text == '/') {
        const char *start = ++text;
        denominator = read_digits(&text, INT_MAX);
        if (text == start || denominator == 0)
            return reading_malformed;
        if (denominator > INT_MAX)
            denominator = INT_MAX;
    }
    if (*text != '\0')
        return reading_malformed;
    // In lowest terms, so that a whole rate written with decimals is whole.
    int64_t a = numerator, b = denominator;
    while (b != 0) {
        int64_t r = a % b;
        a = b;
        b = r;
    }
    if (a > 1) {
        numerator /= a;
        denominator /= a;
    }
    *rate = {negative ? -numerator : numerator, denominator};
    return reading_number;
}

int frame_at_time(Fraction seconds, Fraction rate)
{
    // Both products fit: seconds below 2^63 times a rate below 2^62 over 2^31.
    __int128 frames = (__int128)seconds.numerator * rate.numerator /
                      ((__int128)seconds.denominator * rate.denominator);
    return frames > INT_MAX ? INT_MAX : (int)frames;
}
