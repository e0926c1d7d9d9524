#include "StdoutLines.h"

#include <cerrno>
#include <ostream>
#include <system_error>

namespace orvandel {

namespace {

    constexpr std::size_t kMaxWaiting = 64 * 1024;

} // namespace

void TellStdoutFailed(std::ostream& err, int error)
{
    err << "orvandel: cannot write to stdout";
    if (error != 0)
        err << ": " << std::generic_category().message(error);
    err << '\n' << std::flush;
}

StdoutLines::StdoutLines(std::ostream& out,
                         std::ostream& err,
                         bool buffered,
                         std::function<Clock::time_point()> now)
    : m_out(out)
    , m_err(err)
    , m_buffered(buffered)
    , m_now(std::move(now))
{
}

StdoutLines::~StdoutLines()
{
    flush();
}

bool StdoutLines::due() const
{
    return !m_wroteBefore || m_now() - m_lastWrite >= kFlushEvery;
}

void StdoutLines::print(const std::string& line)
{
    m_waiting += line;
    m_waiting += '\n';
    if (!m_buffered || m_waiting.size() >= kMaxWaiting || due())
        flush();
}

void StdoutLines::flushIfDue()
{
    if (!m_waiting.empty() && due())
        flush();
}

void StdoutLines::flush()
{
    if (m_waiting.empty())
        return;
    errno = 0;
    m_out.write(m_waiting.data(), static_cast<std::streamsize>(m_waiting.size())) << std::flush;
    m_waiting.clear();
    m_wroteBefore = true;
    if (m_buffered)
        m_lastWrite = m_now();
    if (!m_out.good() && !m_told) {
        m_told = true;
        TellStdoutFailed(m_err, errno);
    }
}

bool StdoutLines::failed() const
{
    return !m_out.good();
}

} // namespace orvandel
