#pragma once

#include <cstdint>
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

// One failed step of a procedure whose steps `Step` names (RunStep, ScanStep, ...): which step,
// and what went wrong. What the user is shown of it (a line number, a locator, a report) is the
// front end's: the engine knows its steps by name only.
template<class Step> struct StepFailureOf
{
    Step step {};
    std::string description;
    std::uint64_t line = 0; // the input line of the photo it concerns, from 1; 0 when none
};

// Whoever is told of the failed steps of such a procedure.
template<class Step> class StepSink
{
public:
    virtual ~StepSink() = default;
    virtual void stepFailed(const StepFailureOf<Step>& failure) = 0;
};

// Runs a procedure's named steps. A step that throws is told to the sink and the procedure goes
// on with the step after it; it is never stopped by a failure. It remembers the first failure
// since the last restart(), so that a loop can tell how each of its items ended.
template<class Step> class StepRunner
{
public:
    explicit StepRunner(StepSink<Step>& sink)
        : m_sink(sink)
    {
    }

    // Runs one step. True when it finished, false when it failed and was told.
    template<class Body> bool step(Step which, Body&& body)
    {
        auto failure = FailureOf(std::forward<Body>(body));
        if (failure)
            report(which, std::move(*failure));
        return !failure;
    }

    // Evaluates a condition as one step. A condition that fails to evaluate counts as passed,
    // so the steps that it governs run next.
    template<class Condition> bool test(Step which, Condition&& condition)
    {
        bool result = true;
        step(which, [&] { result = std::forward<Condition>(condition)(); });
        return result;
    }

    // Failures from here on concern the photo whose property starts at input `line`, until the
    // next restart().
    void atLine(std::uint64_t line) noexcept { m_line = line; }

    // Tells a failure that the procedure found itself; `line` as atLine() when it is not 0.
    void report(Step which, std::string description, std::uint64_t line = 0)
    {
        StepFailureOf<Step> failure {which, std::move(description), line != 0 ? line : m_line};
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
    const StepFailureOf<Step>& first() const noexcept { return m_first; }

private:
    StepSink<Step>& m_sink;
    bool m_failed = false;
    StepFailureOf<Step> m_first;
    std::uint64_t m_line = 0;
};

} // namespace orvandel
