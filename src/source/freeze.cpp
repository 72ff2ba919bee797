// Freeze files: text, one frame number per line.
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "freeze.h"
#include "open_file.h"
#include "sequence.h"
#include "common/die.h"
#include "common/settings.h"

// Room for the first frames of a list; it doubles when repeats do not make room.
static const int first_capacity = 4096;

// How far one line has been read.
enum LineState { BLANK, SIGN, NUMBER, AFTER_NUMBER, NO_NUMBER };

struct Line {
    LineState state;
    bool negative;
    long long number;  // stops growing above INT_MAX: such a number is out of range anyway
};

static void sort_frames(FreezeTable *table)
{
    std::sort(table->frames, table->frames + table->size);
    table->size = (int)(std::unique(table->frames, table->frames + table->size) - table->frames);
}

static void add_frame(const char *name, FreezeTable *table, int *capacity, int frame)
{
    if (table->size > 0 && table->frames[table->size - 1] == frame)
        return;
    if (table->size == *capacity) {
        // Repeats go first, so a long list of few frames stays small.
        sort_frames(table);
        if (table->size >= *capacity / 2) {
            int grown = *capacity ? *capacity * 2 : first_capacity;
            int *frames = (int *)realloc(table->frames, (size_t)grown * sizeof(int));
            if (!frames)
                die(1, "Out of memory while reading %s\n", name);
            table->frames = frames;
            *capacity = grown;
        }
    }
    table->frames[table->size++] = frame;
}

static void read_character(Line *line, unsigned char c)
{
    bool digit = isdigit(c) != 0;
    switch (line->state) {
    case BLANK:
        if (digit || c == '+' || c == '-') {
            line->negative = c == '-';
            line->state = digit ? NUMBER : SIGN;
        } else if (!isspace(c)) {
            line->state = NO_NUMBER;
        }
        break;
    case SIGN:
        line->state = digit ? NUMBER : NO_NUMBER;
        break;
    case NUMBER:
        if (!digit)
            line->state = AFTER_NUMBER;
        break;
    default:
        break;
    }
    if (line->state == NUMBER && line->number <= INT_MAX)
        line->number = line->number * 10 + (c - '0');
}

// Adds the frame of a finished line and says whether the line counts. Frames after the
// end frame are only counted in `after_end`: a list for a whole transmission played in
// part has many.
static bool end_line(const char *name, long line_number, const Line &line, FreezeTable *table,
                     int *capacity, int *after_end)
{
    if (line.state == BLANK)
        return false;
    if (line.state == SIGN || line.state == NO_NUMBER) {
        fprintf(stderr, "%s:%ld: no frame number, line ignored\n", name, line_number);
        return false;
    }
    if (line.negative && line.number != 0) {
        fprintf(stderr, "%s:%ld: frame number outside 0..%d, line ignored\n", name,
                line_number, playhead.end_frame);
        return false;
    }
    if (line.number > playhead.end_frame) {
        ++*after_end;
        return false;
    }
    add_frame(name, table, capacity, (int)line.number);
    return true;
}

int loadfreezefile(const char *name, FreezeTable *table)
{
    FILE *file = open_for_reading(name);
    struct stat info;
    if (!file || fstat(fileno(file), &info) != 0 || S_ISDIR(info.st_mode))
        die_to(stdout, -1, "Could not open file: %s\n", name);

    free_freeze_table(table);
    int count = 0, capacity = 0, after_end = 0;
    long line_number = 0;
    int64_t total = 0;
    Line line = {BLANK, false, 0};
    bool in_line = false;
    unsigned char buffer[65536];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0) {
        total += (int64_t)got;
        if (total > max_freeze_file_bytes)
            die(1, "Freeze file %s is larger than %lld MiB\n", name,
                (long long)(max_freeze_file_bytes >> 20));
        if (memchr(buffer, '\0', got))
            die(1, "Freeze file %s is not text: it holds a NUL byte\n", name);
        for (size_t i = 0; i < got; i++) {
            if (buffer[i] != '\n') {
                read_character(&line, buffer[i]);
                in_line = true;
                continue;
            }
            if (end_line(name, ++line_number, line, table, &capacity, &after_end))
                count++;
            line = {BLANK, false, 0};
            in_line = false;
        }
    }
    if (ferror(file))
        die(1, "Could not read file: %s\n", name);
    if (in_line && end_line(name, ++line_number, line, table, &capacity, &after_end))
        count++;
    if (after_end > 0)
        fprintf(stderr, "%s: %d %s after the end frame %d ignored\n", name, after_end,
                after_end == 1 ? "entry" : "entries", playhead.end_frame);
    sort_frames(table);
    fclose(file);
    return count;
}

int frame_frozen(const FreezeTable *table, int frame)
{
    return std::binary_search(table->frames, table->frames + table->size, frame);
}

void free_freeze_table(FreezeTable *table)
{
    free(table->frames);
    table->frames = nullptr;
    table->size = 0;
}

void load_freeze_tables()
{
    for (int n = 2; n <= 3; n++) {
        Sequence &s = sequences[n];
        if (s.fr)
            s.fr_count = loadfreezefile(s.fr_path, &s.fr_table);
    }
}

const FreezeTable *freeze_table_of(int sequence)
{
    return sequence >= 2 && sequences[sequence].fr ? &sequences[sequence].fr_table : nullptr;
}
