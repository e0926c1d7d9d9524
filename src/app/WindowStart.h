#pragma once

#include "cli/CommandLineParser.h"

namespace orvandel {

// What a build without the window (ORVANDEL_GUI=OFF) says when the window is asked for.
inline constexpr const char* NoWindowMessage
    = "orvandel: this build has no window; see 'orvandel extract --help'";

// Whether this build holds the window (in the program or in its module).
bool HasWindow();

// Starts the window for `request` once a display is known to be there. Where the window is a
// module of its own (modules/orvandel-window.so beside the program), it is loaded now, so that the
// command line starts without Qt; a module that cannot be loaded is told on stderr with the exit
// status 2. `program` is the program's name as it was started. A build without the window tells
// NoWindowMessage on stderr and gives 2.
int StartWindow(const char* program, const WindowRequest& request);

} // namespace orvandel
