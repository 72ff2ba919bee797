// libFuzzer target: loadfreezefile on arbitrary file contents, compared with a plain
// reading of the same bytes. The first two input bytes choose end_frame (0..4095); the
// rest is the freeze file. The table is allocated at its exact size, so a mark outside
// 0..end_frame is caught.
#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "exit_trap.h"
#include "fuzz_check.h"
#include "sandbox.h"
#include "settings.h"
#include "startup.h"

static std::string freeze_path;

// The number on one line, as the freeze file rules read it: leading blanks, an optional
// sign, decimal digits. Returns false for a line that is blank or holds no number, or
// whose number lies outside 0..end_frame.
static bool frame_on_line(const std::string &line, long *number)
{
    size_t i = 0, n = strnlen(line.c_str(), line.size());  // a NUL ends the line's text
    while (i < n && isspace((unsigned char)line[i]))
        i++;
    bool negative = false;
    if (i < n && (line[i] == '+' || line[i] == '-'))
        negative = line[i++] == '-';
    if (i == n || !isdigit((unsigned char)line[i]))
        return false;
    long value = 0;
    for (; i < n && isdigit((unsigned char)line[i]); i++) {
        value = value * 10 + (line[i] - '0');
        if (value > INT_MAX)
            return false;  // beyond any end_frame
    }
    if (negative && value != 0)
        return false;
    *number = value;
    return value <= end_frame;
}

struct Expected {
    std::vector<unsigned char> table;
    int count = 0;
};

static Expected read_plainly(const std::string &text)
{
    Expected expected;
    expected.table.assign((size_t)end_frame + 1, 0);
    for (size_t start = 0; start < text.size();) {
        size_t newline = text.find('\n', start);
        size_t end = newline == std::string::npos ? text.size() : newline;
        long number;
        if (frame_on_line(text.substr(start, end - start), &number)) {
            expected.table[(size_t)number] = 1;
            expected.count++;
        }
        start = end + 1;
    }
    return expected;
}

struct Load {
    unsigned char *table;
    int count;
};

static void load(void *context)
{
    Load *result = (Load *)context;
    result->count = loadfreezefile(freeze_path.c_str(), result->table);
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    freeze_path = enter_sandbox() + "/freeze";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    end_frame = (data[0] | data[1] << 8) & 4095;
    std::string text((const char *)data + 2, size - 2);
    FILE *file = fopen(freeze_path.c_str(), "wb");
    fuzz_check(file && fwrite(text.data(), 1, text.size(), file) == text.size() &&
                   fclose(file) == 0, "cannot write %s", freeze_path.c_str());

    Load result = {(unsigned char *)calloc((size_t)end_frame + 1, 1), -1};
    int status;
    fuzz_check(!call_catching_exit(load, &result, &status), "refused with status %d", status);

    Expected expected = read_plainly(text);
    fuzz_check(result.count == expected.count, "count %d, expected %d", result.count,
               expected.count);
    fuzz_check(memcmp(result.table, expected.table.data(), expected.table.size()) == 0,
               "the marks differ from the plain reading");
    free(result.table);
    return 0;
}
