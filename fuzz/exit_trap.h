// Refusals end the process through exit(); a fuzz target has to outlive them. Linked
// with -Wl,--wrap=exit, a call of exit() made inside call_catching_exit() returns to it
// instead of ending the process. Every other exit() is the real one. Linked with
// -Wl,--wrap=fdopen,--wrap=fopen,--wrap=fclose as well, the streams a body opens are
// noted, so that those a refusal left open can be closed.
#pragma once

// Runs body(context). Returns true when the body called exit(), with its argument in
// *status; false when the body returned normally. The body must hold nothing that
// needs a destructor, since the return from exit() skips its frames.
bool call_catching_exit(void (*body)(void *), void *context, int *status);

// Closes every stream opened inside a body and not closed since: a refusal skips the
// fclose, and thousands of inputs would otherwise run out of file descriptors.
void close_streams_left_open();
