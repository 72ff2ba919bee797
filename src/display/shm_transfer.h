// Pane transfer through the MIT shared-memory extension, used only with -shm.
#pragma once

// Sets up the shared segment when the server offers the extension on a local
// connection; otherwise says so in one line on standard error. Returns 1 when ready.
int init_shm_transfer();

// Copies a rendered picture into the pane's slot of the segment and puts it at (x, y).
void put_pane_shm(const unsigned char *buffer, int pane, int x, int y);
