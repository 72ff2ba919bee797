#include "playback_fixture.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "options.h"
#include "startup_state.h"
#include "sequence.h"
#include "settings.h"
#include "startup.h"

void reset_settings()
{
    for (FILE **file : {&yuvfile1, &yuvfile2, &yuvfile3}) {
        if (*file)
            fclose(*file);
        *file = nullptr;
    }
    reset_startup_state();
}

static std::vector<std::string> arguments;  // outlives the parse: fr2_path points into it

void parse(const std::vector<std::string> &args)
{
    arguments = args;
    arguments.insert(arguments.begin(), "trivista");
    std::vector<char *> argv;
    for (std::string &a : arguments)
        argv.push_back(&a[0]);
    argv.push_back(nullptr);
    parse_options((int)arguments.size(), argv.data());
}

void start_up(const std::vector<std::string> &args)
{
    parse(args);
    compute_geometry();
    compute_frame_range();
}

std::vector<uint8_t> read_binary_file(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}
