#pragma once

#include "CommandLineParser.h"

#include <iosfwd>

namespace orvandel {

// Runs what the command line was asked for (see ParseCommandLine): the help, the version, a
// usage error or the extraction. Returns the exit status: 0 when every input went well, 1 when
// any failed, 2 when the run could not start or the arguments were wrong, 128 + N after signal N.
// The report's lines are buffered unless `out` is a terminal (`outIsTerminal`).
int RunCommandLine(const CommandRequest& request,
                   std::ostream& out,
                   std::ostream& err,
                   bool errIsTerminal,
                   bool outIsTerminal = false);

} // namespace orvandel
