// The Original: a scene that is easy to follow by eye and hard enough for a block codec.
// Drawn in layers at full resolution (chroma too), then chroma is averaged over 2x2.
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "common/die.h"
#include "font.h"
#include "makeseq.h"

// Colours of the layers as Y, U, V.
static const int ball_colour[3] = {170, 64, 200};       // orange
static const int box_colour[3] = {72, 196, 104};        // blue
static const int bar_colour[3] = {235, 128, 128};       // white
static const int ticker_colour[3] = {28, 136, 120};     // dark strip
static const int ticker_text_colour[3] = {230, 110, 140};
static const int title_colour[3] = {250, 128, 128};
static const int shadow_colour[3] = {16, 128, 128};
static const int mortar_colour[3] = {196, 124, 132};

static const char ticker_text[] = "ORIGINAL  ENCODED  TRANSMITTED  ";
static const char title_text[] = "TRIVISTA";

// Scratch planes at full resolution, kept for the run.
static int scratch_width, scratch_height;
static unsigned char *plane_y, *plane_u, *plane_v;

static void prepare_scratch(int width, int height)
{
    if (scratch_width == width && scratch_height == height)
        return;
    size_t samples = (size_t)width * (size_t)height;
    free(plane_y);
    plane_y = (unsigned char *)malloc(3 * samples);
    if (!plane_y)
        die(1, "trivista-makeseq: out of memory for a %dx%d picture\n", width, height);
    plane_u = plane_y + samples;
    plane_v = plane_u + samples;
    scratch_width = width;
    scratch_height = height;
}

static void put(int x, int y, const int colour[3])
{
    if (x < 0 || y < 0 || x >= scratch_width || y >= scratch_height)
        return;
    size_t i = (size_t)y * (size_t)scratch_width + (size_t)x;
    plane_y[i] = (unsigned char)colour[0];
    plane_u[i] = (unsigned char)colour[1];
    plane_v[i] = (unsigned char)colour[2];
}

static int clamp_byte(int v)
{
    return v < 0 ? 0 : v > 255 ? 255 : v;
}

// Position on a path that bounces between 0 and span.
static int bounce(double position, int span)
{
    if (span <= 0)
        return 0;
    double period = 2.0 * span;
    double p = fmod(position, period);
    if (p < 0)
        p += period;
    return (int)(p <= span ? p : period - p);
}

static void fill_rect(int x0, int y0, int w, int h, const int colour[3])
{
    for (int y = y0; y < y0 + h; y++)
        for (int x = x0; x < x0 + w; x++)
            put(x, y, colour);
}

static void draw_text(const char *text, int x0, int y0, int scale, const int colour[3])
{
    for (int k = 0; text[k]; k++) {
        const unsigned char *rows = glyph_rows(text[k]);
        int gx = x0 + k * glyph_advance * scale;
        for (int r = 0; r < glyph_height; r++)
            for (int c = 0; c < glyph_width; c++)
                if (rows[r] & (0x10 >> c))
                    fill_rect(gx + c * scale, y0 + r * scale, scale, scale, colour);
    }
}

// A slow diagonal triangle-wave ramp that pans to the left.
static void draw_background(int t, double unit)
{
    int period = (int)(160 * unit);
    if (period < 8)
        period = 8;
    int pan = (int)(t * 2 * unit);
    for (int y = 0; y < scratch_height; y++)
        for (int x = 0; x < scratch_width; x++) {
            int phase = (x + y / 2 + pan) % period;
            int ramp = phase < period / 2 ? phase : period - phase;
            int colour[3] = {40 + ramp * 120 / (period / 2),
                             108 + y * 40 / scratch_height,
                             148 - x * 40 / scratch_width};
            put(x, y, colour);
        }
}

// Stripes of 1, 2, 3 and 4 pixel width: the first detail a block codec loses.
static void draw_stripes(int x0, int y0, int w, int h)
{
    int group = w / 4;
    for (int y = y0; y < y0 + h; y++)
        for (int x = x0; x < x0 + w; x++) {
            int width = group > 0 ? 1 + (x - x0) / group : 1;
            if (width > 4)
                width = 4;
            int colour[3] = {((x - x0) / width) % 2 ? 235 : 20, 128, 128};
            put(x, y, colour);
        }
}

// A brick wall with grainy bricks, scrolling sideways: fine detail in motion.
static void draw_bricks(int y0, int t, double unit, uint64_t seed)
{
    int brick_h = (int)(8 * unit) < 4 ? 4 : (int)(8 * unit);
    int brick_w = 2 * brick_h;
    int pan = (int)(t * unit);
    for (int y = y0; y < scratch_height; y++) {
        int row = (y - y0) / brick_h;
        int offset = (row % 2) * brick_w / 2;
        for (int x = 0; x < scratch_width; x++) {
            int wx = x + pan + offset;
            int column = wx / brick_w;
            bool mortar = (y - y0) % brick_h == 0 || wx % brick_w == 0;
            if (mortar) {
                put(x, y, mortar_colour);
                continue;
            }
            int base = 80 + (int)(hash_of(seed, (uint64_t)row, (uint64_t)column) % 60);
            int grain = (int)(hash_of(seed + 1, (uint64_t)y, (uint64_t)(x + pan)) % 25) - 12;
            int colour[3] = {clamp_byte(base + grain), 112, 168};
            put(x, y, colour);
        }
    }
}

