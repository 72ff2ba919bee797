// Faults from outside: an X server that dies, sequence files that change or vanish
// while they play, files that are no sequence at all, hostile freeze files, a huge
// sparse first file and very long command lines. The real executable on a private Xvfb.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "fault_support.h"

static const char main_title[] = "kestrin Trivista";
static const int64_t qcif_frame = 176 * 144 * 3 / 2;

// Runs trivista to its end; fails the test when it is still running after timeout_s.
struct Finished {
    int status = -1;
    std::string out, err;
};

static Finished run_to_end(FaultRun &run, const std::vector<std::string> &args,
                           double timeout_s = 30, const std::string &program = trivista_path())
{
    ChildProcess child(program, args, run.server.name(), run.dir.path(), "trivista");
    Finished finished;
    bool ended = child.wait(timeout_s);
    EXPECT_TRUE(ended) << "still running after " << timeout_s << " s";
    if (!ended)
        return finished;
    EXPECT_TRUE(child.exited_normally()) << "killed by signal " << child.term_signal();
    finished.status = child.exit_status();
    finished.out = child.stdout_text();
    finished.err = child.stderr_text();
    EXPECT_EQ(sanitizer_report(finished.err), "");
    return finished;
}

TEST(LostDisplay, TheXServerKilledDuringPlaybackEndsTheRunAtOnceWithStatusOneAndAMessage)
{
    FaultRun run;
    ChildProcess child(trivista_path(),
                       {"-l", "-PSNR", "-fps", "50", "-f1", run.sequence(1, 4), "-f2",
                        run.sequence(2, 4), "-f3", run.sequence(3, 4)},
                       run.server.name(), run.dir.path(), "trivista");
    {
        XConnection x(run.server.name());
        ASSERT_NE(wait_for_window(x.get(), main_title, 20).id, 0u);
    }  // our own connection goes before the server does
    ASSERT_TRUE(child.running());
    run.server.stop();
    ASSERT_TRUE(child.wait(3)) << "still running 3 s after its X server was killed";
    ASSERT_TRUE(child.exited_normally()) << "killed by signal " << child.term_signal();
    EXPECT_EQ(child.exit_status(), 1);
    EXPECT_EQ(child.stderr_text(), "Lost the connection to the X server\n");
}

// Sequence 2 is frozen at every frame so that its notes tell how far playback got.
class ChangingFiles : public ::testing::Test {
protected:
    FaultRun run;
    const int frames = 10;
    std::string first = run.sequence(1, frames);
    std::string second = run.sequence(2, frames);
    std::string third = run.sequence(3, frames);
    std::string notes = run.freeze_all(frames);
};

TEST_F(ChangingFiles, TheFirstFileTruncatedWhilePlayingEndsThePassAfterTheFrameThatRanShort)
{
    ChildProcess child(trivista_path(),
                       {"-quiet", "-fps", "4", "-f1", first, "-f2", second, "-fr2", notes},
                       run.server.name(), run.dir.path(), "trivista");
    ASSERT_TRUE(wait_for_output(child, "froze: 1\n", 20));
    ASSERT_EQ(truncate(first.c_str(), 4 * qcif_frame + 100), 0);
    ASSERT_TRUE(child.wait(20));
    ASSERT_TRUE(child.exited_normally());
    EXPECT_EQ(child.exit_status(), 0);
    // Frame 4 reads short, is still shown, and ends the pass.
    EXPECT_EQ(froze_frames(child.stdout_text()), frame_numbers(0, 5));
    EXPECT_EQ(child.stderr_text(), "");
}

