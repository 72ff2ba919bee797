// Start-up keeps its results in process-wide values, set once per run. A fuzz target
// runs start-up once per input, so it puts them back to their initial values first and
// releases what the previous input opened.
#pragma once

// The settings and the command-line results as a fresh process has them.
void reset_startup_state();

// Closes the sequence files and frees the freeze tables the last input left behind; the
// sequences' pictures stay, as a run keeps them to its end.
void release_startup_state();
