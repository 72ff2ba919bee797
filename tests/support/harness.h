// Everything a display test needs: a private Xvfb, the trivista child process, test
// sequence files and looking at windows.
#pragma once

#include "child_process.h"
#include "test_files.h"
#include "x_window_query.h"
#include "xvfb_server.h"
