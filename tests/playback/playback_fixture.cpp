#include "playback_fixture.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "options.h"
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
    horizontal_size = coded_picture_width = 176;
    vertical_size = coded_picture_height = 144;
    psnr = quiet = shm = nodiff = loop = fr2 = fr3 = expand = frame = 0;
    fps = 25;
    colordepth = 16;
    start_frame = 0;
    end_frame = 1000000;
    frame_period = 40000;
    fr2_count = fr3_count = 0;
    luma_size = chroma_size = frame_size = 0;
    for (char *name : {yuvname1, yuvname2, yuvname3, fr2_name, fr3_name})
        memset(name, 0, 256);
    fr2_path = fr3_path = nullptr;
    fps_given = size_given = 0;
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
