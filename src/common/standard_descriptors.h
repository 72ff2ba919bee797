// Descriptors 0, 1 and 2 are opened first: a program started with one of them closed would
// otherwise hand it to the next file it opens, or to the X connection, and its messages
// would be written there.
#pragma once

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed; called before anything
// else is opened. When /dev/null cannot be opened the run ends with status 1.
void open_standard_descriptors(const char *program_name);
