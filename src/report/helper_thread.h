// A second thread, started once, that runs one task at a time for the frame loop.
#pragma once

// Starts the helper; nothing happens per frame but handing over tasks.
void start_helper();

// Hands `task` to the helper and returns at once.
void helper_begin(void (*task)());

// Waits until the task handed over last has finished.
void helper_wait();
