// Runs a piece of a test in a forked child: init_display sets process-wide state once
// per process and may end it, so every case gets a fresh process of its own.
#pragma once

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>

// Starts `body` in a child that exits 0 when it recorded no test failure, 1 otherwise;
// a body that ends the process itself exits with its own status.
inline pid_t start_isolated(const std::function<void()> &body)
{
    fflush(stdout);
    fflush(stderr);
    pid_t pid = fork();
    if (pid == 0) {
        body();
        fflush(stdout);
        fflush(stderr);
        _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    return pid;
}

// Waits for the child; returns its exit status, or -signal, or -1000 after a timeout
// (the child is then killed).
inline int finish_isolated(pid_t pid, double timeout_s = 60)
{
    auto deadline = std::chrono::steady_clock::now() +
                    std::chrono::milliseconds(static_cast<long>(timeout_s * 1000));
    for (;;) {
        int status;
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1000;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

inline int run_isolated(const std::function<void()> &body, double timeout_s = 60)
{
    return finish_isolated(start_isolated(body), timeout_s);
}

// Appends standard output to `path` (e.g. /dev/null) until restore_stdout, so that the
// banner stays out of the test log while the child's own failure reports still show.
inline int redirect_stdout(const char *path)
{
    fflush(stdout);
    int saved = dup(1);
    FILE *target = fopen(path, "a");
    if (target) {
        dup2(fileno(target), 1);
        fclose(target);
    }
    return saved;
}

inline void restore_stdout(int saved)
{
    fflush(stdout);
    dup2(saved, 1);
    close(saved);
}
