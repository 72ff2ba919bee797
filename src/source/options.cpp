// The command line: the option loop, the usage text and the checks that follow it.
#include "options.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "picture_size.h"
#include "sequence.h"
#include "common/colour_conversion.h"
#include "common/die.h"
#include "common/labels.h"
#include "common/numbers.h"
#include "common/pixel_format.h"
#include "common/region.h"
#include "common/settings.h"

// -s and -e as the loop read them; times become frames once the Original's rate is known.
static FrameOrTime start_value, end_value;

static const char credit_text[] = "by the Trivista developers";
static const char web_address[] = "https://trivista.example/";

void help(const char *program_name)
{
    printf("\n");
    printf("\t\t\tkestrin TrivistaTool\n");
    printf("\t\t%s\n", credit_text);
    printf("\t\t\t%s\n", web_address);
    printf("\n");
    printf("Plays up to three concatenated YUV 4:2:0 sequences and shows the differences,\n");
    printf("calculates the PSNR value and shows them. Freezing of frames is possible.\n");
    printf("Current implementation is only suitable for CIF/QCIF format.\n");
    printf("\nUsage:\n");
    printf("\t%s [opt.switches] -f1 yuv [-f2 yuv] [-f3 yuv]\n", program_name);
    printf("\n");
    printf("\nOptional switches:\n\n");
    printf("-CIF\tfor CIF format (default QCIF)\n");
    printf("-quiet\tdisable info window\n");
    printf("-l\tloop output\n");
    printf("-fps\ttarget frames per second (default: 25)\n");
    printf("-nodiff\tshow no difference pictures\n");
    printf("-PSNR\tcalculate PSNR value for y component\n");
    printf("-fr2\tfile with frames to freeze for PSNR (f2)\n");
    printf("-fr3\tfile with frames to freeze for PSNR (f3)\n");
    printf("-s #\tstart with frame # (default: first)\n");
    printf("-e #\tend with frame # (default: last of first file)\n");
    printf("\n\n");
    fflush(stdout);
}

[[noreturn]] static void usage_and_exit(const char *program_name)
{
    help(program_name);
    exit(1);
}

// -s or -e: a frame number now, or a time kept for frames_from_times.
static void take_frame_or_time(const char *name, const char *value, FrameOrTime *read,
                               int *frame_number)
{
    if (read_frame_or_time(value, read) == reading_malformed)
        die(1, "%s %s: not a frame number, nor a time such as 1:30 or 0:01:02.5\n", name, value);
    *frame_number = read->frame;
}

static void take_frame_rate(const char *value)
{
    if (read_frame_rate(value, &settings.fps_rate) == reading_malformed)
        die(1, "-fps %s: not a frame rate such as 25, 29.97 or 30000/1001\n", value);
    settings.fps_text = value;
    settings.fps_given = 1;
}

void frames_from_times(Fraction rate)
{
    if (start_value.is_time)
        playhead.start_frame = frame_at_time(start_value.seconds, rate);
    if (end_value.is_time)
        playhead.end_frame = frame_at_time(end_value.seconds, rate);
}

static void copy_display_name(char (&name)[256], const char *path)
{
    snprintf(name, sizeof name, "%s", path);
}

void name_sequence(int n, const char *path)
{
    settings.expand = n;
    copy_display_name(sequences[n].yuvname, path);
    sequences[n].path = path;
}

// Sequence options: -f1, then -f2, then -f3, each once; anything else would leave a
// counted sequence without an open stream. The loop opens the file.
static void take_sequence_option(int n, const char *path, const char *program_name)
{
    if (settings.expand != n - 1)
        usage_and_exit(program_name);
    name_sequence(n, path);
}

// -fr2 and -fr3: only the name is taken; the list is read once the range is known.
static void take_freeze_option(int n, const char *path)
{
    Sequence &s = sequences[n];
    s.fr_path = path;
    s.fr = 1;
}

