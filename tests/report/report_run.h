// Running the trivista-report executable of this build tree and reading its output.
#pragma once

#include <string>
#include <vector>

struct ReportRun {
    int status = -1;  // exit status, -1 when it did not exit normally
    std::string out, err;
};

std::string report_path();

// Runs trivista-report with `args`, without a display, its output kept in `dir`.
ReportRun run_report_tool(const std::vector<std::string> &args, const std::string &dir);

// Lines of a text, without their newlines.
std::vector<std::string> lines_of(const std::string &text);

// Fields of one CSV line.
std::vector<std::string> fields_of(const std::string &line);
