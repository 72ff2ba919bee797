// libFuzzer target: the command line and the start-up steps that follow it, up to the
// display. The input is an argument vector, arguments separated by NUL bytes. File
// names are looked up in a private directory of small sequence and freeze files.
// Built a second time with FUZZ_REPORT_OPTIONS: the report tool's loop, whose own
// options come in through the loop's hook.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "exit_trap.h"
#include "fuzz_check.h"
#ifdef FUZZ_REPORT_OPTIONS
#include <cmath>

#include "report/report.h"
#include "report/report_plot.h"
#endif
#include "playback/pacing.h"
#include "playback/startup.h"
#include "sandbox.h"
#include "startup_state.h"
#include "common/numbers.h"
#include "common/pixel_format.h"
#include "common/region.h"
#include "common/settings.h"
#include "source/freeze.h"
#include "source/geometry.h"
#include "source/options.h"
#include "source/picture_size.h"
#include "source/sequence.h"

const size_t max_arguments = 64;

struct CommandLine {
    int argc;
    char **argv;
};

static void start_up(void *context)
{
    CommandLine *line = (CommandLine *)context;
#ifdef FUZZ_REPORT_OPTIONS
    parse_options(line->argc, line->argv, report_option);
    fuzz_check(!report_options.min_psnr_given || std::isfinite(report_options.min_psnr),
               "-min-psnr %f", report_options.min_psnr);
    fuzz_check(report_options.threads == 0 || report_options.threads == 1, "threads %d",
               report_options.threads);
    // -plot only names its file here; the file is opened after start-up, which the target
    // never reaches, so no input creates a file.
    fuzz_check(!report_options.plot_path || plot_format_of(report_options.plot_path) >= 0,
               "-plot %s", report_options.plot_path);
#else
    parse_options(line->argc, line->argv);
#endif

    fuzz_check(settings.expand >= 1 && settings.expand <= 3, "expand %d", settings.expand);
    for (int n = 1; n <= settings.expand; n++)
        fuzz_check(sequences[n].source.file != nullptr, "sequence %d has no stream", n);
    fuzz_check(playhead.start_frame >= 0 && playhead.end_frame >= 0, "range %d..%d", playhead.start_frame, playhead.end_frame);
    fuzz_check(!settings.fps_given || (settings.fps_rate.numerator >= settings.fps_rate.denominator && settings.fps_rate.denominator > 0),
               "-fps %lld/%lld", (long long)settings.fps_rate.numerator, (long long)settings.fps_rate.denominator);

    compute_geometry();
    fuzz_check(picture_size_allowed(settings.horizontal_size, settings.vertical_size), "size %dx%d",
               settings.horizontal_size, settings.vertical_size);
    fuzz_check(settings.frame_size == frame_bytes(settings.pixel_format, settings.horizontal_size, settings.vertical_size),
               "frame size %lld of %s", (long long)settings.frame_size, settings.pixel_format->name);
    fuzz_check(settings.expand > 1 || settings.psnr == 0, "PSNR with one sequence");
    const PictureRegion &region = settings.cropping.region;
    fuzz_check(region.x >= 0 && region.y >= 0 && region.width >= min_picture_width &&
                   region.height >= min_picture_height && region.x + region.width <= settings.horizontal_size &&
                   region.y + region.height <= settings.vertical_size && (settings.cropping.text || region.width == settings.horizontal_size),
               "region %dx%d+%d+%d of %dx%d", region.width, region.height, region.x, region.y,
               settings.horizontal_size, settings.vertical_size);

    compute_frame_range();
    int64_t frames = whole_frames(1);
    fuzz_check(frames >= 1, "no whole frame yet a frame range");
    fuzz_check(playhead.end_frame <= frames - 1 && playhead.start_frame <= frames - 1, "range %d..%d of %lld",
               playhead.start_frame, playhead.end_frame, (long long)frames);

    load_freeze_tables();
    for (int n = 2; n <= 3; n++) {
        const FreezeTable *table = &sequences[n].fr_table;
        fuzz_check(sequences[n].fr_count >= 0 && table->size <= sequences[n].fr_count,
                   "sequence %d: %d entries, table of %d", n, sequences[n].fr_count, table->size);
        for (int i = 0; i < table->size; i++)
            fuzz_check(table->frames[i] > (i ? table->frames[i - 1] : -1) &&
                           table->frames[i] <= playhead.end_frame, "freeze table out of order or range");
    }
    set_frame_period();
    fuzz_check(settings.frame_period >= 0 && playhead.frame == playhead.start_frame && settings.fps >= 1, "period %d fps %d", settings.frame_period, settings.fps);
    long period = next_frame_period();
    fuzz_check(period == settings.frame_period || period == (long)settings.frame_period + 1, "next period %ld", period);
}

