#pragma once

#include <string>
#include <vector>

namespace orvandel {

// What the command line's hosts (CliScanHost, CliRunHost, ThoroughCliRunHost) are given beside
// stdout and stderr: the run's inputs and folder, and how its report is written.
struct CliRunOptions
{
    std::vector<std::string> inputs; // as the run takes them up, in their order
    std::string outputFolder;
    bool json = false; // one JSON object a line on stdout
    bool thorough = false; // the thorough run's lines
    bool showProgress = false; // a progress line on stderr, which is a terminal
    bool summary = false; // the run's counts in one line on stderr at its end
    bool outIsTerminal = false; // stdout's lines go out at once, not buffered
};

} // namespace orvandel
