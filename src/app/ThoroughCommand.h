#pragma once

#include "CommandLineParser.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace orvandel {

// Runs the thorough extraction. Returns the exit status: 0 when every photo went well, 1 when
// any failed, 2 when the run could not start. Lines on `out` are buffered unless it is a terminal.
int RunThoroughExtract(const ThoroughCommandOptions& options,
                       std::vector<std::string> inputs,
                       std::string outputFolder,
                       bool json,
                       std::ostream& out,
                       std::ostream& err,
                       bool errIsTerminal,
                       bool outIsTerminal = false);

} // namespace orvandel
