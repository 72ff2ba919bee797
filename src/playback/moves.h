// Where moves end: the frame a move asks for, with the moves waiting right behind it.
#pragma once

#include <vector>

#include "display/events.h"

// Where this move and the moves waiting right behind it end, each taken from where the one
// before it left off: the repeats of a held key are one move. Single steps onto frames the
// Encoded holds go into `notes`, to be noted once the frame is shown, as play notes them.
int moves_target(UserCommand command, std::vector<int> *notes);
