#pragma once

#include <iosfwd>
#include <string>

namespace orvandel {

// The command's report on stdout, a line at a time, each flushed as it is written. The first
// line that cannot be written (a full disk, a closed pipe) is told on `err`; the stream stays
// failed from then on, so that the command stops at its next chance and exits with 1.
class StdoutLines
{
public:
    StdoutLines(std::ostream& out, std::ostream& err);

    // Writes `line` and a line break.
    void print(const std::string& line);
    // True once a line could not be written.
    bool failed() const;

private:
    std::ostream& m_out;
    std::ostream& m_err;
    bool m_told = false;
};

// Tells on `err` that stdout cannot be written, with the system's reason when `error` names one.
void TellStdoutFailed(std::ostream& err, int error);

} // namespace orvandel
