#include "startup_state.h"

#include <cstdio>
#include <cstdlib>

#include "exit_trap.h"
#include "playback/sequence.h"
#include "common/settings.h"
#include "playback/startup.h"

static void close_stream(FILE *&file)
{
    if (file)
        fclose(file);
    file = nullptr;
}

void release_startup_state()
{
    close_stream(yuvfile1);
    close_stream(yuvfile2);
    close_stream(yuvfile3);
    close_streams_left_open();
    free_freeze_table(&fr2_table);
    free_freeze_table(&fr3_table);
}
