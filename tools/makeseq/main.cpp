// trivista-makeseq: writes the demo sequences for the viewer.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/die.h"
#include "makeseq.h"
#include "common/standard_descriptors.h"

// The same picture sizes the viewer accepts.
static const int min_width = 16, min_height = 16;
static const int max_width = 4096, max_height = 2304;

static void usage(FILE *stream)
{
    fprintf(stream,
            "Usage: trivista-makeseq [-CIF | -size WxH] [-n frames] [-seed number] [-o directory]"
            " [-quiet]\n"
            "\n"
            "Writes a demo trio of raw YUV 4:2:0 sequences for trivista into the directory\n"
            "(default: the current one): original.yuv, encoded.yuv (8x8 block quantisation),\n"
            "transmitted.yuv (transmission damage, some frames dropped) and transmitted.freeze\n"
            "(the dropped frames, for -fr3). QCIF by default; %d frames by default; seed 1.\n"
            "The same options always give the same bytes.\n",
            makeseq_default_frames);
}

static void refuse(const char *format, const char *value)
{
    fprintf(stderr, "trivista-makeseq: ");
    fprintf(stderr, format, value);
    fprintf(stderr, "\n");
    usage(stderr);
    exit(1);
}

// A whole decimal number within [low, high], nothing else in the text.
static long parse_number(const char *text, long low, long high, const char *what)
{
    char *end = nullptr;
    errno = 0;
    long value = strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno == ERANGE || value < low || value > high) {
        fprintf(stderr, "trivista-makeseq: %s must be a number from %ld to %ld, not \"%s\"\n", what,
                low, high, text);
        exit(1);
    }
    return value;
}

static void parse_size(const char *text, int *width, int *height)
{
    const char *x = strchr(text, 'x');
    if (!x)
        refuse("-size needs WxH, e.g. 352x288, not \"%s\"", text);
    char width_text[16];
    size_t length = (size_t)(x - text);
    if (length == 0 || length >= sizeof width_text)
        refuse("-size needs WxH, e.g. 352x288, not \"%s\"", text);
    memcpy(width_text, text, length);
    width_text[length] = '\0';
    *width = (int)parse_number(width_text, min_width, max_width, "the width");
    *height = (int)parse_number(x + 1, min_height, max_height, "the height");
    if (*width % 2 || *height % 2)
        refuse("-size needs an even width and height, not \"%s\"", text);
}

// What was printed must reach standard output: a lost line is a failed run.
static int flush_standard_output()
{
    if (fflush(stdout) != 0 || ferror(stdout))
        die(1, "trivista-makeseq: could not write to standard output\n");
    return 0;
}

int main(int argc, char **argv)
{
    open_standard_descriptors("trivista-makeseq");
    int width = 176, height = 144;
    int frames = makeseq_default_frames;
    uint64_t seed = 1;
    const char *dir = ".";
    int quiet = 0;

    for (int i = 1; i < argc; i++) {
        const char *option = argv[i];
        bool has_value = i + 1 < argc;
        if (!strcmp(option, "-h") || !strcmp(option, "-help") || !strcmp(option, "--help")) {
            usage(stdout);
            return flush_standard_output();
        } else if (!strcmp(option, "-CIF")) {
            width = 352;
            height = 288;
        } else if (!strcmp(option, "-quiet")) {
            quiet = 1;
        } else if (!strcmp(option, "-size") || !strcmp(option, "-n") ||
                   !strcmp(option, "-seed") || !strcmp(option, "-o")) {
            if (!has_value)
                refuse("%s needs a value", option);
            const char *value = argv[++i];
            if (!strcmp(option, "-size"))
                parse_size(value, &width, &height);
            else if (!strcmp(option, "-n"))
                frames = (int)parse_number(value, 1, makeseq_max_frames, "-n");
            else if (!strcmp(option, "-seed"))
                seed = (uint64_t)parse_number(value, 0, 2147483647L, "-seed");
            else
                dir = value;
        } else {
            refuse("unknown option \"%s\"", option);
        }
    }
    write_demo_sequences(dir, width, height, frames, seed, quiet);
    return flush_standard_output();
}
