#include "frame_advance.h"

#include "sequence.h"
#include "startup.h"
#include "common/settings.h"

bool start_pass(int frame_number)
{
    for (int n = 1; n <= expand; n++)
        position_sequence(n, frame_number);
    return !sequence_ended(1);
}

bool advance_sequence(int n, int frame_number)
{
    const FreezeTable *freezes = freeze_table_of(n);
    if (freezes && frame_frozen(freezes, frame_number))
        return true;
    read_picture(n, picture_of(n));
    return false;
}

bool pass_goes_on(int frame_number)
{
    return !sequence_ended(1) && frame_number < end_frame;
}

FrameStep advance_sequences(int frame_number)
{
    FrameStep step = {};
    for (int n = 1; n <= expand; n++)
        step.held[n] = advance_sequence(n, frame_number);
    step.more = pass_goes_on(frame_number);
    return step;
}
