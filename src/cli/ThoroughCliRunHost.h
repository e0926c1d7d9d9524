#pragma once

#include "CliRunHost.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orvandel {

// Runs the thorough extraction for the command line: one line (or JSON object) per photo on
// `out`, and one per input that gave no photo or failed as a whole; each failure is one line on
// `err`, a photo's with its card and line, and a progress line is kept on `err` when it is a
// terminal.
class ThoroughCliRunHost : public CliRunHost
{
public:
    ThoroughCliRunHost(CliRunOptions options, std::ostream& out, std::ostream& err);

    void stepFailed(const StepFailure& failure) override;
    void itemFinished(const ItemResult& result) override;
    void photoFinished(const PhotoResult& result) override;

private:
    void printInputLine(const std::string& input, const char* status, const std::string& error);

    // A failure of the input under way. A photo's failure waits for the photo's result, which
    // tells its card and line, and is known by its step and the photo's line.
    struct Report
    {
        RunStep step = RunStep::CheckList;
        std::uint64_t line = 0; // the photo's, or 0
        std::string description;
        bool told = false; // on stderr
    };

    std::size_t m_photosOfInput = 0;
    std::vector<Report> m_reportsOfInput; // not yet told with a photo
};

} // namespace orvandel
