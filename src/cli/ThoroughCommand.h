#pragma once

#include "CliRunOptions.h"
#include "CommandLineParser.h"

#include <iosfwd>

namespace orvandel {

// Runs the thorough extraction. Returns the exit status: 0 when every photo went well, 1 when
// any failed, 2 when the run could not start. Lines on `out` are buffered unless it is a terminal.
int RunThoroughExtract(const ThoroughCommandOptions& options,
                       CliRunOptions run,
                       std::ostream& out,
                       std::ostream& err);

} // namespace orvandel
