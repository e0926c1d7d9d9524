#pragma once

#include "RunStep.h"
#include "util/StepRunner.h"

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

    // Tells a failure that the run found itself.
    void report(RunStep which, std::string description)
    {
        StepFailure failure {which, std::move(description)};
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
    }
    bool failed() const noexcept { return m_failed; }
    const StepFailure& first() const noexcept { return m_first; }

private:
    StepFailureSink& m_sink;
    bool m_failed = false;
    StepFailure m_first;
};

} // namespace orvandel
