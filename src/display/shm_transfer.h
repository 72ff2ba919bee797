// Pane transfer through the MIT shared-memory extension, used only with -shm.
#pragma once

#include "layout.h"

// Sets up the shared segment when the server offers the extension on a local
// connection; otherwise says so in one line on standard error. Returns 1 when ready.
int init_shm_transfer();

// The segment again, with slots of the image description's new size; without it (a message
// says why) the panes go the ordinary way.
void resize_shm_transfer();

// Copies a rendered picture into the pane's slot of the segment and puts its part from
// (source_x, source_y) into `place`.
void put_pane_shm(const unsigned char *buffer, int pane, int source_x, int source_y, Rect place);
