#include "startup_state.h"

#include <cstdlib>

#include "exit_trap.h"
#include "playback/sequence.h"
#include "common/settings.h"
#include "playback/startup.h"

void release_startup_state()
{
    close_sequences();
    close_streams_left_open();
    free_freeze_table(&fr2_table);
    free_freeze_table(&fr3_table);
}