// -zoom F: out by N as 1/N, in by N as N, or 1.
static void take_zoom(const char *value)
{
    static const struct { const char *text; int out, in; } zooms[] = {
        {"1/8", 8, 1}, {"1/6", 6, 1}, {"1/5", 5, 1}, {"1/4", 4, 1}, {"1/3", 3, 1},
        {"1/2", 2, 1}, {"1", 1, 1}, {"2", 1, 2}, {"3", 1, 3}, {"4", 1, 4}};
    for (const auto &zoom : zooms)
        if (strcmp(value, zoom.text) == 0) {
            settings.zoom_out = zoom.out;
            settings.zoom_in = zoom.in;
            settings.zoom_given = 1;
            return;
        }
    die(1, "-zoom %s: the zoom must be one of 1/8, 1/6, 1/5, 1/4, 1/3, 1/2, 1, 2, 3 or 4\n",
        value);
}

// -colorspace and -color_range: ffmpeg's names of a matrix and of a range.
static const struct ColourOption {
    const char *name;
    int (*named)(const char *value);
    int *setting;
    const char *refusal;
} colour_options[] = {
    {"-colorspace", colour_matrix_named, &settings.colorspace_option,
     "the matrix must be bt601, bt709 or bt2020"},
    {"-color_range", colour_range_named, &settings.color_range_option,
     "the range must be tv, pc, limited or full"},
};

int take_option(const char *name, const char *value, const char *program_name)
{
    if (strcmp(name, "-zoom") == 0) {
        if (value == nullptr)
            usage_and_exit(program_name);
        take_zoom(value);
        return 2;
    }
    if (strcmp(name, "-pix_fmt") == 0) {  // the sample format of every sequence
        if (value == nullptr)
            usage_and_exit(program_name);
        settings.pixel_format = find_pixel_format(value);
        if (!settings.pixel_format)
            die(1, "-pix_fmt %s: unknown pixel format; supported: %s\n", value,
                pixel_format_names());
        settings.pix_fmt_given = 1;
        return 2;
    }
    for (const ColourOption &option : colour_options)
        if (strcmp(name, option.name) == 0) {
            if (value == nullptr)
                usage_and_exit(program_name);
            *option.setting = option.named(value);
            if (*option.setting < 0)
                die(1, "%s %s: %s\n", name, value, option.refusal);
            return 2;
        }
    static const char *const label_options[4] = {"", "-label1", "-label2", "-label3"};
    for (int n = 1; n <= 3; n++)
        if (strcmp(name, label_options[n]) == 0) {
            if (value == nullptr)
                usage_and_exit(program_name);
            set_sequence_label(n, value);
            return 2;
        }
    if (strcmp(name, "-crop") == 0) {  // placed in the picture once its size is known
        if (value == nullptr)
            usage_and_exit(program_name);
        if (!read_crop_geometry(value, &settings.cropping))
            die(1, "-crop %s: not a region WxH+X+Y (X geometry: width x height, then the "
                   "offsets of its left and top edges, or with - of its right and bottom)\n",
                value);
        return 2;
    }
    if (strcmp(name, "-shots") == 0) {  // where s saves; checked now, not at the first shot
        struct stat status;
        if (value == nullptr)
            usage_and_exit(program_name);
        if (stat(value, &status) != 0 || !S_ISDIR(status.st_mode))
            die(1, "-shots %s: not a directory\n", value);
        settings.shots_directory = value;
        return 2;
    }
    static const char *const value_options[] = {"-f1", "-f2", "-f3", "-s",   "-e",
                                                "-fps", "-fr2", "-fr3", "-size"};
    for (const char *option : value_options)
        if (strcmp(name, option) == 0 && value == nullptr)
            usage_and_exit(program_name);

    if (strcmp(name, "-f1") == 0)
        take_sequence_option(1, value, program_name);
    else if (strcmp(name, "-f2") == 0)
        take_sequence_option(2, value, program_name);
    else if (strcmp(name, "-f3") == 0)
        take_sequence_option(3, value, program_name);
    else if (strcmp(name, "-s") == 0)
        take_frame_or_time(name, value, &start_value, &playhead.start_frame);
    else if (strcmp(name, "-e") == 0)
        take_frame_or_time(name, value, &end_value, &playhead.end_frame);
    else if (strcmp(name, "-fps") == 0)
        take_frame_rate(value);
    else if (strcmp(name, "-fr2") == 0)
        take_freeze_option(2, value);
    else if (strcmp(name, "-fr3") == 0)
        take_freeze_option(3, value);
    else if (strcmp(name, "-size") == 0) {
        int width, height;
        if (!parse_picture_size(value, &width, &height))
            die(1, "-size %s: width and height must be even numbers from %dx%d up to %dx%d\n",
                value, min_picture_width, min_picture_height, max_picture_width,
                max_picture_height);
        set_picture_size(width, height);
        settings.size_given = 1;
    } else if (strcmp(name, "-CIF") == 0) {
        set_picture_size(352, 288);
        settings.size_given = 1;
        return 1;
    } else if (strcmp(name, "-l") == 0) {
        playhead.loop = 1;
        return 1;
    } else if (strcmp(name, "-PSNR") == 0) {
        settings.psnr = 1;
        return 1;
    } else if (strcmp(name, "-nodiff") == 0) {
        settings.nodiff = 1;
        return 1;
    } else if (strcmp(name, "-quiet") == 0) {
        settings.quiet = 1;
        return 1;
    } else if (strcmp(name, "-shm") == 0) {
        settings.shm = 1;
        return 1;
    } else
        return 0;
    return 2;
}

