// trivista-align: finds the reference frames a received sequence lacks and prints them as a
// freeze list, so that -fr3 (or -fr2) puts every received frame at its own frame.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "alignment.h"
#include "help_text.h"
#include "signature.h"
#include "common/die.h"
#include "common/help_request.h"
#include "common/pixel_format.h"
#include "common/region.h"
#include "common/settings.h"
#include "common/standard_descriptors.h"
#include "quality/difference.h"
#include "quality/quality_kernels.h"
#include "source/geometry.h"
#include "source/options.h"
#include "source/sequence.h"

// Default window of net drops (all drops so far less insertions): 10 s at 25 frames per second.
static const int default_max_drop = 250;
// Net received frames beyond those dropped that may fit nowhere; past it they are not read.
static const int max_insert = 25;
// Costs per signature sample. A match costs its distance but at most match_cap, and a drop
// plus an insertion costs more: a frame at its own place, however damaged, is never shifted.
static const int match_cap = 40;
static const int drop_cost = 8;
static const int insert_cost = 40;
// Matches, the most different reduced pictures first, whose exact luma PSNR is measured
// for the worst match of the summary.
static const int worst_candidates = 32;
// The most memory the signatures and the alignment table may take; more is refused.
static const int64_t max_memory_bytes = (int64_t)2 << 30;
// Received frames either side of a run of drops whose exact luma decides the run's place.
static const int refine_radius = 32;
// Places of a run whose signature costs lie this close to the best (per signature sample)
// are weighed by exact luma.
static const int refine_margin = 40;

static const char summary_matched[] = "matched: %d received frames to reference frames %d-%d";
static const char summary_region[] = ", compared in region %s";
static const char summary_worst[] = "worst match: reference frame %d (received frame %d), %.2f dB\n";
static const char summary_ambiguous[] = "ambiguous drops: %d\n";
static const char summary_nowhere[] = "fits nowhere: received frame %d\n";
static const char summary_beyond[] = "fits nowhere: received frames %d-%d, more than the reference holds\n";

static const char *program_name = "trivista-align";
static int max_drop = default_max_drop;
static int signature_size;                // bytes of one signature
static std::vector<unsigned char> reference_signatures, received_signatures;
static std::vector<unsigned char> luma_planes[3];  // reference, received, their difference
static std::vector<unsigned char> region_planes[2];  // with -crop: the region of the first two
static std::vector<unsigned char> reduced_luma;    // 8-bit luma for the signatures
static int largest_value = 255;                    // of the samples, at their native depth

static void usage_and_exit()
{
    fprintf(stderr,
            "Usage: %s [-CIF | -size WxH] [-pix_fmt NAME] [-crop WxH+X+Y] [-s n] [-e n] [-fps RATE] [-max-drop N] REFERENCE RECEIVED\n"
            "\n"
            "Prints the numbers of the reference frames that RECEIVED lacks, one a line: a\n"
            "freeze list for trivista -fr3. A summary goes to standard error. -max-drop: the\n"
            "most frames missing in all, less insertions, at any point (default %d). -s, -e: a\n"
            "frame or a time (1:30) in REFERENCE's own rate, else -fps (default 25). Status 0;\n"
            "2 when received frames fit nowhere (listed); 1 for bad input.\n",
            program_name, default_max_drop);
    exit(1);
}

static int align_option(const char *name, const char *value)
{
    if (strcmp(name, "-max-drop") != 0)
        return 0;
    char *end = nullptr;
    long n = value ? strtol(value, &end, 10) : -1;
    if (!value || end == value || *end != '\0' || n < 0 || n > 1000000)
        die(1, "-max-drop takes a number of frames from 0 to 1000000\n");
    max_drop = (int)n;
    return 2;
}

// The options first, each known and with its value; then the two files, which must open.
// Only then are the values taken, in order, and the files opened as sequences 1 and 2; the
// checks after them are the viewer's.
static void read_command_line(int argc, char **argv)
{
    static const char *const with_value[] = {"-size",       "-pix_fmt",     "-s",   "-e", "-fps", "-max-drop",
                                             "-colorspace", "-color_range", "-crop"};
    std::vector<char *> options, files;
    for (int k = 1; k < argc; k++) {
        bool valued = false;
        for (const char *option : with_value)
            valued = valued || strcmp(argv[k], option) == 0;
        if (valued && k + 1 >= argc)
            die(1, "%s needs a value\n", argv[k]);
        if (valued) {
            options.push_back(argv[k]);
            options.push_back(argv[++k]);
        } else if (strcmp(argv[k], "-CIF") == 0) {
            options.push_back(argv[k]);
            options.push_back(nullptr);
        } else if (argv[k][0] == '-' && argv[k][1] != '\0')
            die(1, "Unknown option %s\n", argv[k]);
        else
            files.push_back(argv[k]);
    }
    if (files.size() != 2)
        usage_and_exit();
    for (char *file : files) {
        if (!sequence_file_opens(file))
            die(1, "Can't open %s for input!\n", file);
    }
    for (size_t k = 0; k < options.size(); k += 2)
        if (!align_option(options[k], options[k + 1]))
            take_option(options[k], options[k + 1], program_name);
    for (int n = 1; n <= 2; n++) {
        name_sequence(n, files[n - 1]);
        open_sequence(n, files[n - 1]);
    }
    check_options(program_name);
}

