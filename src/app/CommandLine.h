#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace orvandel {

// True when the arguments ask for the command line (extract, --help, --version) rather than
// the window; also when the first word is neither a command nor an existing file or folder,
// which the command line then refuses as a usage error.
bool IsCommandLineInvocation(const std::vector<std::string>& args);

// Runs the command line; `args` excludes the program name. Returns the exit status: 0 when
// every input went well, 1 when any failed, 2 when the run could not start or the arguments
// were wrong.
int RunCommandLine(const std::vector<std::string>& args,
                   std::ostream& out,
                   std::ostream& err,
                   bool errIsTerminal);

} // namespace orvandel
