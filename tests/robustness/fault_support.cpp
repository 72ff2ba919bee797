#include "fault_support.h"

#include <fstream>
#include <sstream>

const char banner[] = "\nkestrin Trivista\nhttps://trivista.example/\n\n";

std::string FaultRun::sequence(int n, int frames, int extra_bytes)
{
    return write_test_sequence(dir.path(), "seq" + std::to_string(n) + ".yuv", 176, 144, n,
                               frames, extra_bytes);
}

std::string FaultRun::freeze_file(const std::string &text)
{
    std::string path = dir.file("freeze.txt");
    write_text_file(path, text);
    return path;
}

std::string FaultRun::freeze_all(int frames)
{
    std::string text;
    for (int k = 0; k < frames; k++)
        text += std::to_string(k) + "\n";
    return freeze_file(text);
}

std::vector<int> froze_frames(const std::string &out)
{
    std::vector<int> frames;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line))
        if (line.rfind("froze: ", 0) == 0)
            frames.push_back(std::stoi(line.substr(7)));
    return frames;
}

std::vector<int> frame_numbers(int first, int count)
{
    std::vector<int> numbers;
    for (int k = 0; k < count; k++)
        numbers.push_back(first + k);
    return numbers;
}

bool wait_for_output(const ChildProcess &child, const std::string &text, double timeout_s)
{
    return wait_until([&] { return child.stdout_text().find(text) != std::string::npos; },
                      timeout_s);
}

std::string sanitizer_report(const std::string &err)
{
    for (const char *mark : {"Sanitizer", "runtime error:"}) {
        size_t at = err.find(mark);
        if (at != std::string::npos)
            return err.substr(at > 200 ? at - 200 : 0, 2000);
    }
    return "";
}

long resident_kib(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}
