#include "util/StepRunner.h"

#include "util/ErrorReport.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <vector>

namespace orvandel {
namespace {

    struct Recorder : ErrorSink
    {
        void reportError(const ErrorReport& report) override { reports.push_back(report); }
        std::vector<ErrorReport> reports;
    };

    TEST(ErrorReport, ReadsLineByLine)
    {
        const ErrorReport report {"Bad Base64 string.", "in Tessivor2021/08/31.Form1.PushButton2_Click ",
                                  172};
        EXPECT_EQ(report.text(),
                  "Bad Base64 string.\r\n"
                  "in Tessivor2021/08/31.Form1.PushButton2_Click at line 172\r\r"
                  "Please email screenshot of this message to support@quorvane.example");
    }

    TEST(StepRunner, ReportsAFailedStepWithItsLineAndGoesOn)
    {
        Recorder sink;
        StepRunner steps("in X2021/08/31.M.P ", sink);
        std::vector<int> ran;
        EXPECT_TRUE(steps.step(100, [&] { ran.push_back(100); }));
        EXPECT_FALSE(steps.step(102, [&] { throw std::runtime_error("broken"); }));
        EXPECT_TRUE(steps.step(104, [&] { ran.push_back(104); }));
        EXPECT_FALSE(steps.step(106, [&] { throw std::runtime_error("broken again"); }));
        EXPECT_EQ(ran, (std::vector<int> {100, 104}));
        ASSERT_EQ(sink.reports.size(), 2u);
        EXPECT_EQ(sink.reports[0].description, "broken");
        EXPECT_EQ(sink.reports[0].line, 102);
        EXPECT_EQ(sink.reports[0].locator, "in X2021/08/31.M.P ");
        EXPECT_EQ(sink.reports[1].line, 106);
    }

    TEST(StepRunner, AFailedConditionCountsAsPassed)
    {
        Recorder sink;
        StepRunner steps("in X ", sink);
        EXPECT_TRUE(steps.test(104, []() -> bool { throw std::runtime_error("cannot tell"); }));
        EXPECT_FALSE(steps.test(106, [] { return false; }));
        ASSERT_EQ(sink.reports.size(), 1u);
        EXPECT_EQ(sink.reports[0].line, 104);
    }

    TEST(StepRunner, TellsOutOfMemoryPlainly)
    {
        Recorder sink;
        StepRunner steps("in X ", sink);
        steps.step(120, [] { throw std::bad_alloc(); });
        ASSERT_EQ(sink.reports.size(), 1u);
        EXPECT_EQ(sink.reports[0].description, "Out of memory");
    }

} // namespace
} // namespace orvandel
