#include "StdoutLines.h"

#include <cerrno>
#include <ostream>
#include <system_error>

namespace orvandel {

void TellStdoutFailed(std::ostream& err, int error)
{
    err << "orvandel: cannot write to stdout";
    if (error != 0)
        err << ": " << std::generic_category().message(error);
    err << '\n' << std::flush;
}

StdoutLines::StdoutLines(std::ostream& out, std::ostream& err)
    : m_out(out)
    , m_err(err)
{
}

void StdoutLines::print(const std::string& line)
{
    errno = 0;
    m_out << line << '\n' << std::flush;
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
