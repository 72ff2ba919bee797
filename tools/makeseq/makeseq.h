// trivista-makeseq: a deterministic demo trio (Original, Encoded, Transmitted) and the
// freeze list that keeps the Transmitted pane aligned.
#pragma once

#include <cstdint>

#include "common/yuv_frame.h"

const int makeseq_default_frames = 100;
const int makeseq_max_frames = 100000;
const int makeseq_block = 8;        // transform block of the codec
const int makeseq_macroblock = 16;  // unit of transmission damage

// One picture with its own planes, allocated once.
struct Picture {
    int width;
    int height;
    YuvFrame planes;
};

void allocate_picture(Picture *picture, int width, int height);
void free_picture(Picture *picture);
int64_t picture_bytes(int width, int height);
void copy_picture(Picture *to, const Picture *from);

// The Original: panning gradient, scrolling fine texture, resolution stripes, moving
// shapes, a title and a frame counter. Depends on the frame number and the seed only.
void draw_original(Picture *picture, int frame_number, uint64_t seed);

// The Encoded: every 8x8 block of every plane through a DCT, quantised, back again.
// The quantiser swings with the frame number like a rate control would.
void encode_picture(const Picture *original, Picture *encoded, int frame_number);
int quantiser_for_frame(int frame_number);

// The transmission: which frames are dropped and which macroblocks are damaged.
// A damage event hits a run of macroblocks in raster order (a slice) at its start frame;
// each macroblock of the run heals a few frames later, on its own frame.
struct DamageEvent {
    int start;             // frame of the corruption
    int first_macroblock;  // raster index
    int length;            // macroblocks in the run
    int duration;          // the last macroblock heals at most this many frames after start
};

struct TransmissionPlan {
    int frames;
    int macroblocks_wide;
    int macroblocks_high;
    unsigned char *dropped;  // one per frame: 1 = missing from the transmitted file
    int dropped_count;
    DamageEvent *events;
    int event_count;
};

enum DamageState { block_clean = 0, block_corrupted = 1, block_lingering = 2 };

void plan_transmission(TransmissionPlan *plan, int width, int height, int frames, uint64_t seed);
void free_transmission_plan(TransmissionPlan *plan);
// State of macroblock (mx, my) at frame f.
DamageState macroblock_damage(const TransmissionPlan *plan, int f, int mx, int my);

// The Transmitted picture of frame f: the Encoded one where the transmission was clean;
// in damaged macroblocks a corrupted block at the start of the damage, and afterwards the
// previous damaged picture carried along by the encoded change, until the block heals.
void transmit_picture(const TransmissionPlan *plan, int frame_number, uint64_t seed,
                      const Picture *encoded, const Picture *previous_encoded,
                      const Picture *previous_transmitted, Picture *transmitted);

// Writes original.yuv, encoded.yuv, transmitted.yuv and transmitted.freeze into `dir`
// (created when missing). Any failure ends the process with a message.
void write_demo_sequences(const char *dir, int width, int height, int frames, uint64_t seed,
                          int quiet);

// Deterministic pseudo-random numbers (splitmix64): same seed, same sequence everywhere.
uint64_t next_random(uint64_t *state);
int random_below(uint64_t *state, int limit);  // 0 .. limit - 1
uint64_t hash_of(uint64_t a, uint64_t b, uint64_t c);
