// Passes that process no frame need no display: the shutdown and the empty looping passes.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "playback.h"
#include "playback_fixture.h"
#include "sequence.h"
#include "settings.h"
#include "startup.h"

class EmptyPasses : public PlaybackTest {
protected:
    void SetUp() override
    {
        PlaybackTest::SetUp();
        path = write_test_sequence(temp.path(), "a.yuv", 176, 144, 1, 10);
    }
    std::string path;
};

TEST_F(EmptyPasses, StartAfterEndWithoutLoopingClosesTheFilesAndReturnsZero)
{
    std::string second = write_test_sequence(temp.path(), "b.yuv", 176, 144, 2, 10);
    start_up({"-f1", path, "-f2", second, "-s", "5", "-e", "3"});
    allocate_buffers();
    set_frame_period();
    int fd1 = fileno(yuvfile1), fd2 = fileno(yuvfile2);
    EXPECT_EQ(play(), 0);
    EXPECT_EQ(frame, 5);
    // Both streams were closed: their descriptors are free again.
    EXPECT_EQ(fcntl(fd1, F_GETFD), -1);
    EXPECT_EQ(fcntl(fd2, F_GETFD), -1);
    yuvfile1 = yuvfile2 = nullptr;
}

TEST_F(EmptyPasses, LoopingEmptyPassesSleepInsteadOfSpinning)
{
    start_up({"-f1", path, "-s", "5", "-e", "3", "-l", "-fps", "2000000"});
    allocate_buffers();
    set_frame_period();
    ASSERT_EQ(frame_period, 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        play();
        _exit(0);
    }
    usleep(500000);
    kill(child, SIGKILL);
    int status;
    struct rusage usage;
    ASSERT_EQ(wait4(child, &status, 0, &usage), child);
    EXPECT_TRUE(WIFSIGNALED(status)) << "play() returned although looping";
    double cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
                 usage.ru_stime.tv_usec / 1e6;
    EXPECT_LT(cpu, 0.2) << "half a second of empty passes used " << cpu << " s of CPU";
}
