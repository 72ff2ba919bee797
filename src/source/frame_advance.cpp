#include "frame_advance.h"

#include <algorithm>

#include "freeze.h"
#include "sequence.h"
#include "common/settings.h"

int64_t file_frame_shown(int n, int frame_number)
{
    const FreezeTable *freezes = freeze_table_of(n);
    if (!freezes)
        return frame_number;
    const int *first = freezes->frames, *end = first + freezes->size;
    return (int64_t)frame_number - (std::upper_bound(first, end, frame_number) - first);
}

bool hold_if_frozen(int n, int frame_number)
{
    const FreezeTable *freezes = freeze_table_of(n);
    bool held = freezes && frame_frozen(freezes, frame_number);
    if (held)
        forget_facts(&sequences[n].facts, true);
    return held;
}

void read_as_play(int n, int64_t k)
{
    int64_t whole = whole_frames(n);
    if (whole < 0)  // a pipe: as long as it goes on
        whole = k + 1;
    if (k < whole) {
        position_sequence(n, k);
        read_picture(n, whole_picture_of(n));
        return;
    }
    if (whole > 0) {
        position_sequence(n, whole - 1);
        read_picture(n, whole_picture_of(n));
    }
    position_sequence(n, whole);
    read_picture(n, whole_picture_of(n));
}

bool start_pass(int frame_number)
{
    for (int n = 1; n <= settings.expand; n++) {
        int64_t shown = file_frame_shown(n, frame_number);
        const FreezeTable *freezes = freeze_table_of(n);
        bool held = freezes && frame_frozen(freezes, frame_number);
        // Held at the start, it shows what play from frame 0 read last.
        if (held && shown >= 0)
            read_as_play(n, shown);
        hold_if_frozen(n, frame_number);
        position_sequence(n, held ? shown + 1 : shown);
    }
    return !sequence_ended(1);
}

bool advance_sequence(int n, int frame_number)
{
    if (hold_if_frozen(n, frame_number))
        return true;
    read_picture(n, whole_picture_of(n));
    return false;
}

bool pass_goes_on(int frame_number)
{
    return !sequence_ended(1) && frame_number < playhead.end_frame;
}

FrameStep advance_sequences(int frame_number)
{
    FrameStep step = {};
    for (int n = 1; n <= settings.expand; n++)
        step.held[n] = advance_sequence(n, frame_number);
    step.more = pass_goes_on(frame_number);
    return step;
}
