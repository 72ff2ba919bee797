#include "test_files.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

TempDir::TempDir()
{
    const char *base = getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/trivista-test-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data()))
        throw std::runtime_error("mkdtemp failed for " + pattern);
    dir = buffer.data();
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

std::string read_text_file(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void write_text_file(const std::string &path, const std::string &text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

void write_binary_file(const std::string &path, const std::vector<uint8_t> &bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

// Per-frame luma steps 1, 12 and 135 keep i * a - j * b (mod 256) apart for every pair of
// frames below 12 of every two sequences; the column factors make each difference
// picture a ramp rather than a flat gray that clamping could merge with another.
static const int frame_step[4] = {7, 1, 12, 135};
static const int column_factor[4] = {4, 1, 2, 3};

std::vector<uint8_t> make_test_frame(int width, int height, int sequence, int frame)
{
    const int s = sequence & 3;
    const int luma = width * height;
    const int chroma_width = width / 2;
    const int chroma_height = height / 2;
    std::vector<uint8_t> bytes(static_cast<size_t>(luma + 2 * chroma_width * chroma_height));
    uint8_t *y = bytes.data();
    uint8_t *u = y + luma;
    uint8_t *v = u + chroma_width * chroma_height;
    for (int row = 0; row < height; ++row)
        for (int col = 0; col < width; ++col)
            y[row * width + col] =
                static_cast<uint8_t>(column_factor[s] * col + 3 * row + frame_step[s] * frame + 64 * s);
    for (int row = 0; row < chroma_height; ++row)
        for (int col = 0; col < chroma_width; ++col) {
            u[row * chroma_width + col] = static_cast<uint8_t>(5 * col + row + 13 * frame + 64 * s);
            v[row * chroma_width + col] = static_cast<uint8_t>(col + 7 * row + 19 * frame + 64 * s);
        }
    return bytes;
}

std::string write_test_sequence(const std::string &dir, const std::string &name, int width,
                                int height, int sequence, int frames, int extra_bytes)
{
    std::vector<uint8_t> all;
    for (int f = 0; f < frames; ++f) {
        std::vector<uint8_t> one = make_test_frame(width, height, sequence, f);
        all.insert(all.end(), one.begin(), one.end());
    }
    all.insert(all.end(), static_cast<size_t>(extra_bytes), static_cast<uint8_t>(0x5a));
    std::string path = dir + "/" + name;
    write_binary_file(path, all);
    return path;
}
