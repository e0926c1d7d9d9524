#pragma once

#include "app/CommandLine.h"

#include <sstream>
#include <string>
#include <vector>

namespace orvandel::test {

// What a command line run printed and returned.
struct CliOutcome
{
    int status;
    std::string out;
    std::string err;
};

// Runs the command line with `args` (without the program's name), stderr as a terminal or not.
inline CliOutcome RunCli(const std::vector<std::string>& args, bool terminal = false)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunCommandLine(args, out, err, terminal);
    return {status, out.str(), err.str()};
}

} // namespace orvandel::test