TEST_F(ChangingFiles, TheFirstFileTruncatedWhileLoopingPlaysWhatIsLeftInEveryLaterPass)
{
    ChildProcess child(trivista_path(),
                       {"-quiet", "-l", "-fps", "20", "-f1", first, "-f2", second, "-fr2",
                        notes},
                       run.server.name(), run.dir.path(), "trivista");
    ASSERT_TRUE(wait_for_output(child, "froze: 9\n", 20));
    ASSERT_EQ(truncate(first.c_str(), 3 * qcif_frame), 0);
    auto passes_after_truncation = [&] {
        std::vector<int> seen = froze_frames(child.stdout_text());
        int passes = 0;
        for (size_t k = 1; k < seen.size(); k++)
            passes += seen[k] == 0 && seen[k - 1] == 3;
        return passes;
    };
    ASSERT_TRUE(wait_until([&] { return passes_after_truncation() >= 3; }, 20));
    ASSERT_TRUE(child.running());
    child.kill_now();
    std::vector<int> seen = froze_frames(child.stdout_text());
    // After the first pass that met the shorter file, every pass is frames 0 to 3.
    size_t first_short_pass = 0;
    for (size_t k = 1; k < seen.size() && !first_short_pass; k++)
        if (seen[k] == 0 && seen[k - 1] == 3)
            first_short_pass = k;
    for (size_t k = first_short_pass; k < seen.size(); k++)
        ASSERT_EQ(seen[k], int(k - first_short_pass) % 4) << "note " << k;
    EXPECT_EQ(sanitizer_report(child.stderr_text()), "");
}

TEST_F(ChangingFiles, AThirdFileTruncatedToNothingWhilePlayingLetsPlaybackRunToTheEnd)
{
    ChildProcess child(trivista_path(),
                       {"-quiet", "-PSNR", "-fps", "8", "-f1", first, "-f2", second, "-f3",
                        third, "-fr2", notes},
                       run.server.name(), run.dir.path(), "trivista");
    ASSERT_TRUE(wait_for_output(child, "froze: 2\n", 20));
    ASSERT_EQ(truncate(third.c_str(), 0), 0);
    ASSERT_TRUE(child.wait(20));
    ASSERT_TRUE(child.exited_normally());
    EXPECT_EQ(child.exit_status(), 0);
    EXPECT_EQ(froze_frames(child.stdout_text()), frame_numbers(0, frames));
    EXPECT_EQ(child.stderr_text(), "");
}

TEST_F(ChangingFiles, FilesRemovedWhilePlayingPlayToTheEndFromTheOpenStreams)
{
    ChildProcess child(trivista_path(),
                       {"-quiet", "-fps", "8", "-f1", first, "-f2", second, "-fr2", notes},
                       run.server.name(), run.dir.path(), "trivista");
    ASSERT_TRUE(wait_for_output(child, "froze: 2\n", 20));
    ASSERT_EQ(unlink(first.c_str()), 0);
    ASSERT_EQ(unlink(second.c_str()), 0);
    ASSERT_TRUE(child.wait(20));
    ASSERT_TRUE(child.exited_normally());
    EXPECT_EQ(child.exit_status(), 0);
    EXPECT_EQ(froze_frames(child.stdout_text()), frame_numbers(0, frames));
    EXPECT_EQ(child.stderr_text(), "");
}

class UnusableSequenceFiles : public ::testing::Test {
protected:
    FaultRun run;
    std::string good = run.sequence(1, 3);
    std::string no_whole_frame(const std::string &path)
    {
        return path + " holds no whole frame of 38016 bytes (176x144 YUV 4:2:0)\n";
    }
};

TEST_F(UnusableSequenceFiles, ADirectoryDevNullOrAFifoAsFirstFileIsRefusedAtOnce)
{
    std::string directory = run.dir.file("directory.yuv");
    std::string fifo = run.dir.file("fifo.yuv");
    ASSERT_EQ(mkdir(directory.c_str(), 0700), 0);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string &path : {directory, std::string("/dev/null"), fifo}) {
        SCOPED_TRACE(path);
        // A FIFO without a writer must not hold start-up.
        Finished finished = run_to_end(run, {"-f1", path}, 10);
        EXPECT_EQ(finished.status, 1);
        EXPECT_EQ(finished.err, no_whole_frame(path));
        EXPECT_EQ(finished.out, "");
    }
}

TEST_F(UnusableSequenceFiles, AFifoWithoutAWriterAsSecondFilePlaysAsAnEmptySequence)
{
    std::string fifo = run.dir.file("fifo.yuv");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    Finished finished = run_to_end(run, {"-quiet", "-fps", "50", "-f1", good, "-f2", fifo}, 20);
    EXPECT_EQ(finished.status, 0);
    EXPECT_EQ(finished.out, banner);
    EXPECT_EQ(finished.err, "");
}

