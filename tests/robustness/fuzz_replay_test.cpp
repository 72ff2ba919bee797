// The kept fuzz inputs, seed corpus and regression inputs, run through their fuzz target
// in the ordinary test suite, so that a fixed finding stays fixed without clang. The
// target's own checks abort on a broken rule; the sanitizer build catches the rest.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

static std::vector<std::string> files_in(const std::string &dir)
{
    std::vector<std::string> files;
    DIR *listing = opendir(dir.c_str());
    if (!listing)
        return files;
    while (dirent *entry = readdir(listing)) {
        if (entry->d_name[0] == '.')
            continue;  // ".", ".." and the placeholder that keeps an empty directory
        std::string path = dir + "/" + entry->d_name;
        struct stat info;
        if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
            files.push_back(path);
    }
    closedir(listing);
    return files;
}

static std::vector<uint8_t> contents(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

TEST(FUZZ_SUITE, EveryKeptInputRunsThroughTheTargetWithoutAFinding)
{
    const std::string fuzz_dir = TRIVISTA_SOURCE_DIR "/fuzz";
    std::vector<std::string> inputs = files_in(fuzz_dir + "/corpus/" FUZZ_TARGET);
    std::vector<std::string> regressions = files_in(fuzz_dir + "/regressions/" FUZZ_TARGET);
    inputs.insert(inputs.end(), regressions.begin(), regressions.end());
    ASSERT_GE(inputs.size(), 5u) << "the seed corpus of " FUZZ_TARGET " has gone missing";

    LLVMFuzzerInitialize(nullptr, nullptr);
    for (const std::string &path : inputs) {
        SCOPED_TRACE(path);
        std::vector<uint8_t> bytes = contents(path);
        EXPECT_EQ(LLVMFuzzerTestOneInput(bytes.data(), bytes.size()), 0);
    }
}
