// libFuzzer target: loadfreezefile on arbitrary file contents, compared with a plain
// reading of the same bytes. The first two input bytes choose end_frame: their low 12
// bits n give n, or INT_MAX - n when bit 15 is set. The rest is the freeze file. A file
// that holds a NUL byte must be refused with status 1; any other must give exactly the
// listed frames, ascending and once each, and frame_frozen must find them and no other.
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "exit_trap.h"
#include "fuzz_check.h"
#include "sandbox.h"
#include "common/settings.h"
#include "source/freeze.h"

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
    return value <= playhead.end_frame;
}

struct Expected {
    std::set<int> frames;
    int count = 0;
};

static Expected read_plainly(const std::string &text)
{
    Expected expected;
    for (size_t start = 0; start < text.size();) {
        size_t newline = text.find('\n', start);
        size_t end = newline == std::string::npos ? text.size() : newline;
        long number;
        if (frame_on_line(text.substr(start, end - start), &number)) {
            expected.frames.insert((int)number);
            expected.count++;
        }
        start = end + 1;
    }
    return expected;
}

struct Load {
    FreezeTable table;
    int count;
};

static void load(void *context)
{
    Load *result = (Load *)context;
    result->count = loadfreezefile(freeze_path.c_str(), &result->table);
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
    int low = (data[0] | data[1] << 8) & 4095;
    playhead.end_frame = data[1] & 0x80 ? INT_MAX - low : low;
    std::string text((const char *)data + 2, size - 2);
    FILE *file = fopen(freeze_path.c_str(), "wb");
    fuzz_check(file && fwrite(text.data(), 1, text.size(), file) == text.size() &&
                   fclose(file) == 0, "cannot write %s", freeze_path.c_str());

    Load result = {{nullptr, 0}, -1};
    int status;
    bool refused = call_catching_exit(load, &result, &status);
    close_streams_left_open();
    bool text_only = text.find('\0') == std::string::npos;
    if (refused) {
        free_freeze_table(&result.table);
        fuzz_check(!text_only && status == 1, "refused with status %d", status);
        return 0;
    }
    fuzz_check(text_only, "a NUL byte was accepted");

    Expected expected = read_plainly(text);
    fuzz_check(result.count == expected.count, "count %d, expected %d", result.count,
               expected.count);
    std::vector<int> listed(expected.frames.begin(), expected.frames.end());
    fuzz_check(result.table.size == (int)listed.size() &&
                   std::equal(listed.begin(), listed.end(), result.table.frames),
               "the frames differ from the plain reading");
    // The first frames of the range, and the neighbours of every listed one.
    for (int n = 0; n <= playhead.end_frame && n <= 64; n++)
        fuzz_check(frame_frozen(&result.table, n) == (int)expected.frames.count(n),
                   "frame %d looked up wrongly", n);
    for (int n : listed)
        for (long long near : {(long long)n - 1, (long long)n + 1})
            fuzz_check(near < 0 || near > INT_MAX ||
                           frame_frozen(&result.table, (int)near) ==
                               (int)expected.frames.count((int)near),
                       "frame %lld looked up wrongly", near);
    free_freeze_table(&result.table);
    return 0;
}