static int64_t match_cost(int received, int reference, void *)
{
    int64_t d = signature_distance(&received_signatures[(size_t)received * signature_size],
                                   &reference_signatures[(size_t)reference * signature_size],
                                   signature_size);
    int64_t cap = (int64_t)match_cap * signature_size;
    return d < cap ? d : cap;
}

// The rows of the region of a whole luma plane, packed into region_planes[n - 1]; the
// plane itself without -crop.
static const unsigned char *region_luma(int n, const unsigned char *whole)
{
    if (!settings.cropping.text)
        return whole;
    const PictureRegion &r = settings.cropping.region;
    size_t bytes = (size_t)sample_bytes(settings.pixel_format->bit_depth), row = r.width * bytes;
    size_t whole_row = (size_t)(settings.luma_size / settings.vertical_size);
    for (int y = 0; y < r.height; y++)
        memcpy(&region_planes[n - 1][y * row], whole + (r.y + y) * whole_row + r.x * bytes, row);
    return region_planes[n - 1].data();
}

// The luma of the region of frame `frame` of sequence n (1 or 2), rows without gaps: the
// exact comparisons need no chroma.
static const unsigned char *luma_of(int n, int frame)
{
    static int frame_held[2] = {-1, -1};  // the refinement asks for the same frame in turn
    static const unsigned char *held[2];
    if (frame_held[n - 1] != frame) {
        if (!read_luma_at(n, frame, luma_planes[n - 1].data()))
            die(1, "%s: could not read frame %d\n", sequences[n].path, frame);
        frame_held[n - 1] = frame;
        held[n - 1] = region_luma(n, luma_planes[n - 1].data());
    }
    return held[n - 1];
}

// The signatures compare pictures as shown: wider samples rounded to 8 bits as the viewer does.
static const unsigned char *signature_luma(const unsigned char *luma)
{
    if (settings.pixel_format->bit_depth == 8)
        return luma;
    for (size_t i = 0; i < reduced_luma.size(); i++)
        reduced_luma[i] = rounded_to_8_bits(sample_in_row(luma, (int)i, settings.pixel_format->bit_depth), 0,
                                            settings.pixel_format->bit_depth);
    return reduced_luma.data();
}

static void read_signatures(int n, int frames, std::vector<unsigned char> *out)
{
    out->resize((size_t)frames * signature_size);
    for (int f = 0; f < frames; f++)
        compute_signature(signature_luma(luma_of(n, playhead.start_frame + f)), settings.cropping.region.width, settings.cropping.region.height,
                          &(*out)[(size_t)f * signature_size]);
}

// Exact luma distance of a matched pair, or of a drop's close candidate.
static int64_t exact_cost(int received, int reference, void *)
{
    const unsigned char *first = luma_of(1, playhead.start_frame + reference);
    const unsigned char *second = luma_of(2, playhead.start_frame + received);
    const PictureRegion &r = settings.cropping.region;
    ptrdiff_t stride = (ptrdiff_t)r.width * sample_bytes(settings.pixel_format->bit_depth);
    return (int64_t)kernel_for(quality_kernels.difference, settings.pixel_format->bit_depth)(
        first, stride, second, stride, luma_planes[2].data(), r.width, r.width, r.height,
        largest_value);
}

static void print_drops(const Alignment *alignment, int reference)
{
    fprintf(stderr, "dropped: %d", alignment->drop_count);
    const char *separator = ": ";
    int last;
    for (int first = next_drop_run(alignment, reference, 0, &last); first < reference;
         first = next_drop_run(alignment, reference, last + 1, &last)) {
        fprintf(stderr, first == last ? "%s%d" : "%s%d-%d", separator, playhead.start_frame + first, playhead.start_frame + last);
        separator = ", ";
    }
    fprintf(stderr, "\n");
}

