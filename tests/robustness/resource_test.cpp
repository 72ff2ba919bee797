// Resource bounds: start-up takes all the memory playback needs, so a run of any length
// allocates the same and a looping run keeps a flat resident size.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "fault_support.h"

#if defined(__SANITIZE_ADDRESS__)
#define SANITIZED_BUILD 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SANITIZED_BUILD 1
#endif
#endif

class Resources : public ::testing::Test {
protected:
    FaultRun run;
    const int frames = 24;
    std::vector<std::string> sequences = {"-f1", run.sequence(1, frames), "-f2",
                                          run.sequence(2, frames), "-f3",
                                          run.sequence(3, frames)};
};

static const char valgrind[] = "/usr/bin/valgrind";

// The "total heap usage" line of a memcheck log: allocations over the whole process.
static long heap_allocations(const std::string &log)
{
    std::smatch match;
    static const std::regex usage("total heap usage: ([0-9,]+) allocs");
    if (!std::regex_search(log, match, usage))
        return -1;
    std::string digits;
    for (char c : match[1].str())
        if (c != ',')
            digits += c;
    return std::stol(digits);
}

TEST_F(Resources, PlaybackAllocatesTheSameWhetherItShowsFourFramesOrTwentyFour)
{
#ifdef SANITIZED_BUILD
    GTEST_SKIP() << "valgrind cannot run a sanitizer build; the plain build runs this test";
#endif
    if (access(valgrind, X_OK) != 0)
        GTEST_SKIP() << valgrind << " is missing (Debian package valgrind)";
    std::string notes = run.freeze_file("1\n5\n");
    // Panes through ordinary image transfer, then through shared memory.
    for (std::string transfer : {"-PSNR", "-shm"}) {
        long allocations[2];
        for (int last : {3, frames - 1}) {
            SCOPED_TRACE(transfer + ", frames 0.." + std::to_string(last));
            std::string log = run.dir.file("valgrind.log");
            std::vector<std::string> args = {"--tool=memcheck", "--leak-check=no",
                                             "--log-file=" + log, trivista_path(),
                                             transfer, "-PSNR", "-fps", "1000", "-e",
                                             std::to_string(last), "-fr2", notes};
            args.insert(args.end(), sequences.begin(), sequences.end());
            ChildProcess child(valgrind, args, run.server.name(), run.dir.path(), "valgrind");
            ASSERT_TRUE(child.wait(240)) << "valgrind run did not end";
            ASSERT_TRUE(child.exited_normally());
            ASSERT_EQ(child.exit_status(), 0) << child.stderr_text();
            ASSERT_EQ(froze_frames(child.stdout_text()),
                      last == 3 ? std::vector<int>({1}) : std::vector<int>({1, 5}));
            allocations[last == 3 ? 0 : 1] = heap_allocations(read_text_file(log));
            ASSERT_GT(allocations[last == 3 ? 0 : 1], 0) << read_text_file(log);
        }
        EXPECT_EQ(allocations[1], allocations[0])
            << transfer << ": 20 more frames made " << allocations[1] - allocations[0]
            << " more allocations";
    }
}

TEST_F(Resources, ResidentMemoryOfALongLoopingRunStaysFlat)
{
    // Sequence 2 is held at frame 1 of every pass: one note per pass counts the passes.
    std::string notes = run.freeze_file("1\n");
    std::vector<std::string> args = {"-l", "-PSNR", "-fps", "1000", "-e", "2", "-fr2", notes};
    args.insert(args.end(), sequences.begin(), sequences.end());
    ChildProcess child(trivista_path(), args, run.server.name(), run.dir.path(), "looping");
    auto passes = [&] { return (long)froze_frames(child.stdout_text()).size(); };

    const long warm_up_passes = 30, measured_passes = 2000;
    ASSERT_TRUE(wait_until([&] { return passes() >= warm_up_passes; }, 60));
    long baseline = resident_kib(child.pid());
    ASSERT_GT(baseline, 0);
    long highest = baseline;
    long start = passes();
    ASSERT_TRUE(wait_until(
        [&] {
            highest = std::max(highest, resident_kib(child.pid()));
            return passes() >= start + measured_passes;
        },
        120, 50))
        << "only " << passes() - start << " passes in two minutes";
    ASSERT_TRUE(child.running());
    long growth = highest - baseline;
    child.kill_now();
    printf("resident size %ld KiB after %ld passes, at most %ld KiB over %ld more\n", baseline,
           warm_up_passes, highest, measured_passes);
    // Three frames per pass: 6000 frames. A leak of even 64 bytes a frame would show.
    EXPECT_LE(growth, 256) << "resident size grew from " << baseline << " KiB to " << highest
                           << " KiB over " << measured_passes << " passes";
    EXPECT_EQ(sanitizer_report(child.stderr_text()), "");
}
