// Runs a program (usually the trivista executable) as a child with its own DISPLAY,
// its standard output and standard error captured into files.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// Full path of the trivista executable of this build tree.
std::string trivista_path();

class ChildProcess {
public:
    // Starts `program` with `args` (argv[1]...). display: the DISPLAY to set, or empty to
    // leave DISPLAY unset. Output goes to <output_dir>/<label>.out and .err.
    ChildProcess(const std::string &program, const std::vector<std::string> &args,
                 const std::string &display, const std::string &output_dir,
                 const std::string &label = "child");
    ~ChildProcess();  // kills and reaps a child that is still running
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    pid_t pid() const { return child_pid; }

    // Waits up to timeout_s seconds; true when the child has ended (status then valid).
    bool wait(double timeout_s);
    // True while the child has not ended (reaps it when it has).
    bool running();
    void kill_now(int signal_number = 9);

    bool exited_normally() const { return ended && exited; }
    int exit_status() const { return status; }     // valid when exited_normally()
    int term_signal() const { return killed_by; }     // nonzero when killed by a signal

    std::string stdout_text() const;
    std::string stderr_text() const;
    const std::string &stdout_path() const { return out_path; }
    const std::string &stderr_path() const { return err_path; }

private:
    void record(int wait_status);

    pid_t child_pid = -1;
    bool ended = false;
    bool exited = false;
    int status = -1;
    int killed_by = 0;
    std::string out_path;
    std::string err_path;
};