TEST_F(UnusableSequenceFiles, AFileWithoutReadPermissionIsRefusedWithTheOpenMessage)
{
    ASSERT_EQ(chmod(run.dir.path().c_str(), 0755), 0);
    ASSERT_EQ(chmod(good.c_str(), 0), 0);
    std::string program = trivista_path();
    std::vector<std::string> args = {"-f1", good};
    if (geteuid() == 0) {
        // Permissions do not stop root: run as nobody instead.
        const std::string setpriv = "/usr/bin/setpriv";
        if (access(setpriv.c_str(), X_OK) != 0)
            GTEST_SKIP() << "running as root and " << setpriv
                         << " is missing, so no unprivileged user can be taken";
        args.insert(args.begin(), {"--reuid=65534", "--regid=65534", "--clear-groups", program});
        program = setpriv;
    }
    Finished finished = run_to_end(run, args, 10, program);
    EXPECT_EQ(finished.status, 3);
    EXPECT_EQ(finished.err, "Can't open yuvfile1 for input!\n");
    EXPECT_EQ(finished.out, "");
}

// Sequence 2's notes name exactly the frames its freeze file marks.
class HostileFreezeFiles : public ::testing::Test {
protected:
    FaultRun run;
    std::string first = run.sequence(1, 6);
    std::string second = run.sequence(2, 6);
    Finished play_with(const std::string &freeze_path)
    {
        return run_to_end(run, {"-quiet", "-fps", "100", "-f1", first, "-f2", second, "-fr2",
                                freeze_path});
    }
    std::string write_bytes(const std::string &bytes)
    {
        std::string path = run.dir.file("freeze.bin");
        write_binary_file(path, std::vector<uint8_t>(bytes.begin(), bytes.end()));
        return path;
    }
};

TEST_F(HostileFreezeFiles, CrlfLineEndsAndAMissingFinalNewlineStillMarkTheirFrames)
{
    Finished crlf = play_with(run.freeze_file("1\r\n3\r\n"));
    EXPECT_EQ(crlf.status, 0);
    EXPECT_EQ(froze_frames(crlf.out), std::vector<int>({1, 3}));
    EXPECT_EQ(crlf.err, "");

    Finished unterminated = play_with(run.freeze_file("2\n4"));
    EXPECT_EQ(unterminated.status, 0);
    EXPECT_EQ(froze_frames(unterminated.out), std::vector<int>({2, 4}));
    EXPECT_EQ(unterminated.err, "");
}

TEST_F(HostileFreezeFiles, NegativeAndHugeNumbersAreIgnoredWithALineNumberedWarning)
{
    std::string path = run.freeze_file("-1\n2\n99999999999999999999\n2147483648\n6\n5\n");
    Finished finished = play_with(path);
    EXPECT_EQ(finished.status, 0);
    EXPECT_EQ(froze_frames(finished.out), std::vector<int>({2, 5}));
    for (int line : {1, 3, 4, 5})
        EXPECT_NE(finished.err.find(path + ":" + std::to_string(line) +
                                    ": frame number outside 0..5, line ignored\n"),
                  std::string::npos)
            << "line " << line << " in: " << finished.err;
    EXPECT_EQ(finished.err.find(path + ":2:"), std::string::npos);
    EXPECT_EQ(finished.err.find(path + ":6:"), std::string::npos);
}

TEST_F(HostileFreezeFiles, BinaryGarbageMarksOnlyFramesInsideTheRange)
{
    std::string marked = write_bytes(std::string("\x01\xff\xfe\n\0\0\n5\n\x80" "3\n", 12));
    Finished finished = play_with(marked);
    EXPECT_EQ(finished.status, 0);
    EXPECT_EQ(froze_frames(finished.out), std::vector<int>({5}));
    EXPECT_NE(finished.err.find(marked + ":1: no frame number, line ignored\n"),
              std::string::npos) << finished.err;

    std::mt19937 random(9);
    std::string noise(64 * 1024, '\0');
    for (char &byte : noise)
        byte = (char)random();
    Finished noisy = play_with(write_bytes(noise));
    EXPECT_EQ(noisy.status, 0);
    for (int k : froze_frames(noisy.out))
        EXPECT_TRUE(k >= 0 && k <= 5) << k;
}

