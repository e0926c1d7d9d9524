#pragma once

#include "cli/CommandLine.h"

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

// The command that `args` (without the program's name) ask for. Arguments that would open the
// window are a mistake of the test (std::bad_variant_access).
inline CommandRequest CommandOf(const std::vector<std::string>& args)
{
    return std::get<CommandRequest>(ParseCommandLine(args));
}

// A path as the report's text lines and stderr show it: as it is (on Windows too, where the
// backslash between its parts stays single).
inline std::string Shown(const std::string& path)
{
    return path;
}

// A path as JSON writes it: each backslash written "\\" (Windows paths have one between their
// parts).
inline std::string InJson(const std::string& path)
{
    std::string shown;
    for (const char c : path) {
        shown += c;
        if (c == '\\')
            shown += c;
    }
    return shown;
}

// Runs the command line with `args`, stderr as a terminal or not.
inline CliOutcome RunCli(const std::vector<std::string>& args, bool terminal = false)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunCommandLine(CommandOf(args), out, err, terminal);
    return {status, out.str(), err.str()};
}

} // namespace orvandel::test
