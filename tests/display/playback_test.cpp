// The whole program on a private X server: what the panes show frame by frame, with
// freezing, looping and short files, and how a run ends.
#include <gtest/gtest.h>

#include <algorithm>
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
               double timeout_s = 30)
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

static std::vector<int> labels(std::initializer_list<int> list)
{
    return std::vector<int>(list);
}

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

static void expect_exact(const WatchedPane &pane)
{
    EXPECT_EQ(pane.unknown, 0) << pane.first_unknown;
    EXPECT_GT(pane.captures, 0) << "pane " << pane.number << " never showed a whole picture";
}

static void expect_only(const WatchedPane &pane, const std::set<int> &allowed)
{
    for (int label : pane.shown)
        EXPECT_TRUE(allowed.count(label)) << "pane " << pane.number << " showed label " << label;
}

static void expect_all_frames_in_order(const WatchedPane &pane, int frames)
{
    std::vector<int> all;
    for (int f = 0; f < frames; ++f)
        all.push_back(f);
    EXPECT_EQ(pane.shown, all) << "pane " << pane.number;
}

// Plays five frames of three sequences and checks that every pane showed each of its
// pictures, pixel for pixel, in order. Returns what the program wrote on stderr.
static std::string play_three_sequences_and_check_every_pane(
    int depth, int width, int height, const std::vector<std::string> &options,
    const std::vector<std::string> &server_args = {}, const std::string &host = "")
{
    const int frames = 5;
    PlaybackRun run(depth, width, height, server_args);
    std::vector<std::string> args = options;
    for (std::string a : {"-quiet", "-fps", "4"})
        args.push_back(a);
    for (int n = 1; n <= 3; ++n) {
        args.push_back("-f" + std::to_string(n));
        args.push_back(run.sequence(n, frames));
    }
    std::vector<WatchedPane> panes = {
        run.sequence_pane(1, 1, frames),      run.sequence_pane(2, 2, frames),
        run.sequence_pane(3, 3, frames),      run.difference_pane(4, 1, 2, frames),
        run.difference_pane(5, 2, 3, frames), run.difference_pane(6, 1, 3, frames)};
    ChildProcess child(trivista_path(), args, host + run.server.name(), run.dir.path(), "trivista");
    run.watch(child, panes, 3 * width, 2 * height + 50);
    EXPECT_TRUE(child.wait(10));
    EXPECT_TRUE(child.exited_normally());
    EXPECT_EQ(child.exit_status(), 0);
    EXPECT_EQ(child.stdout_text(), banner);
    for (int p = 0; p < 3; ++p) {
        expect_exact(panes[p]);
        expect_all_frames_in_order(panes[p], frames);
    }
    for (int p = 3; p < 6; ++p) {
        expect_exact(panes[p]);
        std::vector<int> same_frames;
        for (int f = 0; f < frames; ++f)
            same_frames.push_back(pair_label(f, f, frames));
        EXPECT_EQ(panes[p].shown, same_frames) << "pane " << p + 1;
    }
    return child.stderr_text();
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
    ChildProcess child(trivista_path(),
                       {"-quiet", "-fps", "4", "-fr2", marks, "-f1", run.sequence(1, frames), "-f2",
                        run.sequence(2, frames), "-f3", run.sequence(3, frames)},
                       run.server.name(), run.dir.path(), "trivista");
    run.watch(child, panes, 528, 338);
    ASSERT_TRUE(child.wait(10));
    EXPECT_EQ(child.exit_status(), 0);
    EXPECT_EQ(child.stdout_text(), std::string(banner) + "froze: 3\n");
    for (const WatchedPane &pane : panes)
        expect_exact(pane);
    // Sequence 2 holds its frame 2 over frames 2 and 3, then runs one frame behind.
    EXPECT_EQ(panes[0].shown, labels({0, 1, 2, 3, 4}));
    // Org<->Enc compares frame 3 with sequence 2's frame 2, frame 4 with its frame 3.
    std::vector<std::pair<int, int>> org_enc = {{0, 0}, {1, 1}, {2, 2}, {3, 2}, {4, 3}, {5, 4}};
    expect_only(panes[1], pair_labels(org_enc, frames));
    EXPECT_TRUE(was_shown(panes[1], pair_label(3, 2, frames)));
    EXPECT_TRUE(was_shown(panes[1], pair_label(4, 3, frames)));
    std::vector<std::pair<int, int>> enc_tra = {{0, 0}, {1, 1}, {2, 2}, {2, 3}, {3, 4}, {4, 5}};
    expect_only(panes[2], pair_labels(enc_tra, frames));
    EXPECT_TRUE(was_shown(panes[2], pair_label(2, 3, frames)));
}

