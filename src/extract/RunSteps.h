#pragma once

#include "RunStep.h"
#include "util/StepRunner.h"

#include <cstdint>
#include <utility>

namespace orvandel {

// Runs the steps of an extraction run, each named by its RunStep. A step that throws is told to
// the sink and the run goes on with the step after it. It remembers the first failure since the
// last restart(), so that the run can tell how each of its inputs ended.
class RunSteps
{
public:
    explicit RunSteps(StepFailureSink& sink)
        : m_sink(sink)
    {
    }

    // Runs one step. True when it finished, false when it failed and was told.
    template<class Body> bool step(RunStep which, Body&& body)
    {
        auto failure = FailureOf(std::forward<Body>(body));
        if (failure)
            report(which, std::move(*failure));
        return !failure;
    }

    // Evaluates a condition as one step. A condition that fails to evaluate counts as passed.
    template<class Condition> bool test(RunStep which, Condition&& condition)
    {
        bool result = true;
        step(which, [&] { result = std::forward<Condition>(condition)(); });
        return result;
    }

    // Failures from here on concern the photo whose property starts at input `line`, until the
    // next restart().
    void atLine(std::uint64_t line) noexcept { m_line = line; }

    // Tells a failure that the run found itself; `line` as atLine() when it is not 0.
    void report(RunStep which, std::string description, std::uint64_t line = 0)
    {
        StepFailure failure {which, std::move(description), line != 0 ? line : m_line};
        if (!m_failed) {
            m_failed = true;
            m_first = failure;
        }
        m_sink.stepFailed(failure);
    }

    void restart()
    {
        m_failed = false;
        m_first = {};
        m_line = 0;
    }
    bool failed() const noexcept { return m_failed; }
    const StepFailure& first() const noexcept { return m_first; }

private:
    StepFailureSink& m_sink;
    bool m_failed = false;
    StepFailure m_first;
    std::uint64_t m_line = 0;
};

} // namespace orvandel
