#pragma once

#include "CommandLineParser.h"

namespace orvandel {

// Starts the window for `request` once a display is known to be there. Where the window is a
// module of its own (modules/orvandel-window.so beside the program), it is loaded now, so that the
// command line starts without Qt; a module that cannot be loaded is told on stderr with the exit
// status 2. `program` is the program's name as it was started.
int StartWindow(const char* program, const WindowRequest& request);

} // namespace orvandel
