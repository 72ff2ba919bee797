// Runs the start-up functions in this process, from a clean set of settings each time.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_files.h"

// Puts every setting of the command line back to its value before parsing and closes
// the sequence files of an earlier parse.
void reset_settings();

// parse_options over "trivista" followed by `args`.
void parse(const std::vector<std::string> &args);

// parse, then the picture size, frame sizes and frame range.
void start_up(const std::vector<std::string> &args);

// Reads a whole binary file.
std::vector<uint8_t> read_binary_file(const std::string &path);

class PlaybackTest : public ::testing::Test {
protected:
    void SetUp() override { reset_settings(); }
    void TearDown() override { reset_settings(); }
    TempDir temp;
};