TEST(Freezing, HeldThirdSequenceLagsTheSameWayAndPrintsNothing)
{
    const int frames = 6;
    PlaybackRun run(16, 176, 144);
    std::string marks = run.freeze_file("fr3.txt", "3\n");
    std::vector<WatchedPane> panes = {run.sequence_pane(3, 3, frames),
                                      run.difference_pane(5, 2, 3, frames),
                                      run.difference_pane(6, 1, 3, frames)};
    ChildProcess child(trivista_path(),
                       {"-quiet", "-fps", "4", "-fr3", marks, "-f1", run.sequence(1, frames), "-f2",
                        run.sequence(2, frames), "-f3", run.sequence(3, frames)},
                       run.server.name(), run.dir.path(), "trivista");
    run.watch(child, panes, 528, 338);
    ASSERT_TRUE(child.wait(10));
    EXPECT_EQ(child.exit_status(), 0);
    EXPECT_EQ(child.stdout_text(), banner);
    for (const WatchedPane &pane : panes)
        expect_exact(pane);
    EXPECT_EQ(panes[0].shown, labels({0, 1, 2, 3, 4}));
    std::vector<std::pair<int, int>> lagging = {{0, 0}, {1, 1}, {2, 2}, {3, 2}, {4, 3}, {5, 4}};
    expect_only(panes[1], pair_labels(lagging, frames));
    expect_only(panes[2], pair_labels(lagging, frames));
    EXPECT_TRUE(was_shown(panes[1], pair_label(3, 2, frames)));
    EXPECT_TRUE(was_shown(panes[2], pair_label(4, 3, frames)));
}

TEST(Freezing, MarksBelowTheStartFrameHoldNothing)
{
    const int frames = 6;
    PlaybackRun run(24, 176, 144);
    std::string marks = run.freeze_file("fr2.txt", "1\n2\n");
    std::vector<WatchedPane> panes = {run.difference_pane(4, 1, 2, frames)};
    ChildProcess child(trivista_path(),
                       {"-quiet", "-fps", "4", "-s", "3", "-fr2", marks, "-f1",
                        run.sequence(1, frames), "-f2", run.sequence(2, frames)},
                       run.server.name(), run.dir.path(), "trivista");
    run.watch(child, panes, 352, 338);
    ASSERT_TRUE(child.wait(10));
    EXPECT_EQ(child.exit_status(), 0);
    EXPECT_EQ(child.stdout_text(), banner);
    expect_exact(panes[0]);
    EXPECT_EQ(panes[0].shown, (std::vector<int>{pair_label(3, 3, frames), pair_label(4, 4, frames),
                                                pair_label(5, 5, frames)}));
}

TEST(Looping, PassesRepeatWithFilesRepositionedAndNotesFlushedUntilKilled)
{
    const int frames = 4;
    PlaybackRun run(24, 176, 144);
    std::string marks = run.freeze_file("fr2.txt", "1\n");
    std::vector<WatchedPane> panes = {run.sequence_pane(1, 1, frames),
                                      run.difference_pane(4, 1, 2, frames)};
    ChildProcess child(trivista_path(),
                       {"-quiet", "-l", "-fps", "8", "-fr2", marks, "-f1", run.sequence(1, frames),
                        "-f2", run.sequence(2, frames)},
                       run.server.name(), run.dir.path(), "trivista");
    // Three returns of pane 1 to frame 0 are three passes after the first.
    auto passes_seen = [&] {
        return std::count(panes[0].shown.begin(), panes[0].shown.end(), 0) >= 4;
    };
    run.watch(child, panes, 352, 338, passes_seen);
    EXPECT_TRUE(passes_seen()) << "pane 1 showed " << panes[0].shown.size() << " pictures";
    EXPECT_TRUE(child.running());
    // Each pass notes its frozen frame at once, though standard output is a file.
    std::string out = child.stdout_text();
    EXPECT_EQ(out.compare(0, strlen(banner), banner), 0);
    size_t notes = 0;
    for (size_t at = out.find("froze: 1\n"); at != std::string::npos; at = out.find("froze: 1\n", at + 1))
        ++notes;
    EXPECT_GE(notes, 3u);
    EXPECT_EQ(out.size(), strlen(banner) + notes * strlen("froze: 1\n"));
    for (const WatchedPane &pane : panes)
        expect_exact(pane);
    // Every pass starts sequence 2 at frame 0 again: a file left where the previous
    // pass ended would pair frame 0 with a later picture.
    std::vector<std::pair<int, int>> each_pass = {{0, 0}, {1, 0}, {2, 1}, {3, 2}};
    expect_only(panes[1], pair_labels(each_pass, frames));
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
    ASSERT_TRUE(child.wait(10));
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
    ChildProcess child(trivista_path(),
                       {"-quiet", "-fps", "4", "-f1", run.sequence(1, frames), "-f2",
                        run.sequence(2, frames - 2)},
                       run.server.name(), run.dir.path(), "trivista");
    run.watch(child, panes, 352, 338);
    ASSERT_TRUE(child.wait(10));
    EXPECT_EQ(child.exit_status(), 0);
    EXPECT_EQ(child.stdout_text(), banner);
    EXPECT_EQ(child.stderr_text(), "");
    for (const WatchedPane &pane : panes)
        expect_exact(pane);
    EXPECT_EQ(panes[0].shown, labels({0, 1, 2, 3}));
    std::vector<std::pair<int, int>> pairs = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 3}, {5, 3}};
    expect_only(panes[1], pair_labels(pairs, frames));
    EXPECT_TRUE(was_shown(panes[1], pair_label(5, 3, frames)));
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
