// The report measures every frame exactly as the viewer does: the same difference call on
// the same buffers, the same freezing, the same frame range. Each case runs the report's
// own code in a child process (its state is process-wide) beside an independent model of
// the viewer's pass, and compares the doubles exactly.
#include <cstdio>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "difference.h"
#include "makeseq.h"
#include "options.h"
#include "report.h"
#include "report_sequences.h"
#include "settings.h"
#include "startup.h"
#include "test_files.h"

namespace {

struct Scenario {
    int width, height;
    std::vector<std::string> sequence_paths;  // 2 or 3
    std::set<int> freeze2, freeze3;
    std::vector<std::string> extra_args;       // -s, -e, size options
    int expected_start, expected_end;
};

// What the viewer holds in a sequence's picture: black before the first read, then the
// next picture of its file unless the frame is frozen or the file has run out.
struct ModelSequence {
    std::vector<Frame> frames;
    size_t position = 0;
    Frame picture;
};

std::string compare_with_model(const Scenario &s)
{
    std::ostringstream failures;
    std::vector<std::string> args = {"trivista-report"};
    const char *file_options[] = {"-f1", "-f2", "-f3"};
    for (size_t n = 0; n < s.sequence_paths.size(); n++) {
        args.push_back(file_options[n]);
        args.push_back(s.sequence_paths[n]);
    }
    args.insert(args.end(), s.extra_args.begin(), s.extra_args.end());
    std::vector<char *> argv;
    for (auto &arg : args)
        argv.push_back(&arg[0]);
    argv.push_back(nullptr);

    parse_options((int)args.size(), argv.data(), report_option);
    compute_geometry();
    compute_frame_range();
    allocate_buffers();
    allocate_measure_buffers();
    load_freeze_tables();
    if (start_frame != s.expected_start || end_frame != s.expected_end)
        failures << "range " << start_frame << ".." << end_frame << "\n";

    int luma = s.width * s.height, chroma = luma / 4;
    std::vector<ModelSequence> model(s.sequence_paths.size());
    for (size_t n = 0; n < model.size(); n++) {
        model[n].frames = read_sequence(s.sequence_paths[n], s.width, s.height);
        model[n].position = (size_t)s.expected_start;
        model[n].picture.assign((size_t)luma, 0);
        model[n].picture.resize((size_t)luma + 2 * chroma, 128);
    }
    std::vector<uint8_t> scratch((size_t)luma);
    FILE *sink = fopen("/dev/null", "w");
    start_report(sink);
    double total[4] = {0, 0, 0, 0};
    int frames_seen = 0;
    while (report_frame(sink)) {
        int f = frame - 1;
        frames_seen++;
        bool held[3] = {false, s.freeze2.count(f) > 0, s.freeze3.count(f) > 0};
        for (size_t n = 0; n < model.size(); n++) {
            ModelSequence &m = model[n];
            if (held[n])
                continue;
            if (m.position < m.frames.size())
                m.picture = m.frames[m.position];
            m.position++;
        }
        if (frozen2 != (int)held[1] || (model.size() > 2 && frozen3 != (int)held[2]))
            failures << "frame " << f << ": frozen flags " << frozen2 << frozen3 << "\n";

        const int pairs[4][2] = {{0, 0}, {0, 1}, {1, 2}, {0, 2}};
        const YuvFrame *held_picture[3] = {&picture1, &picture2, &picture3};
        for (int pair = 1; pair <= pair_count; pair++) {
            const Frame &a = model[pairs[pair][0]].picture, &b = model[pairs[pair][1]].picture;
            double viewer = cap_psnr(difference(a.data(), b.data(), scratch.data(), luma));
            double on_buffers = cap_psnr(difference(held_picture[pairs[pair][0]]->y,
                                                    held_picture[pairs[pair][1]]->y,
                                                    scratch.data(), luma));
            const PairFrame &measured = pair_frame[pair];
            if (measured.psnr_y != viewer || measured.psnr_y != on_buffers)
                failures << "frame " << f << " pair " << pair << ": luma " << measured.psnr_y
                         << " viewer " << viewer << " on the same buffers " << on_buffers
                         << "\n";
            double u = textbook_psnr(a.data() + luma, b.data() + luma, chroma);
            double v = textbook_psnr(a.data() + luma + chroma, b.data() + luma + chroma, chroma);
            if (std::abs(measured.psnr_u - u) > 1e-9 || std::abs(measured.psnr_v - v) > 1e-9)
                failures << "frame " << f << " pair " << pair << ": chroma " << measured.psnr_u
                         << "/" << measured.psnr_v << " expected " << u << "/" << v << "\n";
            total[pair] += viewer;
            // The viewer's mean: its running total over n = frame - start_frame + 1.
            double viewer_mean = total[pair] / (f - start_frame + 1);
            if (series_mean(&pair_summary[pair].y) != viewer_mean)
                failures << "frame " << f << " pair " << pair << ": mean "
                         << series_mean(&pair_summary[pair].y) << " viewer " << viewer_mean
                         << "\n";
        }
    }
    if (frames_seen != s.expected_end - s.expected_start + 1)
        failures << "frames measured: " << frames_seen << "\n";
    return failures.str();
}

std::vector<std::string> lines_of_file(const std::string &path)
{
    std::vector<std::string> lines;
    std::istringstream in(read_text_file(path));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

void run_scenario(const Scenario &s)
{
    std::string failures = compare_with_model(s);
    fprintf(stderr, "%s", failures.c_str());
    fflush(stderr);
    _exit(failures.empty() ? 0 : 1);
}

// The same comparison with the measurement on one thread and on two.
void expect_viewer_figures(Scenario s)
{
    EXPECT_EXIT(run_scenario(s), testing::ExitedWithCode(0), "") << "one thread";
    s.extra_args.push_back("-threads");
    s.extra_args.push_back("2");
    EXPECT_EXIT(run_scenario(s), testing::ExitedWithCode(0), "") << "two threads";
}

std::string freeze_file(const TempDir &dir, const std::string &name, const std::set<int> &marks)
{
    std::string text;
    for (int mark : marks)
        text += std::to_string(mark) + "\n";
    write_text_file(dir.file(name), text);
    return dir.file(name);
}

// Original, an encoded copy with one frame dropped from its file, and a transmitted copy
// of the encoded with three frames dropped, each with the freeze list that realigns it.
struct Trio {
    std::vector<std::string> paths;
    std::set<int> freeze2 = {7}, freeze3 = {3, 12, 13};
};

Trio make_trio(const TempDir &dir, int width, int height, int frames)
{
    std::vector<Frame> original, encoded, transmitted;
    Trio trio;
    for (int f = 0; f < frames; f++) {
        original.push_back(structured_frame(width, height, f, 1));
        Frame coded = degraded_frame(original.back(), width, height, 3, true, 100 + f);
        if (!trio.freeze2.count(f))
            encoded.push_back(coded);
        if (!trio.freeze3.count(f))
            transmitted.push_back(f % 5 == 0 ? coded
                                             : degraded_frame(coded, width, height, 2, false, f));
    }
    write_sequence(dir.file("original.yuv"), original);
    write_sequence(dir.file("encoded.yuv"), encoded);
    write_sequence(dir.file("transmitted.yuv"), transmitted);
    trio.paths = {dir.file("original.yuv"), dir.file("encoded.yuv"), dir.file("transmitted.yuv")};
    return trio;
}

TEST(ReportEqualsViewer, ThreeSequencesWithFreezeListsMeasureTheViewersLumaPsnrExactly)
{
    TempDir dir;
    Trio trio = make_trio(dir, 176, 144, 24);
    Scenario s{176, 144, trio.paths, trio.freeze2, trio.freeze3,
               {"-fr2", freeze_file(dir, "enc.freeze", trio.freeze2), "-fr3",
                freeze_file(dir, "tra.freeze", trio.freeze3)},
               0, 23};
    expect_viewer_figures(s);
}

TEST(ReportEqualsViewer, AStartFrameRepositionsEveryFileAndIgnoresEarlierMarks)
{
    TempDir dir;
    Trio trio = make_trio(dir, 176, 144, 20);
    // Marks before the start frame hold nothing; a mark on the start frame compares the
    // black picture nothing has been read into yet.
    std::set<int> freeze2 = {2, 6, 9}, freeze3 = {1, 15};
    Scenario s{176, 144, trio.paths, freeze2, freeze3,
               {"-fr2", freeze_file(dir, "enc.freeze", freeze2), "-fr3",
                freeze_file(dir, "tra.freeze", freeze3), "-s", "6", "-e", "17"},
               6, 17};
    expect_viewer_figures(s);
}

TEST(ReportEqualsViewer, AShorterSecondFileComparesItsLastPicture)
{
    TempDir dir;
    std::vector<Frame> first, second;
    for (int f = 0; f < 12; f++) {
        first.push_back(structured_frame(48, 32, f, 9));
        if (f < 8)
            second.push_back(degraded_frame(first.back(), 48, 32, 5, false, f));
    }
    write_sequence(dir.file("a.yuv"), first);
    write_sequence(dir.file("b.yuv"), second);
    Scenario s{48, 32, {dir.file("a.yuv"), dir.file("b.yuv")}, {}, {}, {"-size", "48x32"}, 0, 11};
    expect_viewer_figures(s);
}

TEST(ReportEqualsViewer, CifPairWithTheFirstFrameFrozen)
{
    TempDir dir;
    std::vector<Frame> first, second;
    for (int f = 0; f < 6; f++) {
        first.push_back(structured_frame(352, 288, f, 4));
        second.push_back(degraded_frame(first.back(), 352, 288, 1, true, f));
    }
    write_sequence(dir.file("a.yuv"), first, 5000);
    write_sequence(dir.file("b.yuv"), second);
    std::set<int> freeze2 = {0, 3};
    Scenario s{352, 288, {dir.file("a.yuv"), dir.file("b.yuv")}, freeze2, {},
               {"-CIF", "-fr2", freeze_file(dir, "f", freeze2)}, 0, 5};
    expect_viewer_figures(s);
}

// The demo trio of the project's own generator, Transmitted realigned by its freeze list.
TEST(ReportEqualsViewer, DemoTrioWithItsFreezeListMeasuresTheViewersLumaPsnrExactly)
{
    TempDir dir;
    write_demo_sequences(dir.path().c_str(), 176, 144, 40, 1, 1);
    std::set<int> freeze3;
    for (const std::string &line : lines_of_file(dir.file("transmitted.freeze")))
        if (!line.empty())
            freeze3.insert(std::stoi(line));
    ASSERT_FALSE(freeze3.empty()) << "the demo drops frames from the transmission";
    Scenario s{176, 144,
               {dir.file("original.yuv"), dir.file("encoded.yuv"), dir.file("transmitted.yuv")},
               {}, freeze3, {"-fr3", dir.file("transmitted.freeze")}, 0, 39};
    expect_viewer_figures(s);
}

}  // namespace
