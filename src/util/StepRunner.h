#pragma once

#include "ErrorReport.h"

#include <exception>
#include <new>
#include <string>
#include <utility>

namespace orvandel {

// Runs a procedure's numbered steps. A step that throws is reported with its own line number
// and the procedure goes on with the step after it; it is never stopped by a failure.
class StepRunner
{
public:
    StepRunner(std::string locator, ErrorSink& sink)
        : m_locator(std::move(locator))
        , m_sink(sink)
    {
    }

    // Runs one step. True when it finished, false when it failed and was reported.
    template<class Step> bool step(int line, Step&& body)
    {
        m_line = line;
        try {
            std::forward<Step>(body)();
            return true;
        } catch (const std::bad_alloc&) {
            report("Out of memory");
        } catch (const std::exception& error) {
            report(error.what());
        }
        return false;
    }

    // Evaluates a condition as one step. A condition that fails to evaluate counts as passed,
    // so the steps that it governs run next.
    template<class Condition> bool test(int line, Condition&& condition)
    {
        bool result = true;
        step(line, [&] { result = std::forward<Condition>(condition)(); });
        return result;
    }

    int currentLine() const noexcept { return m_line; }
    const std::string& locator() const noexcept { return m_locator; }

    void report(const std::string& description) { m_sink.reportError({description, m_locator, m_line}); }

private:
    std::string m_locator;
    ErrorSink& m_sink;
    int m_line = 0;
};

} // namespace orvandel
