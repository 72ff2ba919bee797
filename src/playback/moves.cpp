// Where moves end: the frame a move asks for, with the moves waiting right behind it.
#include "moves.h"

#include <algorithm>

#include "seek.h"
#include "common/settings.h"
#include "display/events.h"
#include "source/decode_ahead.h"
#include "source/freeze.h"
#include "source/sequence.h"

// Where a move from `from` asks to go, inside the range.
static int move_target(const UserCommand &command, int from)
{
    if (command.kind == command_first)
        return playhead.start_frame;
    if (command.kind == command_last)
        return playhead.end_frame;
    if (command.kind == command_seek_intra)
        return intra_frame_from(from, command.frames);
    if (command.kind == command_seek_poor) {
        // Measuring ahead gives up for a newer move or an ending key, as loading does.
        decode_waits = DecodeWaits{move_or_end_waiting, false};
        int found = frame_below_limit(from, command.frames);
        decode_waits = DecodeWaits{nullptr, false};
        return found;
    }
    int64_t target = (int64_t)from + command.frames;
    return (int)std::min<int64_t>(playhead.end_frame, std::max<int64_t>(playhead.start_frame, target));
}

int moves_target(UserCommand command, std::vector<int> *notes)
{
    int target = playhead.frame;
    notes->clear();
    for (;;) {
        target = move_target(command, target);
        if (command.kind == command_step && command.frames == 1 && sequences[2].fr &&
            frame_frozen(&sequences[2].fr_table, target))
            notes->push_back(target);
        if (!is_move(peek_command().kind))
            return target;
        command = next_command(false);
    }
}
