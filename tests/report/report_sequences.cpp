#include "report_sequences.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <stdexcept>

static uint32_t next(uint32_t *state)
{
    *state = *state * 1664525u + 1013904223u;
    return *state >> 8;
}

static uint8_t clamp_sample(int value)
{
    return (uint8_t)std::min(255, std::max(0, value));
}

Frame structured_frame(int width, int height, int frame_number, uint32_t seed)
{
    uint32_t state = seed * 7919u + (uint32_t)frame_number * 104729u + 1;
    int cw = width / 2, ch = height / 2;
    Frame frame((size_t)width * height + 2 * (size_t)cw * ch);
    uint8_t *y = frame.data(), *u = y + width * height, *v = u + cw * ch;
    for (int row = 0; row < height; row++)
        for (int x = 0; x < width; x++) {
            int gradient = (x * 2 + row + frame_number * 3) % 200;
            int edge = ((x / 16 + row / 16 + frame_number / 4) % 2) * 40;
            y[row * width + x] = clamp_sample(gradient + edge + (int)(next(&state) % 17) - 8);
        }
    for (int row = 0; row < ch; row++)
        for (int x = 0; x < cw; x++) {
            u[row * cw + x] = clamp_sample(80 + (x + frame_number) % 90 + (int)(next(&state) % 5));
            v[row * cw + x] = clamp_sample(170 - (row * 2 + frame_number) % 100 +
                                           (int)(next(&state) % 5));
        }
    return frame;
}

Frame degraded_frame(const Frame &frame, int width, int height, int noise, bool blocky,
                     uint32_t seed)
{
    Frame out = frame;
    uint32_t state = seed * 31u + 17u;
    if (noise > 0)
        for (auto &sample : out)
            sample = clamp_sample(sample + (int)(next(&state) % (2 * noise + 1)) - noise);
    if (blocky)
        for (int by = 0; by + 8 <= height; by += 8)
            for (int bx = 0; bx + 8 <= width; bx += 8) {
                if (next(&state) % 4 != 0)
                    continue;
                int sum = 0;
                for (int j = 0; j < 8; j++)
                    for (int i = 0; i < 8; i++)
                        sum += out[(by + j) * width + bx + i];
                for (int j = 0; j < 8; j++)
                    for (int i = 0; i < 8; i++)
                        out[(by + j) * width + bx + i] = (uint8_t)(sum / 64);
            }
    return out;
}

void write_sequence(const std::string &path, const std::vector<Frame> &frames, int extra_bytes)
{
    std::ofstream file(path, std::ios::binary);
    for (const Frame &frame : frames)
        file.write((const char *)frame.data(), (std::streamsize)frame.size());
    for (int i = 0; i < extra_bytes; i++)
        file.put((char)(i * 37));
    if (!file)
        throw std::runtime_error("cannot write " + path);
}

double textbook_psnr(const uint8_t *a, const uint8_t *b, int samples)
{
    double sum = 0;
    for (int i = 0; i < samples; i++) {
        double d = (double)a[i] - b[i];
        sum += d * d;
    }
    if (sum == 0)
        return 100.0;
    return 10 * std::log10(255.0 * 255.0 / (sum / samples));
}

std::vector<Frame> read_sequence(const std::string &path, int width, int height)
{
    std::ifstream file(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                               std::istreambuf_iterator<char>());
    size_t frame_size = (size_t)width * height * 3 / 2;
    std::vector<Frame> frames;
    for (size_t offset = 0; offset + frame_size <= bytes.size(); offset += frame_size)
        frames.emplace_back(bytes.begin() + offset, bytes.begin() + offset + frame_size);
    return frames;
}
