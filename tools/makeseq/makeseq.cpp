// Writes the demo trio frame by frame, so any length fits in a few pictures of memory.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>

#include "common/die.h"
#include "makeseq.h"

static FILE *open_output(const std::string &path)
{
    FILE *file = fopen(path.c_str(), "wb");
    if (!file)
        die(1, "trivista-makeseq: cannot write %s: %s\n", path.c_str(), strerror(errno));
    return file;
}

static void write_picture(FILE *file, const Picture *picture, const std::string &path)
{
    size_t bytes = (size_t)picture_bytes(picture->width, picture->height);
    if (fwrite(picture->planes.y, 1, bytes, file) != bytes)
        die(1, "trivista-makeseq: cannot write %s: %s\n", path.c_str(), strerror(errno));
}

static void close_output(FILE *file, const std::string &path)
{
    if (fclose(file) != 0)
        die(1, "trivista-makeseq: cannot write %s: %s\n", path.c_str(), strerror(errno));
}

static void make_directory(const char *dir)
{
    struct stat info;
    if (stat(dir, &info) == 0) {
        if (!S_ISDIR(info.st_mode))
            die(1, "trivista-makeseq: %s is not a directory\n", dir);
        return;
    }
    if (mkdir(dir, 0777) != 0)
        die(1, "trivista-makeseq: cannot create directory %s: %s\n", dir, strerror(errno));
}

void write_demo_sequences(const char *dir, int width, int height, int frames, uint64_t seed,
                          int quiet)
{
    make_directory(dir);
    std::string base = std::string(dir) + "/";
    std::string names[4] = {base + "original.yuv", base + "encoded.yuv", base + "transmitted.yuv",
                            base + "transmitted.freeze"};
    FILE *original_file = open_output(names[0]);
    FILE *encoded_file = open_output(names[1]);
    FILE *transmitted_file = open_output(names[2]);
    FILE *freeze_file = open_output(names[3]);

    TransmissionPlan plan;
    plan_transmission(&plan, width, height, frames, seed);

    // The previous Encoded and Transmitted pictures feed the lingering damage.
    Picture original, encoded[2], transmitted[2];
    allocate_picture(&original, width, height);
    for (int k = 0; k < 2; k++) {
        allocate_picture(&encoded[k], width, height);
        allocate_picture(&transmitted[k], width, height);
    }

    for (int f = 0; f < frames; f++) {
        Picture *enc = &encoded[f % 2], *tra = &transmitted[f % 2];
        const Picture *previous_enc = f > 0 ? &encoded[(f + 1) % 2] : nullptr;
        const Picture *previous_tra = f > 0 ? &transmitted[(f + 1) % 2] : nullptr;
        draw_original(&original, f, seed);
        encode_picture(&original, enc, f);
        transmit_picture(&plan, f, seed, enc, previous_enc, previous_tra, tra);
        write_picture(original_file, &original, names[0]);
        write_picture(encoded_file, enc, names[1]);
        if (plan.dropped[f]) {
            // Not in the file: the viewer must hold the Transmitted pane at this frame.
            if (fprintf(freeze_file, "%d\n", f) < 0)
                die(1, "trivista-makeseq: cannot write %s: %s\n", names[3].c_str(), strerror(errno));
        } else {
            write_picture(transmitted_file, tra, names[2]);
        }
    }
    close_output(original_file, names[0]);
    close_output(encoded_file, names[1]);
    close_output(transmitted_file, names[2]);
    close_output(freeze_file, names[3]);

    if (!quiet)
        printf("%d frames of %dx%d in %s: %d dropped from the transmission (listed in "
               "transmitted.freeze), %d damaged slices\n",
               frames, width, height, dir, plan.dropped_count, plan.event_count);

    free_picture(&original);
    for (int k = 0; k < 2; k++) {
        free_picture(&encoded[k]);
        free_picture(&transmitted[k]);
    }
    free_transmission_plan(&plan);
}