static void draw_ticker(int y0, int h, int scale, int t, double unit)
{
    fill_rect(0, y0, scratch_width, h, ticker_colour);
    int text_width = (int)(sizeof ticker_text - 1) * glyph_advance * scale;
    int shift = (int)(t * 1.5 * unit) % text_width;
    int ty = y0 + (h - glyph_height * scale) / 2;
    for (int x = -shift; x < scratch_width; x += text_width)
        draw_text(ticker_text, x, ty, scale, ticker_text_colour);
}

static void draw_bar(int cx, int cy, int length, int thickness, double angle)
{
    double c = cos(angle), s = sin(angle);
    int reach = length / 2 + thickness;
    for (int y = cy - reach; y <= cy + reach; y++)
        for (int x = cx - reach; x <= cx + reach; x++) {
            double along = (x - cx) * c + (y - cy) * s;
            double across = -(x - cx) * s + (y - cy) * c;
            if (fabs(along) <= length / 2.0 && fabs(across) <= thickness / 2.0)
                put(x, y, bar_colour);
        }
}

static void draw_ball(int cx, int cy, int radius)
{
    for (int y = cy - radius; y <= cy + radius; y++)
        for (int x = cx - radius; x <= cx + radius; x++)
            if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius)
                put(x, y, ball_colour);
}

// Averages each 2x2 block of the scratch chroma into the picture's chroma planes.
static void store(Picture *picture)
{
    int w = picture->width, h = picture->height;
    for (int i = 0; i < w * h; i++)
        picture->planes.y[i] = plane_y[i];
    for (int y = 0; y < h / 2; y++)
        for (int x = 0; x < w / 2; x++) {
            int a = 2 * y * w + 2 * x;
            int su = plane_u[a] + plane_u[a + 1] + plane_u[a + w] + plane_u[a + w + 1];
            int sv = plane_v[a] + plane_v[a + 1] + plane_v[a + w] + plane_v[a + w + 1];
            picture->planes.u[y * (w / 2) + x] = (unsigned char)((su + 2) / 4);
            picture->planes.v[y * (w / 2) + x] = (unsigned char)((sv + 2) / 4);
        }
}

void draw_original(Picture *picture, int t, uint64_t seed)
{
    int w = picture->width, h = picture->height;
    prepare_scratch(w, h);
    // Sizes follow the picture: one unit is one pixel at QCIF.
    double unit = fmin(w / 176.0, h / 144.0);
    int text_scale = unit < 1.5 ? 1 : (int)unit;
    uint64_t state = seed;
    double ball_speed_x = 1.6 + random_below(&state, 10) / 10.0;
    double ball_speed_y = 1.1 + random_below(&state, 10) / 10.0;
    int ball_start = random_below(&state, 1000);
    double spin = 0.05 + random_below(&state, 5) / 100.0;

    draw_background(t, unit);
    int ticker_y = (int)(h * 0.70);
    int bricks_y = (int)(h * 0.80);
    draw_stripes((int)(w * 0.62), (int)(h * 0.05), (int)(w * 0.34), (int)(h * 0.22));
    draw_bricks(bricks_y, t, unit, seed);
    draw_ticker(ticker_y, bricks_y - ticker_y, text_scale, t, unit);

    int box_w = (int)(w * 0.22), box_h = (int)(h * 0.14);
    int box_x = (int)(t * 1.2 * unit) % (w + box_w) - box_w;
    fill_rect(box_x, (int)(h * 0.50), box_w, box_h, box_colour);

    int bar_length = (int)(h * 0.30);
    draw_bar((int)(w * 0.22), (int)(h * 0.46), bar_length, (int)(3 * unit) < 2 ? 2 : (int)(3 * unit),
             t * spin);

    int radius = (int)(h * 0.08) < 3 ? 3 : (int)(h * 0.08);
    int ball_x = radius + bounce(ball_start + t * ball_speed_x * unit, w - 2 * radius);
    int ball_y = (int)(h * 0.30) + radius +
                 bounce(ball_start / 3 + t * ball_speed_y * unit, ticker_y - (int)(h * 0.30) - 2 * radius);
    draw_ball(ball_x, ball_y, radius);

    // The title and the frame number, with a shadow: edges like those of text.
    char counter[16];
    snprintf(counter, sizeof counter, "%04d", t % 10000);
    int tx = (int)(w * 0.04), ty = (int)(h * 0.05);
    draw_text(title_text, tx + 1, ty + 1, text_scale, shadow_colour);
    draw_text(title_text, tx, ty, text_scale, title_colour);
    int cy = ty + (glyph_height + 3) * text_scale;
    draw_text(counter, tx + 1, cy + 1, text_scale * 2, shadow_colour);
    draw_text(counter, tx, cy, text_scale * 2, title_colour);

    store(picture);
}