int main(int argc, char **argv)
{
    program_name = argc > 0 && argv[0] ? argv[0] : program_name;
    open_standard_descriptors(program_name);
    if (help_requested(argc, argv))
        return print_help("trivista-align", align_help_text);
    select_quality_kernels();
    read_command_line(argc, argv);
    for (int n = 1; n <= 2; n++)
        if (sequence_streamed(n))
            die(1, "%s: the sequences are read twice; give a file, not a pipe\n",
                sequences[n].path);
    compute_geometry();
    compute_frame_range();
    if (playhead.start_frame > playhead.end_frame)
        die(1, "Start frame (-s) %d lies after the end frame (-e) %d\n", playhead.start_frame, playhead.end_frame);
    int reference = playhead.end_frame - playhead.start_frame + 1;
    int64_t available = whole_frames(2) - playhead.start_frame;
    if (available < 1)
        die(1, "%s holds no whole frame from frame %d on\n", sequences[2].path, playhead.start_frame);
    int received = available > (int64_t)reference + max_insert ? reference + max_insert : (int)available;
    int beyond = (int)(available - received);  // received frames that cannot fit the window
    bool range_cut = playhead.end_frame < whole_frames(1) - 1;

    const PictureRegion &region = settings.cropping.region;
    signature_size = signature_length(region.width, region.height);
    int window = max_drop < reference ? max_drop : reference;
    int wider = window < reference ? window + 1 : window;  // tells whether the bound mattered
    int64_t needed = ((int64_t)reference + received) * signature_size + ((int64_t)received + 1) * (wider + max_insert + 1);
    if (needed > max_memory_bytes)
        die(1, "Aligning %d frames with -max-drop %d needs %lld bytes; more than %lld allowed: use -s/-e or a smaller -max-drop\n",
            reference, window, (long long)needed, (long long)max_memory_bytes);
    for (std::vector<unsigned char> &plane : luma_planes)
        plane.resize((size_t)settings.luma_size);
    for (std::vector<unsigned char> &plane : region_planes)
        plane.resize(settings.cropping.text ? (size_t)settings.luma_size : 0);
    reduced_luma.resize((size_t)region.width * region.height);
    largest_value = (1 << settings.pixel_format->bit_depth) - 1;
    read_signatures(1, reference, &reference_signatures);
    read_signatures(2, received, &received_signatures);

    AlignmentCosts costs = {(int64_t)drop_cost * signature_size, (int64_t)insert_cost * signature_size};
    Alignment alignment;
    if (!align_frames(received, reference, window, max_insert, range_cut, &costs, match_cost, nullptr, &alignment))
        die(1, "Out of memory for the alignment of %d frames\n", received);
    bool bound_mattered = false;
    if (wider > window && alignment.drop_count >= window) {
        Alignment freer;
        if (!align_frames(received, reference, wider, max_insert, range_cut, &costs, match_cost, nullptr, &freer))
            die(1, "Out of memory for the alignment of %d frames\n", received);
        bound_mattered = freer.cost < alignment.cost;
        free_alignment(&freer);
    }
    int ambiguous = refine_drops(&alignment, received, reference, refine_radius, window,
                                 (int64_t)refine_margin * signature_size, match_cost, exact_cost, nullptr);

    for (int j = 0; j < reference; j++)
        if (alignment.dropped[j])
            printf("%d\n", playhead.start_frame + j);
    if (fflush(stdout) != 0 || ferror(stdout))
        die(1, "%s: could not write the freeze list to standard output\n", program_name);

    // The worst match by exact luma PSNR among those whose reduced pictures differ most.
    std::vector<std::pair<int64_t, int>> matches;
    for (int i = 0; i < received; i++)
        if (alignment.reference_of[i] >= 0)
            matches.push_back({-match_cost(i, alignment.reference_of[i], nullptr), i});
    int matched = (int)matches.size(), worst_received = -1, worst_reference = -1, nowhere = alignment.insert_count;
    int candidates = matched < worst_candidates ? matched : worst_candidates;
    std::partial_sort(matches.begin(), matches.begin() + candidates, matches.end());
    double worst = INFINITY;
    for (int k = 0; k < candidates; k++) {
        int i = matches[k].second, j = alignment.reference_of[i];
        double value = psnr_of_sum((uint64_t)exact_cost(i, j, nullptr), (int64_t)region.width * region.height,
                                   largest_value);
        if (worst_received < 0 || value < worst || (value == worst && i < worst_received)) {
            worst = value;
            worst_received = i;
            worst_reference = j;
        }
    }
    fprintf(stderr, summary_matched, matched, playhead.start_frame, playhead.end_frame);
    if (settings.cropping.text) {
        char region_words[48];
        region_text(region, region_words, sizeof region_words);
        fprintf(stderr, summary_region, region_words);
    }
    fprintf(stderr, "\n");
    print_drops(&alignment, reference);
    if (worst_received >= 0)
        fprintf(stderr, summary_worst, playhead.start_frame + worst_reference, playhead.start_frame + worst_received, cap_psnr(worst));
    fprintf(stderr, summary_ambiguous, ambiguous);
    if (bound_mattered)
        fprintf(stderr, "warning: the alignment reached -max-drop %d; a larger one may fit better\n", window);
    for (int i = 0; i < received; i++)
        if (alignment.reference_of[i] == -1)
            fprintf(stderr, summary_nowhere, playhead.start_frame + i);
    if (!range_cut && beyond > 0) {
        fprintf(stderr, summary_beyond, playhead.start_frame + received, playhead.start_frame + received + beyond - 1);
        nowhere += beyond;
    }
    free_alignment(&alignment);
    close_sequences();
    return nowhere > 0 ? 2 : 0;
}