void check_options(const char *program_name)
{
    if (settings.expand < 1)
        usage_and_exit(program_name);
    if (playhead.start_frame < 0)
        die(1, "Start frame (-s) must not be negative: %d\n", playhead.start_frame);
    if (playhead.end_frame < 0)
        die(1, "End frame (-e) must not be negative: %d\n", playhead.end_frame);
    if (settings.fps_given && settings.fps_rate.numerator < settings.fps_rate.denominator) {
        if (whole_rate(settings.fps_rate))
            die(1, "Frame rate (-fps) must be at least 1: %lld\n",
                (long long)(settings.fps_rate.numerator / settings.fps_rate.denominator));
        die(1, "Frame rate (-fps) must be at least 1: %s\n", settings.fps_text);
    }
    // The list is still read (a missing file still ends the run), but holds nothing back.
    for (int n = 2; n <= 3; n++)
        if (sequences[n].fr && settings.expand < n)
            fprintf(stderr, "Warning: -fr%d %s has no sequence to freeze: -f%d was not given\n",
                    n, sequences[n].fr_path, n);
}

void parse_options(int argc, char **argv, extra_option_fn extra)
{
    const char *program_name = argc > 0 && argv[0] ? argv[0] : "trivista";
    start_value = end_value = FrameOrTime{};
    // The cursor i points at the value; the option name is argv[i - 1]. A switch steps
    // back by one so that the next name is the argument right after it.
    for (int i = 2; i <= argc; i += 2) {
        const char *name = argv[i - 1];
        const char *value = i < argc ? argv[i] : nullptr;
        int named = settings.expand;
        int taken = take_option(name, value, program_name);
        if (taken == 0 && extra)
            taken = extra(name, value);
        // A file that cannot be opened ends the run before the next option is looked at.
        if (settings.expand != named)
            open_sequence(settings.expand, sequences[settings.expand].path);
        if (taken == 1)
            i--;
        else if (taken == 0) {
            if (value)
                fprintf(stderr, "Unknown option %s skipped together with %s\n", name, value);
            else
                fprintf(stderr, "Unknown option %s skipped\n", name);
        }
    }
    check_options(program_name);
}
