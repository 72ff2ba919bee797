// The Transmitted: the Encoded after a lossy channel. Some frames never arrive; some
// slices arrive corrupted, and since the receiver predicts from what it has, a corrupted
// macroblock stays wrong for a few frames until it is refreshed.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "common/die.h"
#include "makeseq.h"

static const int mb = makeseq_macroblock;
static const int frames_per_drop = 25;
static const int frames_per_damage_event = 16;
static const int first_damaged_frame = 3;  // the opening frames stay clean
static const int first_dropped_frame = 2;
static const int min_damage_duration = 3;
static const int max_damage_duration = 6;

void plan_transmission(TransmissionPlan *plan, int width, int height, int frames, uint64_t seed)
{
    uint64_t state = hash_of(seed, 0x6368616e6e656cull, 0);  // a stream of its own
    plan->frames = frames;
    plan->macroblocks_wide = (width + mb - 1) / mb;
    plan->macroblocks_high = (height + mb - 1) / mb;
    int macroblocks = plan->macroblocks_wide * plan->macroblocks_high;

    plan->dropped = (unsigned char *)calloc((size_t)frames, 1);
    if (!plan->dropped)
        die(1, "trivista-makeseq: out of memory for %d frames\n", frames);
    plan->dropped_count = 0;
    int drops = frames >= 10 ? std::max(1, frames / frames_per_drop) : 0;
    while (plan->dropped_count < drops) {
        int f = first_dropped_frame + random_below(&state, frames - first_dropped_frame);
        if (!plan->dropped[f]) {
            plan->dropped[f] = 1;
            plan->dropped_count++;
        }
    }

    plan->event_count = frames > first_damaged_frame + 2
                            ? std::max(1, frames / frames_per_damage_event) : 0;
    plan->events = (DamageEvent *)calloc((size_t)std::max(1, plan->event_count), sizeof(DamageEvent));
    if (!plan->events)
        die(1, "trivista-makeseq: out of memory for %d frames\n", frames);
    for (int i = 0; i < plan->event_count; i++) {
        DamageEvent *e = &plan->events[i];
        e->start = first_damaged_frame + random_below(&state, frames - first_damaged_frame);
        e->first_macroblock = random_below(&state, macroblocks);
        int shortest = std::max(1, plan->macroblocks_wide / 2);
        e->length = shortest + random_below(&state, 2 * plan->macroblocks_wide - shortest + 1);
        e->length = std::min(e->length, macroblocks - e->first_macroblock);
        e->duration = min_damage_duration +
                      random_below(&state, max_damage_duration - min_damage_duration + 1);
    }
    std::sort(plan->events, plan->events + plan->event_count,
              [](const DamageEvent &a, const DamageEvent &b) { return a.start < b.start; });
}

void free_transmission_plan(TransmissionPlan *plan)
{
    free(plan->dropped);
    free(plan->events);
    plan->dropped = nullptr;
    plan->events = nullptr;
}

// Each macroblock of a run heals on a frame of its own, 2 .. duration frames after the start.
static int heal_frame(const DamageEvent *e, int macroblock)
{
    uint64_t h = hash_of((uint64_t)e->start, (uint64_t)e->first_macroblock, (uint64_t)macroblock);
    return e->start + 2 + (int)(h % (uint64_t)(e->duration - 1));
}

DamageState macroblock_damage(const TransmissionPlan *plan, int f, int mx, int my)
{
    int macroblock = my * plan->macroblocks_wide + mx;
    // Only events that began within the longest duration can still be active.
    const DamageEvent *first = std::lower_bound(
        plan->events, plan->events + plan->event_count, f - max_damage_duration,
        [](const DamageEvent &e, int frame) { return e.start < frame; });
    DamageState state = block_clean;
    for (const DamageEvent *e = first; e < plan->events + plan->event_count && e->start <= f; e++) {
        if (macroblock < e->first_macroblock || macroblock >= e->first_macroblock + e->length)
            continue;
        if (f >= heal_frame(e, macroblock))
            continue;
        if (e->start == f)
            return block_corrupted;
        state = block_lingering;
    }
    return state;
}