// Every argument read as -s and as -fps would read it: a number in range, a time at or
// after 0 that falls on a frame at any rate.
static void check_number_readings(const std::string &argument)
{
    FrameOrTime value;
    if (read_frame_or_time(argument.c_str(), &value) == reading_number && value.is_time)
        for (Fraction rate : {Fraction{1, INT_MAX}, Fraction{30000, 1001}, Fraction{(int64_t)INT_MAX * 1000000000, 1}})
            fuzz_check(value.seconds.numerator >= 0 && value.seconds.denominator > 0 &&
                           frame_at_time(value.seconds, rate) >= 0, "time %s", argument.c_str());
    Fraction rate;
    NumberReading reading = read_frame_rate(argument.c_str(), &rate);
    fuzz_check(rate.denominator > 0 && rate.denominator <= INT_MAX &&
                   (reading == reading_number || (rate.numerator == 0 && rate.denominator == 1)),
               "rate %s", argument.c_str());
}

// Open file descriptors of this process: more after a run when the run leaked one.
static int open_descriptors()
{
    DIR *listing = opendir("/proc/self/fd");
    int count = 0;
    while (listing && readdir(listing))
        count++;
    if (listing)
        closedir(listing);
    return count;
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    enter_sandbox();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<std::string> arguments;
    for (size_t start = 0; start < size && arguments.size() < max_arguments;) {
        const uint8_t *nul = (const uint8_t *)memchr(data + start, '\0', size - start);
        size_t end = nul ? (size_t)(nul - data) : size;
        arguments.emplace_back((const char *)data + start, end - start);
        start = end + 1;
    }
    // Only names inside the private directory: no path after an option that opens a file,
    // so nothing outside is opened (other values, such as -fps 30000/1001, may have one).
    static const char *const file_options[] = {"-f1", "-f2", "-f3", "-fr2", "-fr3"};
    for (size_t k = 1; k < arguments.size(); k++)
        for (const char *option : file_options)
            if (arguments[k - 1] == option && arguments[k].find('/') != std::string::npos)
                return 0;
    for (const std::string &argument : arguments)
        check_number_readings(argument);
    // As main does: fewer than two arguments get the usage text before the loop.
    if (arguments.size() < 2)
        return 0;

    static char program[] = "trivista";
    char *argv[max_arguments + 2] = {program};
    int argc = 1;
    for (std::string &argument : arguments)
        argv[argc++] = &argument[0];
    argv[argc] = nullptr;
    CommandLine line = {argc, argv};

    int descriptors = open_descriptors();
    reset_startup_state();
#ifdef FUZZ_REPORT_OPTIONS
    report_options = ReportOptions{};  // its -plot pointed into the last input's arguments
#endif
    int status = 0;
    if (call_catching_exit(start_up, &line, &status))
        // The documented refusals: usage (1), an unopenable sequence (3), an unopenable
        // freeze file (-1); checks after the loop also use 1.
        fuzz_check(status == 1 || status == 3 || status == -1, "exit status %d", status);
    release_startup_state();
    fuzz_check(open_descriptors() == descriptors, "a file descriptor was left open");
    return 0;
}
