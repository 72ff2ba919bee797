// Refusals end the process through exit(); a fuzz target has to outlive them. Linked
// with -Wl,--wrap=exit, a call of exit() made inside call_catching_exit() returns to it
// instead of ending the process. Every other exit() is the real one.
#pragma once

// Runs body(context). Returns true when the body called exit(), with its argument in
// *status; false when the body returned normally. The body must hold nothing that
// needs a destructor, since the return from exit() skips its frames.
bool call_catching_exit(void (*body)(void *), void *context, int *status);