TEST_F(HostileFreezeFiles, AFifoWithoutAWriterIsAnEmptyListAndADirectoryIsRefused)
{
    std::string fifo = run.dir.file("freeze.fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    Finished from_fifo = play_with(fifo);
    EXPECT_EQ(from_fifo.status, 0);
    EXPECT_EQ(from_fifo.out, banner);
    EXPECT_EQ(from_fifo.err, "");

    std::string directory = run.dir.file("freeze.d");
    ASSERT_EQ(mkdir(directory.c_str(), 0700), 0);
    Finished from_directory = play_with(directory);
    EXPECT_EQ(from_directory.status, 255);
    EXPECT_EQ(from_directory.out, banner + ("Could not open file: " + directory + "\n"));
}

TEST(LargeInputs, AFiveGibibyteSparseFirstFilePlaysTheFramesNearItsEnd)
{
    FaultRun run;
    const int64_t size = int64_t(5) << 30;
    const int last = int(size / qcif_frame) - 1;  // 141221: offsets beyond 32 bits
    std::string sparse = run.dir.file("sparse.yuv");
    int fd = open(sparse.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, size), 0);
    // The next-to-last frame is white; every other frame reads as zeros (dark green).
    std::vector<uint8_t> white(qcif_frame, 128);
    std::fill(white.begin(), white.begin() + 176 * 144, 235);
    ASSERT_EQ(pwrite(fd, white.data(), white.size(), (off_t)(last - 1) * qcif_frame),
              (ssize_t)white.size());
    close(fd);

    std::string notes = run.freeze_file(std::to_string(last - 2) + "\n" +
                                        std::to_string(last - 1) + "\n" +
                                        std::to_string(last) + "\n");
    Finished near_end = run_to_end(run, {"-quiet", "-fps", "50", "-s", std::to_string(last - 2),
                                         "-f1", sparse, "-f2", sparse, "-fr2", notes});
    EXPECT_EQ(near_end.status, 0);
    EXPECT_EQ(froze_frames(near_end.out), frame_numbers(last - 2, 3));

    // The picture shown is the one stored at that offset.
    ChildProcess child(trivista_path(),
                       {"-quiet", "-l", "-s", std::to_string(last - 1), "-e",
                        std::to_string(last - 1), "-f1", sparse},
                       run.server.name(), run.dir.path(), "looping");
    XConnection x(run.server.name());
    Window window = wait_for_window(x.get(), main_title, 20).id;
    ASSERT_NE(window, 0u);
    auto centre_is_white = [&] {
        Capture centre = capture_region(x.get(), window, 88, 72, 1, 1);
        if (centre.empty())
            return false;
        uint32_t pixel = centre.at(0, 0);
        return (pixel >> 16 & 255) > 200 && (pixel >> 8 & 255) > 200 && (pixel & 255) > 200;
    };
    EXPECT_TRUE(wait_until(centre_is_white, 10));
    x.reset();
    child.kill_now();
}

TEST(LongCommandLines, ThousandsOfOptionsAreAllTakenInOrder)
{
    FaultRun run;
    std::vector<std::string> args;
    for (int k = 0; k < 3000; k++)
        args.insert(args.end(), {"-nodiff", "-quiet"});
    for (int k = 0; k < 2000; k++)
        args.insert(args.end(), {"-unknown", std::to_string(k)});
    for (int k = 0; k < 2000; k++)
        args.insert(args.end(), {"-s", std::to_string(k % 3)});  // the last one wins: 1
    std::string notes = run.freeze_all(4);
    args.insert(args.end(), {"-fps", "100", "-f1", run.sequence(1, 4), "-f2",
                             run.sequence(2, 4), "-fr2", notes});
    Finished finished = run_to_end(run, args);
    EXPECT_EQ(finished.status, 0);
    EXPECT_EQ(froze_frames(finished.out), frame_numbers(1, 3));
    size_t warnings = 0;
    for (size_t at = 0; (at = finished.err.find("Unknown option -unknown skipped together with ",
                                                at)) != std::string::npos;
         at++)
        warnings++;
    EXPECT_EQ(warnings, 2000u);
}
