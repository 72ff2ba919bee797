// Runs a program of this build tree (or a peer) without a display, keeping what it writes.
#pragma once

#include <regex>

#include "harness.h"

using Strings = std::vector<std::string>;
struct Result { int status; std::string out, err; };

inline Result run(const std::string &program, Strings args, const TempDir &dir, const Strings &more = {})
{
    args.insert(args.end(), more.begin(), more.end());
    ChildProcess child(program, args, "", dir.path());
    bool ended = child.wait(60) && child.exited_normally();
    return {ended ? child.exit_status() : -1, child.stdout_text(), child.stderr_text()};
}

inline Strings split(const std::string &text, char separator = '\n')
{
    std::regex at(std::string(1, separator));
    return {std::sregex_token_iterator(text.begin(), text.end(), at, -1), {}};
}
