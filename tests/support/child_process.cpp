#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "test_files.h"

std::string trivista_path()
{
    const char *override_path = getenv("TRIVISTA_EXE");
    if (override_path && *override_path)
        return override_path;
    return TRIVISTA_EXECUTABLE;
}

ChildProcess::ChildProcess(const std::string &program, const std::vector<std::string> &args,
                           const std::string &display, const std::string &output_dir,
                           const std::string &label)
    : out_path(output_dir + "/" + label + ".out"), err_path(output_dir + "/" + label + ".err")
{
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(program.c_str()));
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);

    pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int in = open("/dev/null", O_RDONLY);
        if (out < 0 || err < 0 || in < 0)
            _exit(126);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        if (display.empty())
            unsetenv("DISPLAY");
        else
            setenv("DISPLAY", display.c_str(), 1);
        signal(SIGPIPE, SIG_DFL);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    child_pid = pid;
}

ChildProcess::~ChildProcess()
{
    if (running()) {
        kill_now(SIGKILL);
        wait(10);
    }
}

void ChildProcess::record(int wait_status)
{
    ended = true;
    if (WIFEXITED(wait_status)) {
        exited = true;
        status = WEXITSTATUS(wait_status);
    } else if (WIFSIGNALED(wait_status)) {
        killed_by = WTERMSIG(wait_status);
    }
}

bool ChildProcess::running()
{
    if (ended || child_pid <= 0)
        return false;
    int wait_status;
    pid_t done = waitpid(child_pid, &wait_status, WNOHANG);
    if (done == child_pid) {
        record(wait_status);
        return false;
    }
    return true;
}

bool ChildProcess::wait(double timeout_s)
{
    auto deadline = std::chrono::steady_clock::now() +
                    std::chrono::microseconds(static_cast<long>(timeout_s * 1e6));
    while (running()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

void ChildProcess::kill_now(int signal_number)
{
    if (running())
        kill(child_pid, signal_number);
}

std::string ChildProcess::stdout_text() const
{
    return read_text_file(out_path);
}

std::string ChildProcess::stderr_text() const
{
    return read_text_file(err_path);
}
