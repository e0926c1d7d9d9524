#pragma once

#include "extract/ClassicExtractor.h"
#include "extract/RunLoop.h"
#include "extract/thorough/ThoroughExtractor.h"

#include <utility>

namespace orvandel::test {

// A classic run over surroundings that are both its input and its observer.
class ClassicTestRun
{
public:
    template<class Surroundings> RunOutcome start(Surroundings& surroundings)
    {
        ClassicExtractor extractor;
        return m_loop.start(surroundings, surroundings, extractor);
    }
    bool IsRunning() const noexcept { return m_loop.IsRunning(); }

private:
    RunLoop m_loop;
};

// A thorough run the same way, with its options.
class ThoroughTestRun
{
public:
    explicit ThoroughTestRun(ThoroughOptions options = {})
        : m_options(std::move(options))
    {
    }
    template<class Surroundings> RunOutcome start(Surroundings& surroundings)
    {
        ThoroughExtractor extractor(m_options);
        return m_loop.start(surroundings, surroundings, extractor);
    }
    bool IsRunning() const noexcept { return m_loop.IsRunning(); }

private:
    ThoroughOptions m_options;
    RunLoop m_loop;
};

} // namespace orvandel::test
