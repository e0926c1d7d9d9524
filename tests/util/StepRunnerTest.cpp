#include "util/StepRunner.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <vector>

namespace orvandel {
namespace {

    enum class Step
    {
        First,
        Second,
        Third,
        Fourth,
    };

    struct Recorder : StepSink<Step>
    {
        void stepFailed(const StepFailureOf<Step>& failure) override { failures.push_back(failure); }
        std::vector<StepFailureOf<Step>> failures;
    };

    TEST(StepRunner, TellsAFailedStepAndGoesOn)
    {
        Recorder sink;
        StepRunner<Step> steps(sink);
        std::vector<Step> ran;
        EXPECT_TRUE(steps.step(Step::First, [&] { ran.push_back(Step::First); }));
        EXPECT_FALSE(steps.step(Step::Second, [&] { throw std::runtime_error("broken"); }));
        EXPECT_TRUE(steps.step(Step::Third, [&] { ran.push_back(Step::Third); }));
        EXPECT_FALSE(steps.step(Step::Fourth, [&] { throw std::runtime_error("broken again"); }));
        EXPECT_EQ(ran, (std::vector<Step> {Step::First, Step::Third}));
        ASSERT_EQ(sink.failures.size(), 2u);
        EXPECT_EQ(sink.failures[0].description, "broken");
        EXPECT_EQ(sink.failures[0].step, Step::Second);
        EXPECT_EQ(sink.failures[1].step, Step::Fourth);
        // The first failure since the last restart is kept.
        EXPECT_TRUE(steps.failed());
        EXPECT_EQ(steps.first().step, Step::Second);
        steps.restart();
        EXPECT_FALSE(steps.failed());
    }

    TEST(StepRunner, AFailedConditionCountsAsPassed)
    {
        Recorder sink;
        StepRunner<Step> steps(sink);
        EXPECT_TRUE(steps.test(Step::First, []() -> bool { throw std::runtime_error("cannot tell"); }));
        EXPECT_FALSE(steps.test(Step::Second, [] { return false; }));
        ASSERT_EQ(sink.failures.size(), 1u);
        EXPECT_EQ(sink.failures[0].step, Step::First);
    }

    TEST(StepRunner, TellsOutOfMemoryPlainlyAndThePhotosLine)
    {
        Recorder sink;
        StepRunner<Step> steps(sink);
        steps.atLine(12);
        steps.step(Step::Third, [] { throw std::bad_alloc(); });
        steps.report(Step::Fourth, "found", 40);
        ASSERT_EQ(sink.failures.size(), 2u);
        EXPECT_EQ(sink.failures[0].description, "Out of memory");
        EXPECT_EQ(sink.failures[0].line, 12u);
        EXPECT_EQ(sink.failures[1].line, 40u);
    }

} // namespace
} // namespace orvandel
