// Shared pieces of the fault and resource tests: running the real executable against
// a private Xvfb and reading what it printed.
#pragma once

#include <string>
#include <vector>

#include "harness.h"

// The banner main window setup prints on standard output.
extern const char banner[];

// A private Xvfb and a temporary directory for one test.
struct FaultRun {
    XvfbServer server{24};
    TempDir dir;
    // A QCIF test sequence of `frames` frames of sequence `n` (1..3), named seq<n>.yuv.
    std::string sequence(int n, int frames, int extra_bytes = 0);
    // A freeze file (freeze.txt) with the given text.
    std::string freeze_file(const std::string &text);
    // A freeze file listing every frame 0..frames-1: sequence 2 then prints "froze: N"
    // at every frame, which shows how far playback has got.
    std::string freeze_all(int frames);
};

// The frame numbers of the "froze: N" notes in `out`, in order.
std::vector<int> froze_frames(const std::string &out);

// 0, 1, ..., count - 1 shifted by `first`.
std::vector<int> frame_numbers(int first, int count);

// Waits until the child's standard output holds `text`; false after timeout_s.
bool wait_for_output(const ChildProcess &child, const std::string &text, double timeout_s);

// Empty when `err` holds no sanitizer report; the report otherwise.
std::string sanitizer_report(const std::string &err);

// The child's resident set size in KiB, from /proc; -1 when it has gone.
long resident_kib(pid_t pid);
