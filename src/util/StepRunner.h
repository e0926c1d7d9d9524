#pragma once

#include "ErrorReport.h"

#include <exception>
#include <new>
#include <optional>
#include <string>
#include <utility>

namespace orvandel {

// Runs one step's body. Nothing when it finished; the description of what it threw when it failed.
template<class Body> std::optional<std::string> FailureOf(Body&& body)
{
    try {
        std::forward<Body>(body)();
        return std::nullopt;
    } catch (const std::bad_alloc&) {
        return std::string("Out of memory");
    } catch (const std::exception& error) {
        return std::string(error.what());
    }
}

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
        const auto failure = FailureOf(std::forward<Step>(body));
        if (failure)
            m_sink.reportError({*failure, m_locator, line});
        return !failure;
    }

    // Evaluates a condition as one step. A condition that fails to evaluate counts as passed,
    // so the steps that it governs run next.
    template<class Condition> bool test(int line, Condition&& condition)
    {
        bool result = true;
        step(line, [&] { result = std::forward<Condition>(condition)(); });
        return result;
    }

private:
    std::string m_locator;
    ErrorSink& m_sink;
};

} // namespace orvandel
