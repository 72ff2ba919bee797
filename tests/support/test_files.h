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

// Frame numbers below this are told apart by make_test_frame's pictures.
const int distinct_test_frames = 12;

// One YUV 4:2:0 frame (Y, then U, then V) of `width` x `height` whose content depends on
// `sequence` (1..3) and `frame`. Below distinct_test_frames, the frames of one sequence
// differ in every sample, and the luma difference (mod 256) of frame i of one sequence
// and frame j of another differs for every (i, j), so a difference picture tells which
// two frames it compares.
std::vector<uint8_t> make_test_frame(int width, int height, int sequence, int frame);

// Writes frames 0..frames-1 of make_test_frame into dir/name and returns its path;
// `extra_bytes` of garbage follow the last whole frame.
std::string write_test_sequence(const std::string &dir, const std::string &name, int width,
                                int height, int sequence, int frames, int extra_bytes = 0);
