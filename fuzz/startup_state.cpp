#include "startup_state.h"

#include <cstdlib>

#include "exit_trap.h"
#include "source/sequence.h"

void release_startup_state()
{
    close_sequences();
    close_streams_left_open();
    for (Sequence &sequence : sequences)
        free_freeze_table(&sequence.fr_table);
}
