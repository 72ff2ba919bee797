#include "startup_state.h"

#include "common/settings.h"
#include "source/sequence.h"

void reset_startup_state()
{
    reset_settings();
    for (Sequence &sequence : sequences) {  // files closed and freeze tables freed before
        YuvFrame picture = sequence.picture;  // allocated once, as a run does
        sequence = Sequence{};
        sequence.picture = picture;
    }
}
