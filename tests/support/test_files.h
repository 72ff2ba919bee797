// Files for tests: a private temporary directory and sequence files whose every frame
// looks different, so that a captured pane tells which frame it shows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TempDir {
public:
    TempDir();   // a fresh directory under $TMPDIR or /tmp
    ~TempDir();  // removes it with everything inside
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::string &path() const { return dir; }
    std::string file(const std::string &name) const { return dir + "/" + name; }

private:
    std::string dir;
};

std::string read_text_file(const std::string &path);
void write_text_file(const std::string &path, const std::string &text);
void write_binary_file(const std::string &path, const std::vector<uint8_t> &bytes);

// One YUV 4:2:0 frame (Y, then U, then V) of `width` x `height` whose content depends on
// `sequence` (0..3) and `frame`: every luma and chroma sample differs from the same
// sample of every other (sequence, frame) with frame numbers below 64.
std::vector<uint8_t> make_test_frame(int width, int height, int sequence, int frame);

// Writes frames 0..frames-1 of make_test_frame into dir/name and returns its path;
// `extra_bytes` of garbage follow the last whole frame.
std::string write_test_sequence(const std::string &dir, const std::string &name, int width,
                                int height, int sequence, int frames, int extra_bytes = 0);
