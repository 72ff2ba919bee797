// The whole program on a private X server: what the panes show frame by frame, with
// freezing, looping and short files, and how a run ends.
//
// Most runs loop (-l): the watcher, however slow the machine, sees every picture of
// interest in some pass, and every picture it sees must be one the run may show. The
// run is ended once everything required has been seen.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "expected_pictures.h"
#include "harness.h"
#include "pane_watch.h"

static const char banner[] = "\nkestrin Trivista\nhttps://trivista.example/\n\n";
static const char title[] = "kestrin Trivista";

// One run of trivista on its own server with its own test sequences.
struct PlaybackRun {
    int width, height;
    XvfbServer server;
    TempDir dir;
    XConnection x;
    uint32_t colour_bits;

    PlaybackRun(int depth, int w, int h, const std::vector<std::string> &server_args = {})
        : width(w), height(h), server(depth, server_args), x(server.name())
    {
        prepare_tables(x.get(), w, h);
        colour_bits = default_colour_bits(x.get());
    }

    std::string sequence(int number, int frames, int extra_bytes = 0)
    {
        return write_test_sequence(dir.path(), "seq" + std::to_string(number) + ".yuv", width,
                                   height, number, frames, extra_bytes);
    }

    std::string freeze_file(const std::string &name, const std::string &lines)
    {
        write_text_file(dir.file(name), lines);
        return dir.file(name);
    }

    // Colour pictures of sequence `number`, frames 0..frames-1: label = file frame.
    WatchedPane sequence_pane(int pane, int number, int frames)
    {
        std::vector<Capture> pictures;
        for (int f = 0; f < frames; ++f)
            pictures.push_back(expected_picture(number, f, width, height, colour_bits));
        return watched_pane(pane, width, height, pictures);
    }

    // Differences of sequence a's frame i and sequence b's frame j: label = i * frames + j.
    WatchedPane difference_pane(int pane, int a, int b, int frames)
    {
        std::vector<Capture> pictures;
        for (int i = 0; i < frames; ++i)
            for (int j = 0; j < frames; ++j)
                pictures.push_back(expected_difference(a, i, b, j, width, height, colour_bits));
        return watched_pane(pane, width, height, pictures);
    }

    // Watches the window of `child` until `done` holds or the window goes away.
    void watch(ChildProcess &child, std::vector<WatchedPane> &panes, int window_width,
               int window_height, const std::function<bool()> &done = [] { return false; },
               double timeout_s = 60)
    {
        WindowGeometry found = wait_for_window(x.get(), title, 10);
        ASSERT_NE(found.id, 0u) << child.stderr_text();
        wait_until([&] {
            return !observe_panes(x.get(), found.id, window_width, window_height, panes,
                                  colour_bits) ||
                   done();
        }, timeout_s, 15);
    }
};


static int pair_label(int i, int j, int frames)
{
    return i * frames + j;
}

static std::set<int> pair_labels(const std::vector<std::pair<int, int>> &pairs, int frames)
{
    std::set<int> result;
    for (auto p : pairs)
        result.insert(pair_label(p.first, p.second, frames));
    return result;
}

static std::set<int> frame_labels(int first, int last)
{
    std::set<int> result;
    for (int f = first; f <= last; ++f)
        result.insert(f);
    return result;
}

// What each watched pane (by index) must show at some time and may show at all.
struct PaneRule {
    std::set<int> required;
    std::set<int> allowed;
};

static bool all_required_seen(const std::vector<WatchedPane> &panes, const std::vector<PaneRule> &rules)
{
    for (size_t p = 0; p < panes.size(); ++p)
        for (int label : rules[p].required)
            if (!was_shown(panes[p], label))
                return false;
    return true;
}

static void expect_panes_follow(const std::vector<WatchedPane> &panes, const std::vector<PaneRule> &rules)
{
    for (size_t p = 0; p < panes.size(); ++p) {
        const WatchedPane &pane = panes[p];
        EXPECT_EQ(pane.unknown, 0) << pane.first_unknown;
        for (int label : rules[p].required)
            EXPECT_TRUE(was_shown(pane, label)) << "pane " << pane.number << " never showed " << label;
        for (int label : pane.shown)
            EXPECT_TRUE(rules[p].allowed.count(label)) << "pane " << pane.number << " showed " << label;
    }
}

