#pragma once

namespace orvandel {

// Starts the command line or the window, as the arguments ask. Returns the exit status.
int RunApplication(int argc, char* argv[]);

} // namespace orvandel
