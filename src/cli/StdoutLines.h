#pragma once

#include <chrono>
#include <functional>
#include <iosfwd>
#include <string>

namespace orvandel {

// The command's report on stdout, a line at a time. Buffered, the lines wait in memory and go out
// together: the first at once, then whenever 100 ms have passed since lines last went out (looked
// at with each line and with flushIfDue()), when flush() is called, and when 64 KB wait. Else
// each line goes out as it is written, as a terminal needs. The first write that fails (a full
// disk, a closed pipe) is told on `err`; the stream stays failed from then on, so that the
// command stops at its next chance and exits with 1.
class StdoutLines
{
public:
    using Clock = std::chrono::steady_clock;
    static constexpr Clock::duration kFlushEvery = std::chrono::milliseconds(100);

    StdoutLines(std::ostream& out,
                std::ostream& err,
                bool buffered = false,
                std::function<Clock::time_point()> now = &Clock::now);
    ~StdoutLines();
    StdoutLines(const StdoutLines&) = delete;
    StdoutLines& operator=(const StdoutLines&) = delete;

    // Writes `line` and a line break.
    void print(const std::string& line);
    // Writes out what waits when 100 ms have passed since lines last went out.
    void flushIfDue();
    // Writes out what waits.
    void flush();
    // True once a line could not be written.
    bool failed() const;

private:
    bool due() const;

    std::ostream& m_out;
    std::ostream& m_err;
    bool m_buffered;
    std::function<Clock::time_point()> m_now;
    std::string m_waiting;
    bool m_wroteBefore = false;
    Clock::time_point m_lastWrite {};
    bool m_told = false;
};

// Tells on `err` that stdout cannot be written, with the system's reason when `error` names one.
void TellStdoutFailed(std::ostream& err, int error);

} // namespace orvandel