// Runs trivista with -l until every pane has shown what its rule requires, then ends
// it. Returns the child's standard output; `err` receives its standard error.
static std::string loop_until_seen(PlaybackRun &run, std::vector<std::string> args,
                                   std::vector<WatchedPane> &panes, const std::vector<PaneRule> &rules,
                                   int window_width, int window_height, std::string *err = nullptr,
                                   const std::string &host = "")
{
    args.insert(args.begin(), "-l");
    ChildProcess child(trivista_path(), args, host + run.server.name(), run.dir.path(), "trivista");
    run.watch(child, panes, window_width, window_height, [&] { return all_required_seen(panes, rules); });
    EXPECT_TRUE(child.running()) << "a looping run ended by itself: " << child.stderr_text();
    child.kill_now(SIGTERM);
    EXPECT_TRUE(child.wait(5));
    expect_panes_follow(panes, rules);
    if (err)
        *err = child.stderr_text();
    return child.stdout_text();
}

static size_t count_of(const std::string &text, const std::string &part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// Five frames of three sequences: every pane shows each of its pictures, pixel for
// pixel, and nothing else. Returns what the program wrote on standard error.
static std::string play_three_sequences_and_check_every_pane(
    int depth, int width, int height, const std::vector<std::string> &options,
    const std::vector<std::string> &server_args = {}, const std::string &host = "")
{
    const int frames = 5;
    PlaybackRun run(depth, width, height, server_args);
    std::vector<std::string> args = options;
    for (std::string a : {"-quiet", "-fps", "5"})
        args.push_back(a);
    for (int n = 1; n <= 3; ++n) {
        args.push_back("-f" + std::to_string(n));
        args.push_back(run.sequence(n, frames));
    }
    std::vector<WatchedPane> panes = {
        run.sequence_pane(1, 1, frames),      run.sequence_pane(2, 2, frames),
        run.sequence_pane(3, 3, frames),      run.difference_pane(4, 1, 2, frames),
        run.difference_pane(5, 2, 3, frames), run.difference_pane(6, 1, 3, frames)};
    PaneRule sequence_rule = {frame_labels(0, frames - 1), frame_labels(0, frames - 1)};
    std::set<int> same_frames;
    for (int f = 0; f < frames; ++f)
        same_frames.insert(pair_label(f, f, frames));
    PaneRule difference_rule = {same_frames, same_frames};
    std::vector<PaneRule> rules = {sequence_rule,   sequence_rule,   sequence_rule,
                                   difference_rule, difference_rule, difference_rule};
    std::string err;
    std::string out = loop_until_seen(run, args, panes, rules, 3 * width, 2 * height + 50, &err, host);
    EXPECT_EQ(out, banner);
    return err;
}

TEST(Playback, ShowsEveryFrameOfThreeQcifSequencesPixelExactOnDepth24)
{
    EXPECT_EQ(play_three_sequences_and_check_every_pane(24, 176, 144, {}), "");
}

TEST(Playback, ShowsEveryFrameOfThreeQcifSequencesPixelExactOnDepth16)
{
    EXPECT_EQ(play_three_sequences_and_check_every_pane(16, 176, 144, {}), "");
}

TEST(Playback, ShowsEveryFrameOfThreeCifSequencesPixelExactOnDepth24)
{
    EXPECT_EQ(play_three_sequences_and_check_every_pane(24, 352, 288, {"-CIF"}), "");
}

TEST(SharedMemory, PanesThroughSharedMemoryArePixelIdentical)
{
    EXPECT_EQ(play_three_sequences_and_check_every_pane(24, 352, 288, {"-CIF", "-shm"}), "");
    EXPECT_EQ(play_three_sequences_and_check_every_pane(16, 176, 144, {"-shm"}), "");
}

static int lines_of(const std::string &text)
{
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

TEST(SharedMemory, AServerWithoutTheExtensionGetsTheOrdinaryTransferAndOneLineSayingSo)
{
    std::string err = play_three_sequences_and_check_every_pane(24, 176, 144, {"-shm"},
                                                                {"-extension", "MIT-SHM"});
    EXPECT_EQ(lines_of(err), 1) << err;
    EXPECT_EQ(err.rfind("-shm: ", 0), 0u) << err;
}

TEST(SharedMemory, ANetworkConnectionGetsTheOrdinaryTransferAndOneLineSayingSo)
{
    std::string err = play_three_sequences_and_check_every_pane(24, 176, 144, {"-shm"},
                                                                {"-listen", "tcp"}, "localhost");
    EXPECT_EQ(lines_of(err), 1) << err;
    EXPECT_EQ(err.rfind("-shm: ", 0), 0u) << err;
}

TEST(Freezing, HeldSecondSequenceShowsItsPreviousPictureAndDeliversTheNextOneFrameLater)
{
    const int frames = 6;
    PlaybackRun run(24, 176, 144);
    std::string marks = run.freeze_file("fr2.txt", "3\n");
    std::vector<WatchedPane> panes = {run.sequence_pane(2, 2, frames),
                                      run.difference_pane(4, 1, 2, frames),
                                      run.difference_pane(5, 2, 3, frames)};
    // Sequence 2 holds its frame 2 over frames 2 and 3, then runs one frame behind:
    // Org<->Enc compares frame 3 with its frame 2, frame 4 with its frame 3.
    std::vector<std::pair<int, int>> org_enc = {{0, 0}, {1, 1}, {2, 2}, {3, 2}, {4, 3}, {5, 4}};
    std::vector<std::pair<int, int>> enc_tra = {{0, 0}, {1, 1}, {2, 2}, {2, 3}, {3, 4}, {4, 5}};
    std::vector<PaneRule> rules = {
        {frame_labels(0, 4), frame_labels(0, 4)},
        {pair_labels({{3, 2}, {4, 3}}, frames), pair_labels(org_enc, frames)},
        {pair_labels({{2, 3}, {3, 4}}, frames), pair_labels(enc_tra, frames)}};
    std::string out = loop_until_seen(
        run, {"-quiet", "-fps", "5", "-fr2", marks, "-f1", run.sequence(1, frames), "-f2",
              run.sequence(2, frames), "-f3", run.sequence(3, frames)},
        panes, rules, 528, 338);
    size_t notes = count_of(out, "froze: 3\n");
    EXPECT_GE(notes, 1u);
    EXPECT_EQ(out, std::string(banner) + [&] {
        std::string all;
        for (size_t n = 0; n < notes; ++n)
            all += "froze: 3\n";
        return all;
    }());
}

TEST(Freezing, HeldThirdSequenceLagsTheSameWayAndPrintsNothing)
{
    const int frames = 6;
    PlaybackRun run(16, 176, 144);
    std::string marks = run.freeze_file("fr3.txt", "3\n");
    std::vector<WatchedPane> panes = {run.sequence_pane(3, 3, frames),
                                      run.difference_pane(5, 2, 3, frames),
                                      run.difference_pane(6, 1, 3, frames)};
    std::vector<std::pair<int, int>> lagging = {{0, 0}, {1, 1}, {2, 2}, {3, 2}, {4, 3}, {5, 4}};
    PaneRule lag_rule = {pair_labels({{3, 2}, {4, 3}}, frames), pair_labels(lagging, frames)};
    std::vector<PaneRule> rules = {{frame_labels(0, 4), frame_labels(0, 4)}, lag_rule, lag_rule};
    std::string out = loop_until_seen(
        run, {"-quiet", "-fps", "5", "-fr3", marks, "-f1", run.sequence(1, frames), "-f2",
              run.sequence(2, frames), "-f3", run.sequence(3, frames)},
        panes, rules, 528, 338);
    EXPECT_EQ(out, banner);
}

TEST(Freezing, MarksBelowTheStartFrameHoldNothing)
{
    const int frames = 6;
    PlaybackRun run(24, 176, 144);
    std::string marks = run.freeze_file("fr2.txt", "1\n2\n");
    std::vector<WatchedPane> panes = {run.difference_pane(4, 1, 2, frames)};
    std::set<int> in_step = pair_labels({{3, 3}, {4, 4}, {5, 5}}, frames);
    std::vector<PaneRule> rules = {{in_step, in_step}};
    std::string out = loop_until_seen(
        run, {"-quiet", "-fps", "5", "-s", "3", "-fr2", marks, "-f1", run.sequence(1, frames),
              "-f2", run.sequence(2, frames)},
        panes, rules, 352, 338);
    EXPECT_EQ(out, banner);
}

TEST(Looping, PassesRepeatWithFilesRepositionedAndNotesFlushedUntilKilled)
{
    const int frames = 4;
    PlaybackRun run(24, 176, 144);
    std::string marks = run.freeze_file("fr2.txt", "1\n");
    std::vector<WatchedPane> panes = {run.sequence_pane(1, 1, frames),
                                      run.difference_pane(4, 1, 2, frames)};
    ChildProcess child(trivista_path(),
                       {"-quiet", "-l", "-fps", "5", "-fr2", marks, "-f1", run.sequence(1, frames),
                        "-f2", run.sequence(2, frames)},
                       run.server.name(), run.dir.path(), "trivista");
    // Pane 1 back at frame 0 three times: three passes after the first.
    auto passes_seen = [&] {
        return std::count(panes[0].shown.begin(), panes[0].shown.end(), 0) >= 4;
    };
    run.watch(child, panes, 352, 338, passes_seen);
    EXPECT_TRUE(passes_seen()) << "pane 1 showed " << panes[0].shown.size() << " pictures";
    EXPECT_TRUE(child.running());
    // Each pass notes its frozen frame at once, though standard output is a file.
    std::string out = child.stdout_text();
    EXPECT_EQ(out.compare(0, strlen(banner), banner), 0);
    size_t notes = count_of(out, "froze: 1\n");
    EXPECT_GE(notes, 3u);
    EXPECT_EQ(out.size(), strlen(banner) + notes * strlen("froze: 1\n"));
    // Every pass starts sequence 2 at frame 0 again: a file left where the previous
    // pass ended would pair frame 0 with a later picture.
    std::vector<std::pair<int, int>> each_pass = {{0, 0}, {1, 0}, {2, 1}, {3, 2}};
    expect_panes_follow(panes, {{frame_labels(0, 3), frame_labels(0, 3)},
                                {{}, pair_labels(each_pass, frames)}});
    child.kill_now(SIGTERM);
    ASSERT_TRUE(child.wait(5));
    EXPECT_EQ(child.term_signal(), SIGTERM);
}

TEST(Ending, WithoutLoopingTheProgramEndsWithStatusZeroAfterTheLastFrame)
{
    PlaybackRun run(24, 176, 144);
    ChildProcess child(trivista_path(), {"-quiet", "-fps", "50", "-f1", run.sequence(1, 10)},
                       run.server.name(), run.dir.path(), "trivista");
    // Ten frames at 50 per second: well under the limit even on a loaded machine.
    ASSERT_TRUE(child.wait(20));
    EXPECT_TRUE(child.exited_normally());
    EXPECT_EQ(child.exit_status(), 0);
    EXPECT_EQ(child.stdout_text(), banner);
    EXPECT_EQ(child.stderr_text(), "");
}

TEST(Ending, AShorterSecondFileKeepsShowingItsLastPicture)
{
    PlaybackRun run(16, 176, 144);
    const int frames = 6;
    std::vector<WatchedPane> panes = {run.sequence_pane(2, 2, frames),
                                      run.difference_pane(4, 1, 2, frames)};
    std::vector<std::pair<int, int>> pairs = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 3}, {5, 3}};
    std::vector<PaneRule> rules = {{frame_labels(0, 3), frame_labels(0, 3)},
                                   {pair_labels({{4, 3}, {5, 3}}, frames), pair_labels(pairs, frames)}};
    std::string err;
    std::string out = loop_until_seen(run, {"-quiet", "-fps", "5", "-f1", run.sequence(1, frames),
                                            "-f2", run.sequence(2, frames - 2)},
                                      panes, rules, 352, 338, &err);
    EXPECT_EQ(out, banner);
    EXPECT_EQ(err, "");
}

TEST(Ending, LosingTheXServerMidRunEndsTheProcessPromptlyWithAMessage)
{
    XvfbServer server(24);
    TempDir dir;
    std::string first = write_test_sequence(dir.path(), "seq1.yuv", 176, 144, 1, 3);
    ChildProcess child(trivista_path(), {"-quiet", "-l", "-fps", "25", "-f1", first},
                       server.name(), dir.path(), "trivista");
    {
        XConnection x(server.name());
        ASSERT_NE(wait_for_window(x.get(), title, 10).id, 0u);
    }  // our own connection goes before the server does
    ASSERT_TRUE(child.running());
    server.stop();
    ASSERT_TRUE(child.wait(5)) << "still running 5 s after its X server ended";
    EXPECT_TRUE(child.exited_normally()) << "killed by signal " << child.term_signal();
    EXPECT_NE(child.exit_status(), 0);
    EXPECT_NE(child.stderr_text(), "");
}
