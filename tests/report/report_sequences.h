// Test sequences for the report: structured pictures (moving gradients plus noise) and
// degraded copies, deterministic for a seed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

typedef std::vector<uint8_t> Frame;  // Y, U, V planes of one 4:2:0 picture

// A picture with gradients that move with the frame number, edges and noise.
Frame structured_frame(int width, int height, int frame_number, uint32_t seed);

// A copy with per-sample noise of up to +-noise and, in some 8x8 blocks, block means
// (like a coarse quantiser). noise 0 and blocky false give an identical copy.
Frame degraded_frame(const Frame &frame, int width, int height, int noise, bool blocky,
                     uint32_t seed);

// Writes the frames one after the other, then `extra_bytes` of a partial frame.
void write_sequence(const std::string &path, const std::vector<Frame> &frames,
                    int extra_bytes = 0);

// Luma PSNR of two pictures by the textbook formula, capped as the viewer caps it.
double textbook_psnr(const uint8_t *a, const uint8_t *b, int samples);

// The frames of a sequence file as a reader sees them (whole frames only).
std::vector<Frame> read_sequence(const std::string &path, int width, int height);
