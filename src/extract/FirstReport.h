#pragma once

#include "util/ErrorReport.h"

namespace orvandel {

// Passes reports on to `next` and remembers the first one since the last restart(), so that a
// run can tell how each of its inputs ended.
class FirstReport : public ErrorSink
{
public:
    explicit FirstReport(ErrorSink& next)
        : m_next(next)
    {
    }

    void reportError(const ErrorReport& report) override
    {
        if (!m_failed) {
            m_failed = true;
            m_first = report;
        }
        m_next.reportError(report);
    }

    void restart()
    {
        m_failed = false;
        m_first = {};
    }
    bool failed() const noexcept { return m_failed; }
    const ErrorReport& first() const noexcept { return m_first; }

private:
    ErrorSink& m_next;
    bool m_failed = false;
    ErrorReport m_first;
};

} // namespace orvandel