static unsigned char clamp_byte(int v)
{
    return (unsigned char)(v < 0 ? 0 : v > 255 ? 255 : v);
}

// A corrupted block: content from a wrong place (a lost motion vector) with wrong DC
// levels per 8x8 block, as a decoder shows a slice whose bits went astray.
static void corrupt_area(const unsigned char *encoded, unsigned char *out, int width, int height,
                         int x0, int y0, int size, uint64_t noise, int dc_range)
{
    int shift = size / 2;
    int dx = ((int)(noise % 7) - 3) * shift;
    int dy = ((int)((noise >> 3) % 7) - 3) * shift;
    for (int y = y0; y < y0 + size && y < height; y++)
        for (int x = x0; x < x0 + size && x < width; x++) {
            int sx = std::min(std::max(x + dx, 0), width - 1);
            int sy = std::min(std::max(y + dy, 0), height - 1);
            int block = ((y - y0) * 2 / size) * 2 + (x - x0) * 2 / size;  // quarter of the area
            int dc = (int)((noise >> (8 + 8 * block)) % (uint64_t)(2 * dc_range + 1)) - dc_range;
            out[y * width + x] = clamp_byte(encoded[sy * width + sx] + dc);
        }
}

// A block predicted from a damaged reference: the damage moves on with the encoded change.
static void carry_area(const unsigned char *encoded, const unsigned char *previous_encoded,
                       const unsigned char *previous_transmitted, unsigned char *out, int width,
                       int height, int x0, int y0, int size)
{
    for (int y = y0; y < y0 + size && y < height; y++)
        for (int x = x0; x < x0 + size && x < width; x++) {
            int i = y * width + x;
            out[i] = clamp_byte(previous_transmitted[i] + encoded[i] - previous_encoded[i]);
        }
}

void transmit_picture(const TransmissionPlan *plan, int f, uint64_t seed, const Picture *encoded,
                      const Picture *previous_encoded, const Picture *previous_transmitted,
                      Picture *transmitted)
{
    int w = encoded->width, h = encoded->height;
    copy_picture(transmitted, encoded);
    for (int my = 0; my < plan->macroblocks_high; my++)
        for (int mx = 0; mx < plan->macroblocks_wide; mx++) {
            DamageState state = macroblock_damage(plan, f, mx, my);
            if (state == block_clean)
                continue;
            if (state == block_lingering && previous_encoded && previous_transmitted) {
                const YuvFrame &e = encoded->planes, &pe = previous_encoded->planes;
                const YuvFrame &pt = previous_transmitted->planes;
                YuvFrame &t = transmitted->planes;
                carry_area(e.y, pe.y, pt.y, t.y, w, h, mx * mb, my * mb, mb);
                carry_area(e.u, pe.u, pt.u, t.u, w / 2, h / 2, mx * mb / 2, my * mb / 2, mb / 2);
                carry_area(e.v, pe.v, pt.v, t.v, w / 2, h / 2, mx * mb / 2, my * mb / 2, mb / 2);
                continue;
            }
            uint64_t noise = hash_of(seed, (uint64_t)f, (uint64_t)(my * plan->macroblocks_wide + mx));
            corrupt_area(encoded->planes.y, transmitted->planes.y, w, h, mx * mb, my * mb, mb,
                         noise, 60);
            corrupt_area(encoded->planes.u, transmitted->planes.u, w / 2, h / 2, mx * mb / 2,
                         my * mb / 2, mb / 2, noise >> 1, 24);
            corrupt_area(encoded->planes.v, transmitted->planes.v, w / 2, h / 2, mx * mb / 2,
                         my * mb / 2, mb / 2, noise >> 2, 24);
        }
}
