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

struct HeapUsage {
    long allocations = -1;
    long frees = -1;
};

// The "total heap usage" line of a memcheck log: the whole process's heap calls.
static HeapUsage heap_usage(const std::string &log)
{
    std::smatch match;
    static const std::regex usage("total heap usage: ([0-9,]+) allocs, ([0-9,]+) frees");
    HeapUsage heap;
    if (!std::regex_search(log, match, usage))
        return heap;
    auto number = [](const std::string &text) {
        std::string digits;
        for (char c : text)
            if (c != ',')
                digits += c;
        return std::stol(digits);
    };
    heap.allocations = number(match[1].str());
    heap.frees = number(match[2].str());
    return heap;
}

// Runs trivista under memcheck for frames 0..last and returns its heap usage.
static HeapUsage heap_usage_of(FaultRun &run, const std::vector<std::string> &options,
                               const std::string &notes, int last)
{
    std::string log = run.dir.file("valgrind.log");
    std::vector<std::string> args = {"--tool=memcheck", "--leak-check=no", "--log-file=" + log,
                                     trivista_path(), "-fps", "1000", "-e",
                                     std::to_string(last), "-fr2", notes};
    args.insert(args.end(), options.begin(), options.end());
    ChildProcess child(valgrind, args, run.server.name(), run.dir.path(), "valgrind");
    EXPECT_TRUE(child.wait(240)) << "valgrind run did not end";
    EXPECT_TRUE(child.exited_normally());
    EXPECT_EQ(child.exit_status(), 0) << child.stderr_text();
    EXPECT_EQ(froze_frames(child.stdout_text()),
              last < 5 ? std::vector<int>({1}) : std::vector<int>({1, 5}));
    HeapUsage heap = heap_usage(read_text_file(log));
    EXPECT_GT(heap.allocations, 0) << read_text_file(log);
    return heap;
}

// Start-up alone varies by a call or two between runs (the X library's event queue grows
// with however many events arrive before the window is mapped). Far fewer than the 20
// extra frames, so one heap call per frame still fails.
static const long startup_jitter = 4;

class Allocations : public Resources {
protected:
    void SetUp() override
    {
#ifdef SANITIZED_BUILD
        GTEST_SKIP() << "valgrind cannot run a sanitizer build; the plain build runs this test";
#endif
        if (access(valgrind, X_OK) != 0)
            GTEST_SKIP() << valgrind << " is missing (Debian package valgrind)";
    }
    std::string notes = run.freeze_file("1\n5\n");
    std::vector<std::string> options(const std::string &extra)
    {
        std::vector<std::string> all = {extra, "-PSNR"};
        all.insert(all.end(), sequences.begin(), sequences.end());
        return all;
    }
};

TEST_F(Allocations, PlaybackMakesNoHeapCallWhetherItShowsFourFramesOrTwentyFour)
{
    // With the info window and difference pictures, then without either.
    for (const char *extra : {"-PSNR", "-quiet"}) {
        SCOPED_TRACE(extra);
        std::vector<std::string> with = options(extra);
        if (std::string(extra) == "-quiet")
            with.push_back("-nodiff");
        HeapUsage few = heap_usage_of(run, with, notes, 3);
        HeapUsage many = heap_usage_of(run, with, notes, frames - 1);
        EXPECT_NEAR(many.allocations, few.allocations, startup_jitter);
        EXPECT_NEAR(many.frees, few.frees, startup_jitter);
    }
}

// Shared-memory panes wait for the server once a frame; the X library allocates and
// frees that round trip's reply. Nothing may stay allocated.
TEST_F(Allocations, SharedMemoryPanesKeepNothingAllocatedFromFrameToFrame)
{
    HeapUsage few = heap_usage_of(run, options("-shm"), notes, 3);
    HeapUsage many = heap_usage_of(run, options("-shm"), notes, frames - 1);
    EXPECT_NEAR(many.allocations - many.frees, few.allocations - few.frees, startup_jitter);
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
