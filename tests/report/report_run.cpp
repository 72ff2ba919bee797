#include "report_run.h"

#include <sstream>

#include "child_process.h"

std::string report_path()
{
    return TRIVISTA_BIN_DIR "/src/report/trivista-report";
}

ReportRun run_report_tool(const std::vector<std::string> &args, const std::string &dir)
{
    static int runs = 0;
    ChildProcess child(report_path(), args, "", dir, "report" + std::to_string(runs++));
    ReportRun run;
    if (child.wait(120) && child.exited_normally())
        run.status = child.exit_status();
    run.out = child.stdout_text();
    run.err = child.stderr_text();
    return run;
}

std::vector<std::string> lines_of(const std::string &text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> fields_of(const std::string &line)
{
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, ',');)
        fields.push_back(field);
    return fields;
}
